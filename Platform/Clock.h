// The one source of time behind GetTickCount64, Sleep and the wall clock (GetSystemTime and friends).
// Tests replace it (Platform/TestClock.h) so that waits of minutes take no real time.
#pragma once

#include "Platform/WinTypes.h"

namespace Platform {

class Clock {
public:
    // Milliseconds of a monotonic count that is never 0.
    virtual ULONGLONG TickCount() = 0;
    // The current UTC time in 100-nanosecond intervals since 1601-01-01.
    virtual ULONGLONG UtcFileTime() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;

protected:
    ~Clock() = default;
};

// The clock in use for the whole process.
Clock& CurrentClock();

// Makes `clock` the process's clock (nullptr puts the real one back) and returns the one it replaced,
// or nullptr when that was the real clock. The caller keeps `clock` alive while it is installed.
Clock* InstallClock(Clock* clock);

} // namespace Platform
