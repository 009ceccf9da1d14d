// The locales the layer knows, with their patterns, separators and names (internal to Platform/).
// Their data comes from the C library's locale of the same name (LC_TIME, LC_NUMERIC, LC_MONETARY).
#pragma once

#include "Platform/WinTypes.h"

#include <array>
#include <string>
#include <string_view>

namespace Platform {

struct LocaleData {
    LCID lcid;
    std::string posixName; // as in LANG, without codeset: "en_US"; "" for the invariant locale
    std::wstring name;     // LOCALE_SNAME: "en-US"
    std::wstring iso639;
    std::wstring iso3166;
    std::wstring decimal;
    std::wstring thousand;
    std::wstring monetaryDecimal;
    std::wstring monetaryThousand;
    std::wstring currency;
    std::wstring intlSymbol;
    std::wstring shortDate; // Windows pictures: d M y, h H m s t, 'text'
    std::wstring longDate;
    std::wstring timeFormat;
    std::wstring shortTime;
    std::wstring am;
    std::wstring pm;
    std::array<std::wstring, 7> days; // Sunday first
    std::array<std::wstring, 7> abbreviatedDays;
    std::array<std::wstring, 12> months;
    std::array<std::wstring, 12> abbreviatedMonths;
};

// The locale an LCID names, the default-locale LCIDs resolved (LOCALE_CUSTOM_DEFAULT is the user's
// locale from the environment, whatever its name); null for an LCID the layer does not know or a
// locale the C library does not have installed (en-US then takes the C locale's data).
const LocaleData* FindLocale(LCID lcid);

// The LCID of a POSIX locale name ("de_DE.UTF-8", "fr_FR@euro", "en"): the Windows LCID of a known
// name; LOCALE_CUSTOM_DEFAULT for another locale the C library has; for a bare language or an
// unknown territory, the language's main country; en-US for C, POSIX, empty and unknown names.
LCID LcidFromPosixName(std::string_view name);

// The user's locale name for a category: LC_ALL, then the category's variable, then LANG; "" if unset.
std::string LocaleNameFromEnvironment(const char* category);

// The LCID of a language Windows has a user interface in: the language's main country where the
// name's own LCID is LOCALE_CUSTOM_DEFAULT, en-US where the language is not listed.
LCID UiLcidFromPosixName(std::string_view name);

// The first character of a pattern that is not a field letter: the date or time separator.
wchar_t PatternSeparator(std::wstring_view pattern);

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };
DateOrder ShortDateOrder(const LocaleData& locale);

} // namespace Platform
