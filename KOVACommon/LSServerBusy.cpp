// Yielding to a loaded server: the retry of 503 and 429 replies and the health-score throttle.
#include "KOVACommon/LSBaseWS.h"

#include "KOVACommon/LSSyncHelper.h"
#include "Platform/WinBase.h"
#include "VantrelCommon/Exceptions.h"
#include "VantrelCommon/LSDiag.h"
#include "VantrelCommon/LSSetting.h"
#include "VantrelCommon/TextUtils.h"

#include <algorithm>
#include <optional>

namespace {

constexpr long kServiceUnavailable = 503;
constexpr long kTooManyRequests = 429;
constexpr unsigned kMaximumRuns = 5;
constexpr std::uint32_t kFirstDelaySeconds = 30;
constexpr DWORD kShutdownPollMs = 100;
constexpr DWORD kHighestHealthScore = 10;

DWORD DwordSetting(const wchar_t* name, DWORD defaultValue) {
    return LSSetting::GetInstance()->GetUserDwordConfigDetails(name, defaultValue).value;
}

// Unsigned as the setting is: a large value must not turn into a negative threshold.
DWORD HealthScoreThreshold() {
    static const DWORD threshold = DwordSetting(L"SharePointSync.HealthScoreThreshold",
                                                DwordSetting(L"SharePointSync.HeathScoreThreshold", 9));
    return threshold;
}

DWORD ThresholdExceededDelayMs() {
    static const DWORD delay = DwordSetting(L"SharePointSync.ThresholdExceededDelayMS", 5000);
    return delay;
}

// Ends a server-busy wait at the informer, also when the wait ends by an exception.
class DelayNotice {
public:
    DelayNotice(ILSShutdownInformer* informer, std::uint32_t milliseconds) : informer_(informer) {
        if (informer_ != nullptr) {
            informer_->BeginDelay(static_cast<LONG>(milliseconds));
        }
    }
    DelayNotice(const DelayNotice&) = delete;
    DelayNotice& operator=(const DelayNotice&) = delete;
    ~DelayNotice() {
        if (informer_ != nullptr) {
            (void)informer_->raw_EndDelay();
        }
    }
    // The normal end, where a failure of the informer is raised.
    void End() {
        ILSShutdownInformer* informer = informer_;
        informer_ = nullptr;
        if (informer != nullptr) {
            informer->EndDelay();
        }
    }

private:
    ILSShutdownInformer* informer_;
};

} // namespace

void RunWithServerUnavailableRetry(ILSShutdownInformer* informer, std::function<void()> attempt) {
    unsigned tries = 0;
    std::uint32_t delaySeconds = kFirstDelaySeconds;
    for (;;) {
        try {
            attempt();
            return;
        } catch (const LSHttpError& error) {
            if (error.status != kServiceUnavailable && error.status != kTooManyRequests) {
                throw;
            }
            EnableLightSyncMode();
            if (tries + 1 >= kMaximumRuns) {
                LSDIAG_ERROR << "Server unavailable - exceeded retries";
                throw;
            }
            std::uint32_t waitSeconds = std::min(error.retryAfterSeconds, kLongestServerWaitSeconds);
            if (waitSeconds == 0) {
                waitSeconds = delaySeconds;
                delaySeconds = std::min(2 * delaySeconds, kLongestServerWaitSeconds);
            }
            LSDIAG_ERROR << "Server unavailable - " << tries << " delaying " << waitSeconds;
            DelayNotice notice(informer, waitSeconds * 1000);
            DelayWithShutdownCheck(informer, waitSeconds * 1000);
            notice.End();
        }
        ++tries;
    }
}

void CheckHealthScore(ILSHttpRequest* request, ILSShutdownInformer* informer) {
    CStdStr<wchar_t> header(request->GetResponseHeader(L"X-SharePointHealthScore"));
    header.Trim(L" \t");
    if (header.empty()) {
        return;
    }
    const std::optional<std::uint32_t> parsed = ParseDigits(header, kHighestHealthScore + 1);
    if (!parsed || *parsed > kHighestHealthScore) {
        LSDIAG_DIAG << "Invalid health score returned " << header;
        return;
    }
    const DWORD score = *parsed;
    const DWORD threshold = HealthScoreThreshold();
    if (threshold == 0) {
        return;
    }
    if (threshold > kHighestHealthScore) {
        LSDIAG_ERROR << "Invalid SharePointSync.HeathScoreThreshold value " << threshold;
        return;
    }
    if (score < threshold) {
        return;
    }
    EnableLightSyncMode();
    const DWORD pause = std::min<DWORD>(ThresholdExceededDelayMs(), kLongestServerWaitSeconds * 1000);
    if (pause != 0) {
        LSDIAG_DIAG << "Delaying due to healthscore level " << score;
        DelayWithShutdownCheck(informer, pause);
    }
}

void DelayWithShutdownCheck(ILSShutdownInformer* informer, std::uint32_t milliseconds) {
    if (informer != nullptr && informer->GetIsOnTimer() == VARIANT_TRUE) {
        LSDIAG_ERROR << "Shutdown informer is on a timer, possibly on the UI thread. Aborting";
        ThrowHResult(E_ABORT);
    }
    const ULONGLONG start = GetTickCount64();
    if (start == 0) {
        ThrowHResult(E_INVALIDARG);
    }
    while (GetTickCount64() - start < milliseconds) {
        if (informer != nullptr) {
            VARIANT_BOOL requested = VARIANT_FALSE;
            (void)informer->get_ShutdownRequested(&requested);
            if (requested == VARIANT_TRUE) {
                LSDIAG_ERROR << "Interrupting delay - aborting ";
                ThrowHResult(E_ABORT);
            }
        }
        Sleep(kShutdownPollMs);
    }
}
