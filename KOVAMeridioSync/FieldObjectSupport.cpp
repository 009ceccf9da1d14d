#include "KOVAMeridioSync/FieldObjectSupport.h"

#include "Platform/OleAuto.h"

namespace {

HRESULT AnswerBstr(BSTR text, BSTR* out) {
    if (text == nullptr) {
        return E_OUTOFMEMORY;
    }
    *out = text;
    return S_OK;
}

} // namespace

HRESULT AnswerText(const CStdStr<wchar_t>& text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    return AnswerBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())), out);
}

HRESULT AnswerCopy(BSTR text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    return AnswerBstr(SysAllocStringLen(text, text == nullptr ? 0 : SysStringLen(text)), out);
}

HRESULT AnswerFlag(bool flag, VARIANT_BOOL* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT AnswerNumber(LONG number, LONG* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = number;
    return S_OK;
}
