// The test host's shutdown informer: answers that tests set, notices that tests read back.
#pragma once

#include "Host/HostObject.h"
#include "Host/InjectedFailures.h"
#include "KOVASyncBasicsLib/ShutdownInformer.h"

#include <atomic>
#include <string>
#include <vector>

namespace Host {

enum class ShutdownInformerMethod {
    ShutdownRequested,
    ReportAbortMessage,
    IsOnTimer,
    NotifyRequest,
    BeginDelay,
    EndDelay
};

// A call that fails by injection records nothing. The host's own slots answer E_NOTIMPL.
class LSShutdownInformer final : public HostObject<ILSShutdownInformer> {
public:
    // A new informer holding one reference, which the caller releases.
    static LSShutdownInformer* Create();

    // Answers.
    // Safe to call from a signal handler.
    void SetShutdownRequested(bool requested) { shutdownRequested_.store(requested); }
    bool IsShutdownRequested() const { return shutdownRequested_.load(); }
    // Shutdown is reported from the given query on (1 = the first); 0 turns this off.
    void RequestShutdownAtQuery(unsigned query) { shutdownAtQuery_ = query; }
    void SetOnTimer(bool onTimer) { onTimer_ = onTimer; }
    InjectedFailures<ShutdownInformerMethod>& Failures() { return failures_; }

    // Recorded notices.
    unsigned ShutdownQueries() const { return shutdownQueries_; }
    const std::vector<std::wstring>& AbortMessages() const { return abortMessages_; }
    unsigned RequestNotices() const { return requestNotices_; }
    const std::vector<LONG>& DelaysBegun() const { return delaysBegun_; }
    unsigned DelaysEnded() const { return delaysEnded_; }

    HRESULT STDMETHODCALLTYPE get_ShutdownRequested(VARIANT_BOOL* requested) override;
    HRESULT STDMETHODCALLTYPE raw_ReportAbortMessage(BSTR message) override;
    HRESULT STDMETHODCALLTYPE get_IsOnTimer(VARIANT_BOOL* onTimer) override;
    HRESULT STDMETHODCALLTYPE raw_NotifyRequest() override;
    HRESULT STDMETHODCALLTYPE raw_BeginDelay(LONG milliseconds) override;
    HRESULT STDMETHODCALLTYPE raw_EndDelay() override;

    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE raw_ShutdownInformerMethod12() override { return E_NOTIMPL; }

private:
    LSShutdownInformer() = default;

    std::atomic<bool> shutdownRequested_{false};
    unsigned shutdownAtQuery_ = 0;
    bool onTimer_ = false;
    InjectedFailures<ShutdownInformerMethod> failures_;

    unsigned shutdownQueries_ = 0;
    std::vector<std::wstring> abortMessages_;
    unsigned requestNotices_ = 0;
    std::vector<LONG> delaysBegun_;
    unsigned delaysEnded_ = 0;
};

} // namespace Host
