// What the two field-metadata COM classes share: error info for their own dual interface, creation
// of a new object held through one of its interfaces, the answers they hand out and the interface
// boundary of their methods.
#pragma once

#include "Platform/AtlCom.h"
#include "Platform/ComUtil.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/InterfaceBoundary.h"
#include "VantrelCommon/StdString.h"

// ISupportErrorInfo for a class whose own dual interface is OwnInterface: only that one reports
// error info.
template <class OwnInterface> class FieldObjectErrorInfo : public ISupportErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == __uuidof(OwnInterface) ? S_OK : S_FALSE;
    }
};

// A new object of class T, held through its interface I by the returned pointer, which has the
// object's one reference; `object` points at the implementation for setting it up. The object keeps
// the module locked while it lives. A failed creation is thrown as its HRESULT.
template <class T, class I> _com_ptr_t<I> NewComObject(T*& object) {
    CComObject<T>* created = nullptr;
    const HRESULT hr = CComObject<T>::CreateInstance(&created);
    if (FAILED(hr)) {
        ThrowHResult(hr);
    }
    object = created;
    return _com_ptr_t<I>(static_cast<I*>(created));
}
template <class T, class I> _com_ptr_t<I> NewComObject() {
    T* object = nullptr;
    return NewComObject<T, I>(object);
}

// Out values: E_POINTER for a null out pointer; texts as new BSTRs that the caller frees.
HRESULT AnswerText(const CStdStr<wchar_t>& text, BSTR* out);
// A copy of the whole BSTR (embedded NULs kept); null copies as the empty string.
HRESULT AnswerCopy(BSTR text, BSTR* out);
HRESULT AnswerFlag(bool flag, VARIANT_BOOL* out);
HRESULT AnswerNumber(LONG number, LONG* out);

// Runs the body of a host-callable method; an exception becomes the logged HRESULT of the interface
// boundary, attributed to `function` at `file` and `line`.
template <class Body> HRESULT AtBoundary(const char* function, const char* file, int line, Body&& body) {
    try {
        return body();
    } catch (...) {
        return HResultFromCurrentException(function, file, line, nullptr);
    }
}
