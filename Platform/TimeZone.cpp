// Conversions between UTC and local time: the process time zone (TZ, through the C library) or an
// explicit TIME_ZONE_INFORMATION with its daylight-time rules.
#include "Platform/WinBase.h"

#include "Platform/Calendar.h"
#include "Platform/Clock.h"
#include "Platform/FileTimeValue.h"
#include "Platform/WinError.h"

#include <ctime>

namespace {

using Platform::kSecondsPerDay;

// 1970-01-01 as a FILETIME, in seconds.
constexpr LONGLONG kUnixEpochFileTimeSeconds = 11644473600LL;

BOOL Fail() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// A time a FILETIME can hold (1601 to 30827) with fields in range.
bool IsConvertible(const SYSTEMTIME* time) {
    FILETIME ignored{};
    return time != nullptr && SystemTimeToFileTime(time, &ignored) != FALSE;
}

bool IsConvertibleResult(LONGLONG seconds) {
    const SYSTEMTIME result = Platform::SystemTimeFromSeconds(seconds, 0);
    return result.wYear >= 1601 && result.wYear <= 30827 && seconds >= -kUnixEpochFileTimeSeconds;
}

LONGLONG ProcessZoneOffset(LONGLONG utcSeconds) {
    tzset(); // picks up a TZ changed since the last call
    const auto value = static_cast<time_t>(utcSeconds);
    tm local{};
    if (localtime_r(&value, &local) == nullptr) {
        return 0;
    }
    return local.tm_gmtoff;
}

bool ProcessZoneLocalToUtc(const SYSTEMTIME& local, LONGLONG* utcSeconds) {
    tzset();
    tm fields{};
    fields.tm_year = local.wYear - 1900;
    fields.tm_mon = local.wMonth - 1;
    fields.tm_mday = local.wDay;
    fields.tm_hour = local.wHour;
    fields.tm_min = local.wMinute;
    fields.tm_sec = local.wSecond;
    fields.tm_isdst = -1;
    fields.tm_wday = -1; // mktime sets it on success, even when the answer is (time_t)-1
    const time_t result = mktime(&fields);
    if (fields.tm_wday < 0) {
        return false;
    }
    *utcSeconds = result;
    return true;
}

bool HasDaylightRules(const TIME_ZONE_INFORMATION& zone) {
    return zone.StandardDate.wMonth != 0 && zone.DaylightDate.wMonth != 0;
}

bool IsValidRule(const SYSTEMTIME& rule) {
    return rule.wMonth >= 1 && rule.wMonth <= 12 && rule.wDayOfWeek < 7 && rule.wDay >= 1 && rule.wDay <= 5 &&
           rule.wHour < 24 && rule.wMinute < 60 && rule.wSecond < 60;
}

// Local seconds since 1970 at which a transition rule fires in `year`: the wDay-th wDayOfWeek of the
// month (5 = the last), or the rule's own date when it names a year.
LONGLONG TransitionSeconds(const SYSTEMTIME& rule, LONGLONG year) {
    LONGLONG day = 0;
    if (rule.wYear != 0) {
        day = Platform::DaysFromCivil(year, rule.wMonth, rule.wDay);
    } else {
        const LONGLONG first = Platform::DaysFromCivil(year, rule.wMonth, 1);
        day = first + (rule.wDayOfWeek - Platform::DayOfWeek(first) + 7) % 7 + 7 * (rule.wDay - 1);
        const LONGLONG monthEnd = first + Platform::DaysInMonth(year, rule.wMonth);
        while (day >= monthEnd) {
            day -= 7;
        }
    }
    return day * kSecondsPerDay + rule.wHour * 3600 + rule.wMinute * 60 + rule.wSecond;
}

bool Within(LONGLONG value, LONGLONG start, LONGLONG end) {
    return start < end ? (value >= start && value < end) : (value >= start || value < end);
}

// Bias in minutes for a moment; `isLocal` says whether `seconds` is a local time or UTC.
LONG ZoneBias(const TIME_ZONE_INFORMATION& zone, LONGLONG seconds, LONGLONG year, bool isLocal) {
    const LONG standardBias = zone.Bias + zone.StandardBias;
    if (!HasDaylightRules(zone)) {
        return standardBias;
    }
    const LONG daylightBias = zone.Bias + zone.DaylightBias;
    // Daylight time starts at a standard-time moment and ends at a daylight-time moment.
    LONGLONG start = TransitionSeconds(zone.DaylightDate, year);
    LONGLONG end = TransitionSeconds(zone.StandardDate, year);
    if (!isLocal) {
        start += LONGLONG{standardBias} * 60;
        end += LONGLONG{daylightBias} * 60;
    }
    return Within(seconds, start, end) ? daylightBias : standardBias;
}

bool HasValidRules(const TIME_ZONE_INFORMATION& zone) {
    return !HasDaylightRules(zone) || (IsValidRule(zone.StandardDate) && IsValidRule(zone.DaylightDate));
}

} // namespace

namespace Platform {

LONGLONG CurrentUtcOffsetSeconds() {
    const auto now =
        static_cast<LONGLONG>(CurrentClock().UtcFileTime() / 10000000) - kUnixEpochFileTimeSeconds;
    return ProcessZoneOffset(now);
}

} // namespace Platform

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpUniversalTime, SYSTEMTIME* lpLocalTime) {
    if (!IsConvertible(lpUniversalTime) || lpLocalTime == nullptr ||
        (lpTimeZoneInformation != nullptr && !HasValidRules(*lpTimeZoneInformation))) {
        return Fail();
    }
    const LONGLONG utc = Platform::SecondsFromSystemTime(*lpUniversalTime);
    const LONGLONG local =
        lpTimeZoneInformation == nullptr
            ? utc + ProcessZoneOffset(utc)
            : utc - LONGLONG{ZoneBias(*lpTimeZoneInformation, utc, lpUniversalTime->wYear, false)} * 60;
    if (!IsConvertibleResult(local)) {
        return Fail();
    }
    *lpLocalTime = Platform::SystemTimeFromSeconds(local, lpUniversalTime->wMilliseconds);
    return TRUE;
}

BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpLocalTime, SYSTEMTIME* lpUniversalTime) {
    if (!IsConvertible(lpLocalTime) || lpUniversalTime == nullptr ||
        (lpTimeZoneInformation != nullptr && !HasValidRules(*lpTimeZoneInformation))) {
        return Fail();
    }
    const LONGLONG local = Platform::SecondsFromSystemTime(*lpLocalTime);
    LONGLONG utc = 0;
    if (lpTimeZoneInformation == nullptr) {
        if (!ProcessZoneLocalToUtc(*lpLocalTime, &utc)) {
            return Fail();
        }
    } else {
        utc = local + LONGLONG{ZoneBias(*lpTimeZoneInformation, local, lpLocalTime->wYear, true)} * 60;
    }
    if (!IsConvertibleResult(utc)) {
        return Fail();
    }
    *lpUniversalTime = Platform::SystemTimeFromSeconds(utc, lpLocalTime->wMilliseconds);
    return TRUE;
}
