// The real clock (CLOCK_MONOTONIC, CLOCK_REALTIME, nanosleep) and the process-wide clock slot.
#include "Platform/Clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <sched.h>

namespace {

// 1601-01-01 to 1970-01-01 in 100-nanosecond intervals.
constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

class RealClock final : public Platform::Clock {
public:
    ULONGLONG TickCount() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        // One millisecond added so that the count is never 0, even right after boot.
        return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1000000 + 1;
    }

    ULONGLONG UtcFileTime() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return kUnixEpochAsFileTime + static_cast<ULONGLONG>(now.tv_sec) * 10000000 +
               static_cast<ULONGLONG>(now.tv_nsec) / 100;
    }

    void Sleep(DWORD milliseconds) override {
        if (milliseconds == 0) {
            sched_yield();
            return;
        }
        if (milliseconds == INFINITE) {
            for (;;) {
                SleepFor(3600 * 1000);
            }
        }
        SleepFor(milliseconds);
    }

    bool WaitUntil(DWORD milliseconds, const std::function<bool(DWORD)>& ready) override {
        const ULONGLONG started = TickCount();
        for (;;) {
            const ULONGLONG elapsed = TickCount() - started;
            const DWORD remaining = milliseconds == INFINITE  ? INFINITE
                                    : elapsed >= milliseconds ? 0
                                                              : static_cast<DWORD>(milliseconds - elapsed);
            if (ready(remaining)) {
                return true;
            }
            if (remaining == 0) {
                return false;
            }
        }
    }

private:
    static void SleepFor(DWORD milliseconds) {
        timespec remaining{static_cast<time_t>(milliseconds / 1000),
                           static_cast<long>(milliseconds % 1000) * 1000000};
        while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
        }
    }
};

RealClock realClock;
std::atomic<Platform::Clock*> installed{nullptr};

} // namespace

namespace Platform {

Clock& CurrentClock() {
    Clock* clock = installed.load();
    return clock != nullptr ? *clock : realClock;
}

Clock* InstallClock(Clock* clock) {
    return installed.exchange(clock);
}

} // namespace Platform

ULONGLONG GetTickCount64() {
    return Platform::CurrentClock().TickCount();
}

DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}

void Sleep(DWORD dwMilliseconds) {
    Platform::CurrentClock().Sleep(dwMilliseconds);
}
