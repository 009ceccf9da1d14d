// System time and FILETIME (100-nanosecond intervals since 1601-01-01), read from the process clock.
#include "Platform/WinBase.h"

#include "Platform/Calendar.h"
#include "Platform/Clock.h"
#include "Platform/FileTimeValue.h"
#include "Platform/WinError.h"

namespace {

constexpr LONGLONG kTicksPerSecond = 10000000;
constexpr LONGLONG kTicksPerMillisecond = 10000;
// 1601-01-01 in days since 1970-01-01.
constexpr LONGLONG kFileTimeEpochDays = -134774;
constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;

} // namespace

namespace Platform {

ULONGLONG FileTimeValue(const FILETIME& fileTime) {
    return (ULONGLONG{fileTime.dwHighDateTime} << 32) | fileTime.dwLowDateTime;
}

FILETIME MakeFileTime(ULONGLONG value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

} // namespace Platform

void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime) {
    *lpSystemTimeAsFileTime = Platform::MakeFileTime(Platform::CurrentClock().UtcFileTime());
}

void GetSystemTime(SYSTEMTIME* lpSystemTime) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    FileTimeToSystemTime(&now, lpSystemTime);
}

void GetLocalTime(SYSTEMTIME* lpSystemTime) {
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, lpSystemTime);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
    if (lpSystemTime == nullptr || lpFileTime == nullptr || lpSystemTime->wYear < 1601 ||
        lpSystemTime->wYear > 30827 || !Platform::HasValidFields(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONGLONG seconds =
        Platform::SecondsFromSystemTime(*lpSystemTime) - kFileTimeEpochDays * Platform::kSecondsPerDay;
    const auto ticks = static_cast<ULONGLONG>(seconds * kTicksPerSecond +
                                              lpSystemTime->wMilliseconds * kTicksPerMillisecond);
    *lpFileTime = Platform::MakeFileTime(ticks);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
    if (lpFileTime == nullptr || lpSystemTime == nullptr ||
        Platform::FileTimeValue(*lpFileTime) > kMaxFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto ticks = static_cast<LONGLONG>(Platform::FileTimeValue(*lpFileTime));
    const LONGLONG seconds = ticks / kTicksPerSecond + kFileTimeEpochDays * Platform::kSecondsPerDay;
    const auto milliseconds = static_cast<WORD>(ticks % kTicksPerSecond / kTicksPerMillisecond);
    *lpSystemTime = Platform::SystemTimeFromSeconds(seconds, milliseconds);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
    if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LONGLONG offset = Platform::CurrentUtcOffsetSeconds() * kTicksPerSecond;
    *lpLocalFileTime =
        Platform::MakeFileTime(Platform::FileTimeValue(*lpFileTime) + static_cast<ULONGLONG>(offset));
    return TRUE;
}
