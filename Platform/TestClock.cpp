#include "Platform/TestClock.h"

#include "Platform/WinBase.h"

#include <thread>

namespace Platform {

ManualClock::ManualClock(ULONGLONG startFileTime, ULONGLONG startTick)
    : tick_(startTick), fileTime_(startFileTime) {}

ULONGLONG ManualClock::TickCount() {
    std::lock_guard lock(mutex_);
    return tick_;
}

ULONGLONG ManualClock::UtcFileTime() {
    std::lock_guard lock(mutex_);
    return fileTime_;
}

void ManualClock::Sleep(DWORD milliseconds) {
    std::function<void(DWORD)> hook;
    {
        std::lock_guard lock(mutex_);
        tick_ += milliseconds;
        fileTime_ += ULONGLONG{milliseconds} * 10000;
        sleeps_.push_back(milliseconds);
        hook = hook_;
    }
    if (hook) {
        hook(milliseconds);
    }
    // Lets other threads run, as a real wait would, so that a polling loop does not starve them.
    std::this_thread::yield();
}

bool ManualClock::WaitUntil(DWORD milliseconds, const std::function<bool(DWORD)>& ready) {
    if (ready(0)) {
        return true;
    }
    Sleep(milliseconds);
    return ready(0);
}

void ManualClock::Advance(ULONGLONG milliseconds) {
    std::lock_guard lock(mutex_);
    tick_ += milliseconds;
    fileTime_ += milliseconds * 10000;
}

void ManualClock::SetUtcTime(const SYSTEMTIME& utc) {
    FILETIME fileTime{};
    SystemTimeToFileTime(&utc, &fileTime);
    std::lock_guard lock(mutex_);
    fileTime_ = (ULONGLONG{fileTime.dwHighDateTime} << 32) | fileTime.dwLowDateTime;
}

void ManualClock::OnSleep(std::function<void(DWORD)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<DWORD> ManualClock::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

ULONGLONG ManualClock::TotalSlept() const {
    std::lock_guard lock(mutex_);
    ULONGLONG total = 0;
    for (DWORD sleep : sleeps_) {
        total += sleep;
    }
    return total;
}

void ManualClock::ClearSleeps() {
    std::lock_guard lock(mutex_);
    sleeps_.clear();
}

ScopedManualClock::ScopedManualClock(ULONGLONG startFileTime, ULONGLONG startTick)
    : ManualClock(startFileTime, startTick), previous_(InstallClock(this)) {}

ScopedManualClock::~ScopedManualClock() {
    InstallClock(previous_);
}

} // namespace Platform
