// A clock for tests: time stands still until a test advances it, and Sleep advances it at once and
// records the wait. ScopedManualClock installs one for its lifetime.
#pragma once

#include "Platform/Clock.h"

#include <functional>
#include <mutex>
#include <vector>

namespace Platform {

class ManualClock : public Clock {
public:
    // 2024-01-01 00:00:00 UTC.
    static constexpr ULONGLONG kDefaultStartFileTime = 133485408000000000ULL;
    static constexpr ULONGLONG kDefaultStartTick = 1000000;

    explicit ManualClock(ULONGLONG startFileTime = kDefaultStartFileTime,
                         ULONGLONG startTick = kDefaultStartTick);
    virtual ~ManualClock() = default;

    ULONGLONG TickCount() override;
    ULONGLONG UtcFileTime() override;
    // Advances the time by the wait, records it, then calls the sleep hook (outside the clock's lock).
    void Sleep(DWORD milliseconds) override;
    // Asks `ready` without waiting; when it is not ready, sleeps the whole wait (recorded, hook called)
    // and asks once more.
    bool WaitUntil(DWORD milliseconds, const std::function<bool(DWORD)>& ready) override;

    void Advance(ULONGLONG milliseconds);
    // Sets the wall clock; the tick count is not touched.
    void SetUtcTime(const SYSTEMTIME& utc);
    // Called after every Sleep with its argument, e.g. to change what a waiting loop polls.
    void OnSleep(std::function<void(DWORD)> hook);

    std::vector<DWORD> Sleeps() const;
    ULONGLONG TotalSlept() const;
    void ClearSleeps();

private:
    mutable std::mutex mutex_;
    ULONGLONG tick_;
    ULONGLONG fileTime_;
    std::vector<DWORD> sleeps_;
    std::function<void(DWORD)> hook_;
};

class ScopedManualClock : public ManualClock {
public:
    explicit ScopedManualClock(ULONGLONG startFileTime = kDefaultStartFileTime,
                               ULONGLONG startTick = kDefaultStartTick);
    ~ScopedManualClock() override;
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

private:
    Clock* previous_;
};

} // namespace Platform
