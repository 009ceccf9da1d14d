// The one source of time behind GetTickCount64, Sleep and the wall clock (GetSystemTime and friends).
// Tests replace it (Platform/TestClock.h) so that waits of minutes take no real time.
#pragma once

#include "Platform/WinTypes.h"

#include <functional>

namespace Platform {

class Clock {
public:
    // Milliseconds of a monotonic count that is never 0.
    virtual ULONGLONG TickCount() = 0;
    // The current UTC time in 100-nanosecond intervals since 1601-01-01.
    virtual ULONGLONG UtcFileTime() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // Waits until `ready` answers true or `milliseconds` (INFINITE: no limit) have passed; true when it
    // answered true. `ready(remaining)` may itself wait up to `remaining` milliseconds of real time for
    // what it looks for. A manual clock asks without waiting, advances as Sleep does, and asks again.
    virtual bool WaitUntil(DWORD milliseconds, const std::function<bool(DWORD)>& ready) = 0;

protected:
    ~Clock() = default;
};

// The clock in use for the whole process.
Clock& CurrentClock();

// Makes `clock` the process's clock (nullptr puts the real one back) and returns the one it replaced,
// or nullptr when that was the real clock. The caller keeps `clock` alive while it is installed.
Clock* InstallClock(Clock* clock);

} // namespace Platform
