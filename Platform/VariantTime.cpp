// Automation dates: days since 1899-12-30, the fraction the time of day. Before that day the whole
// part counts back and the fraction still counts forward: -1.25 is 1899-12-29 06:00.
#include "Platform/OleAuto.h"

#include "Platform/Calendar.h"

#include <cmath>

namespace {

using Platform::kSecondsPerDay;

// 1899-12-30 in days since 1970-01-01.
constexpr LONGLONG kDateEpochDays = -25569;
// 0100-01-01 and the day after 9999-12-31.
constexpr DATE kFirstDate = -657434.0;
constexpr DATE kEndDate = 2958466.0;

} // namespace

INT VariantTimeToSystemTime(DOUBLE vtime, SYSTEMTIME* lpSystemTime) {
    if (lpSystemTime == nullptr || !(vtime >= kFirstDate && vtime < kEndDate)) {
        return FALSE;
    }
    const double day = std::trunc(vtime);
    const double timeOfDay = std::fabs(vtime - day);
    // Rounded to the nearest second, which may carry into the next day.
    const LONGLONG seconds = (static_cast<LONGLONG>(day) + kDateEpochDays) * kSecondsPerDay +
                             static_cast<LONGLONG>(std::floor(timeOfDay * kSecondsPerDay + 0.5));
    const SYSTEMTIME result = Platform::SystemTimeFromSeconds(seconds, 0);
    if (result.wYear > 9999) {
        return FALSE;
    }
    *lpSystemTime = result;
    return TRUE;
}

// Milliseconds are ignored, as on Windows.
INT SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, DOUBLE* pvtime) {
    if (lpSystemTime == nullptr || pvtime == nullptr || lpSystemTime->wYear < 100 ||
        lpSystemTime->wYear > 9999) {
        return FALSE;
    }
    SYSTEMTIME fields = *lpSystemTime;
    fields.wMilliseconds = 0;
    if (!Platform::HasValidFields(fields)) {
        return FALSE;
    }
    const auto day = static_cast<double>(Platform::DaysFromCivil(fields.wYear, fields.wMonth, fields.wDay) -
                                         kDateEpochDays);
    const double timeOfDay =
        static_cast<double>(fields.wHour * 3600 + fields.wMinute * 60 + fields.wSecond) / kSecondsPerDay;
    *pvtime = day < 0 ? day - timeOfDay : day + timeOfDay;
    return TRUE;
}
