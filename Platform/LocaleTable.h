// The locales the layer knows, with their patterns, separators and names (internal to Platform/).
#pragma once

#include "Platform/WinTypes.h"

#include <array>
#include <string_view>

namespace Platform {

struct LocaleData {
    LCID lcid;
    const char* posixName; // as in LANG, without codeset: "en_US"
    const wchar_t* name;   // LOCALE_SNAME: "en-US"
    const wchar_t* iso639;
    const wchar_t* iso3166;
    const wchar_t* decimal;
    const wchar_t* thousand;
    const wchar_t* currency;
    const wchar_t* intlSymbol;
    const wchar_t* shortDate;
    const wchar_t* longDate;
    const wchar_t* timeFormat;
    const wchar_t* shortTime;
    const wchar_t* am;
    const wchar_t* pm;
    std::array<const wchar_t*, 7> days; // Sunday first
    std::array<const wchar_t*, 7> abbreviatedDays;
    std::array<const wchar_t*, 12> months;
    std::array<const wchar_t*, 12> abbreviatedMonths;
};

// The locale an LCID names, the default-locale LCIDs resolved; null for an unknown locale.
const LocaleData* FindLocale(LCID lcid);

// The LCID of a POSIX locale name ("de_DE.UTF-8", "fr_FR@euro", "en"); en-US for C, POSIX, empty
// and unknown names.
LCID LcidFromPosixName(std::string_view name);

// The first character of a pattern that is not a field letter: the date or time separator.
wchar_t PatternSeparator(const wchar_t* pattern);

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };
DateOrder ShortDateOrder(const LocaleData& locale);

} // namespace Platform
