// Proleptic Gregorian calendar arithmetic shared by the layer's date and time code (internal to Platform/).
#pragma once

#include "Platform/WinTypes.h"

namespace Platform {

constexpr LONGLONG kSecondsPerDay = 86400;

// Days since 1970-01-01 of a civil date (any year, negative counts too).
LONGLONG DaysFromCivil(LONGLONG year, unsigned month, unsigned day);

struct CivilDate {
    LONGLONG year;
    unsigned month;
    unsigned day;
};
CivilDate CivilFromDays(LONGLONG days);

bool IsLeapYear(LONGLONG year);
unsigned DaysInMonth(LONGLONG year, unsigned month);
// 0 = Sunday.
WORD DayOfWeek(LONGLONG days);

// Month, day, hour, minute, second and millisecond in range (the year is the caller's to check).
bool HasValidFields(const SYSTEMTIME& time);

// Seconds since 1970-01-01 00:00:00 of the time's fields (milliseconds not counted).
LONGLONG SecondsFromSystemTime(const SYSTEMTIME& time);
// The fields of a second count since 1970; milliseconds are set to `milliseconds`.
SYSTEMTIME SystemTimeFromSeconds(LONGLONG seconds, WORD milliseconds);

LONGLONG FloorDivide(LONGLONG value, LONGLONG divisor);

} // namespace Platform
