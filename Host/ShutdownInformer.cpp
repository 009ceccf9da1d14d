#include "Host/ShutdownInformer.h"

namespace Host {

namespace {

VARIANT_BOOL AsVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

LSShutdownInformer* LSShutdownInformer::Create() {
    return new LSShutdownInformer();
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::get_ShutdownRequested(VARIANT_BOOL* requested) {
    if (requested == nullptr) {
        return E_POINTER;
    }
    if (auto failure = failures_.For(ShutdownInformerMethod::ShutdownRequested)) {
        return *failure;
    }
    ++shutdownQueries_;
    const bool reached = shutdownAtQuery_ != 0 && shutdownQueries_ >= shutdownAtQuery_;
    *requested = AsVariantBool(shutdownRequested_.load() || reached);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::raw_ReportAbortMessage(BSTR message) {
    if (auto failure = failures_.For(ShutdownInformerMethod::ReportAbortMessage)) {
        return *failure;
    }
    abortMessages_.emplace_back(message == nullptr ? L"" : std::wstring(message, SysStringLen(message)));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::get_IsOnTimer(VARIANT_BOOL* onTimer) {
    if (onTimer == nullptr) {
        return E_POINTER;
    }
    if (auto failure = failures_.For(ShutdownInformerMethod::IsOnTimer)) {
        return *failure;
    }
    *onTimer = AsVariantBool(onTimer_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::raw_NotifyRequest() {
    if (auto failure = failures_.For(ShutdownInformerMethod::NotifyRequest)) {
        return *failure;
    }
    ++requestNotices_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::raw_BeginDelay(LONG milliseconds) {
    if (auto failure = failures_.For(ShutdownInformerMethod::BeginDelay)) {
        return *failure;
    }
    delaysBegun_.push_back(milliseconds);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LSShutdownInformer::raw_EndDelay() {
    if (auto failure = failures_.For(ShutdownInformerMethod::EndDelay)) {
        return *failure;
    }
    ++delaysEnded_;
    return S_OK;
}

} // namespace Host
