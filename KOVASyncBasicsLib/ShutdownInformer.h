// The host's shutdown informer: says whether the host is shutting down or the caller runs on a
// timer, and takes notices of requests, of server-busy waits and of an aborted sync.
#pragma once

#include "KOVASyncBasicsLib/ComErrorCheck.h"
#include "Platform/OleAuto.h"

// Slots 2, 4-8, 11 and 12 belong to the host and are never called by the filter.
struct ILSShutdownInformer : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_ShutdownRequested(VARIANT_BOOL* requested) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod2() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ReportAbortMessage(BSTR message) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod4() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod5() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod6() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod7() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod8() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsOnTimer(VARIANT_BOOL* onTimer) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_NotifyRequest() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod11() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod12() = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_BeginDelay(LONG milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE raw_EndDelay() = 0;

    // Wrappers: a failed call raises _com_error.
    HRESULT ReportAbortMessage(_bstr_t message);
    VARIANT_BOOL GetIsOnTimer();
    HRESULT BeginDelay(LONG milliseconds);
    HRESULT EndDelay();

protected:
    ~ILSShutdownInformer() = default;
};
KOVA_DECLARE_UUID(ILSShutdownInformer, "5332EC7A-FD1F-4BD4-9B8A-D34357351F6A");
_COM_SMARTPTR_TYPEDEF(ILSShutdownInformer, __uuidof(ILSShutdownInformer));

inline HRESULT ILSShutdownInformer::ReportAbortMessage(_bstr_t message) {
    return KOVASyncBasicsLib::CheckCall(this, raw_ReportAbortMessage(message));
}
inline VARIANT_BOOL ILSShutdownInformer::GetIsOnTimer() {
    VARIANT_BOOL onTimer = VARIANT_FALSE;
    KOVASyncBasicsLib::CheckCall(this, get_IsOnTimer(&onTimer));
    return onTimer;
}
inline HRESULT ILSShutdownInformer::BeginDelay(LONG milliseconds) {
    return KOVASyncBasicsLib::CheckCall(this, raw_BeginDelay(milliseconds));
}
inline HRESULT ILSShutdownInformer::EndDelay() {
    return KOVASyncBasicsLib::CheckCall(this, raw_EndDelay());
}
