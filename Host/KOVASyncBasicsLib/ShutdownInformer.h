// The host's shutdown informer: says whether the host is shutting down or the caller runs on a
// timer, and takes notices of requests, of server-busy waits and of an aborted sync.
#pragma once

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

protected:
    ~ILSShutdownInformer() = default;
};
KOVA_DECLARE_UUID(ILSShutdownInformer, "5332EC7A-FD1F-4BD4-9B8A-D34357351F6A");
