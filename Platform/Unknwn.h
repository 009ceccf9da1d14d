// IUnknown, IDispatch and the error-info interfaces.
#pragma once

#include "Platform/Guid.h"
#include "Platform/WinError.h"

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

    template <class Q> HRESULT QueryInterface(Q** pp) {
        return QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
    }

protected:
    ~IUnknown() = default; // objects are destroyed through Release, never through an interface
};
KOVA_DECLARE_UUID(IUnknown, "00000000-0000-0000-C000-000000000046");
using LPUNKNOWN = IUnknown*;

struct ITypeInfo;
struct VARIANT;
using DISPID = LONG;
struct DISPPARAMS;
struct EXCEPINFO;

// Late binding. No scripting client exists on this platform: implementations answer E_NOTIMPL.
struct IDispatch : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                    DISPID* rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                             EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};
KOVA_DECLARE_UUID(IDispatch, "00020400-0000-0000-C000-000000000046");

struct IErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) = 0;

protected:
    ~IErrorInfo() = default;
};
KOVA_DECLARE_UUID(IErrorInfo, "1CF2B120-547D-101B-8E65-08002B2BD119");

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};
KOVA_DECLARE_UUID(ISupportErrorInfo, "DF0B3D60-548F-101B-8E65-08002B2BD119");

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};
KOVA_DECLARE_UUID(IClassFactory, "00000001-0000-0000-C000-000000000046");

inline constexpr IID IID_IUnknown = __uuidof(IUnknown);
inline constexpr IID IID_IDispatch = __uuidof(IDispatch);
inline constexpr IID IID_IErrorInfo = __uuidof(IErrorInfo);
inline constexpr IID IID_ISupportErrorInfo = __uuidof(ISupportErrorInfo);
inline constexpr IID IID_IClassFactory = __uuidof(IClassFactory);
