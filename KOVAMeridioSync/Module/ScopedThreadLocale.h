// Sets the calling thread's locale for the object's lifetime and restores the one before.
#pragma once

#include "Platform/WinNls.h"

class ScopedThreadLocale {
public:
    explicit ScopedThreadLocale(LCID locale) : previous_(GetThreadLocale()) { SetThreadLocale(locale); }
    ~ScopedThreadLocale() { SetThreadLocale(previous_); }
    ScopedThreadLocale(const ScopedThreadLocale&) = delete;
    ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

private:
    LCID previous_;
};
