// Kernel calls: last-error code, the clock, system and file times, time zones, interlocked
// operations and critical sections.
#pragma once

#include "Platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// Ticks, waits and the wall clock all read the one replaceable clock (Platform/Clock.h).
ULONGLONG GetTickCount64();
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);

void GetSystemTime(SYSTEMTIME* lpSystemTime);
void GetLocalTime(SYSTEMTIME* lpSystemTime);
void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
// Uses the zone's offset now (not at the given time), as Windows does.
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);

// Bias in minutes: UTC = local time + bias. A zone without daylight time has StandardDate.wMonth 0.
// Transition dates use the "day of week in month" form: wDay 1-5 is the week (5 = the last).
struct TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
using LPTIME_ZONE_INFORMATION = TIME_ZONE_INFORMATION*;

// A null zone is the process's time zone (TZ), with its rules at the given date.
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpUniversalTime, SYSTEMTIME* lpLocalTime);
BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpLocalTime, SYSTEMTIME* lpUniversalTime);

// Interlocked operations: sequentially consistent, each returns what Windows returns.
inline LONG InterlockedIncrement(LONG volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
// Returns the previous value.
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
// Stores exchange when *destination equals comparand; returns the previous value either way.
inline LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

// A recursive lock: the owning thread may enter again and leaves as often as it entered.
struct CRITICAL_SECTION {
    alignas(16) unsigned char storage[64];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
