// The calling thread's error-info object (SetErrorInfo / GetErrorInfo) and the object that
// CreateErrorInfo makes for it.
#pragma once

#include "Platform/Unknwn.h"

struct ICreateErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};
KOVA_DECLARE_UUID(ICreateErrorInfo, "22F03340-547D-101B-8E65-08002B2BD119");
inline constexpr IID IID_ICreateErrorInfo = __uuidof(ICreateErrorInfo);

// Makes an object that is both ICreateErrorInfo and IErrorInfo (reached by QueryInterface).
HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Replaces the thread's error object (null clears it); the thread holds a reference.
HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands the thread's error object to the caller and clears it; S_FALSE and null when there is none.
HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
