#include "Platform/ComText.h"

#include "Platform/Utf.h"

#include <cwctype>
#include <limits>

namespace Platform {

std::wstring_view BstrView(BSTR text) {
    return text == nullptr ? std::wstring_view{} : std::wstring_view(text, SysStringLen(text));
}

std::string BstrToUtf8(BSTR text) {
    return WideToUtf8(BstrView(text));
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

HRESULT ReturnBstr(std::wstring_view text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnBstrFromUtf8(std::string_view utf8, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    // Decoded straight into the BSTR: a large text (a listing) is not held once more as a wide string.
    const std::size_t length = Utf8ToWideLength(utf8);
    *out = length <= std::numeric_limits<UINT>::max() ? SysAllocStringLen(nullptr, static_cast<UINT>(length))
                                                      : nullptr;
    if (*out == nullptr) {
        return E_OUTOFMEMORY;
    }
    Utf8ToWideInto(utf8, *out);
    return S_OK;
}

HRESULT ReturnVariantFromUtf8(std::string_view utf8, VARIANT* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    out->vt = VT_EMPTY;
    const HRESULT hr = ReturnBstrFromUtf8(utf8, &out->bstrVal);
    if (SUCCEEDED(hr)) {
        out->vt = VT_BSTR;
    }
    return hr;
}

HRESULT VariantToUtf8(const VARIANT& value, std::string& text) {
    if (value.vt == VT_BSTR) {
        text = BstrToUtf8(value.bstrVal);
        return S_OK;
    }
    if (value.vt == (VT_BSTR | VT_BYREF) && value.pbstrVal != nullptr) {
        text = BstrToUtf8(*value.pbstrVal);
        return S_OK;
    }
    if (value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal != nullptr) {
        return VariantToUtf8(*value.pvarVal, text);
    }
    return DISP_E_TYPEMISMATCH;
}

} // namespace Platform
