#include "Platform/Calendar.h"

namespace Platform {

LONGLONG FloorDivide(LONGLONG value, LONGLONG divisor) {
    const LONGLONG quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

LONGLONG DaysFromCivil(LONGLONG year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const LONGLONG era = FloorDivide(year, 400);
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<LONGLONG>(dayOfEra) - 719468;
}

CivilDate CivilFromDays(LONGLONG days) {
    days += 719468;
    const LONGLONG era = FloorDivide(days, 146097);
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<LONGLONG>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsLeapYear(LONGLONG year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(LONGLONG year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

WORD DayOfWeek(LONGLONG days) {
    // 1970-01-01 was a Thursday.
    const LONGLONG shifted = days + 4;
    return static_cast<WORD>(shifted - FloorDivide(shifted, 7) * 7);
}

bool HasValidFields(const SYSTEMTIME& time) {
    return time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 &&
           time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 && time.wMinute < 60 &&
           time.wSecond < 60 && time.wMilliseconds < 1000;
}

LONGLONG SecondsFromSystemTime(const SYSTEMTIME& time) {
    return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * kSecondsPerDay + time.wHour * 3600 +
           time.wMinute * 60 + time.wSecond;
}

SYSTEMTIME SystemTimeFromSeconds(LONGLONG seconds, WORD milliseconds) {
    const LONGLONG days = FloorDivide(seconds, kSecondsPerDay);
    const LONGLONG secondOfDay = seconds - days * kSecondsPerDay;
    const CivilDate date = CivilFromDays(days);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    time.wDayOfWeek = DayOfWeek(days);
    time.wHour = static_cast<WORD>(secondOfDay / 3600);
    time.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    time.wSecond = static_cast<WORD>(secondOfDay % 60);
    time.wMilliseconds = milliseconds;
    return time;
}

} // namespace Platform
