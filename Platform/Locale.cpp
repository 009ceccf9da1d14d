// The user, system and thread locales, and the locale items.
#include "Platform/WinNls.h"

#include "Platform/LocaleTable.h"
#include "Platform/NlsBuffer.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

thread_local LCID threadLocale = LOCALE_NEUTRAL; // neutral: not set, the user locale

std::wstring HexLanguageId(LCID lcid) {
    wchar_t text[8];
    std::swprintf(text, 8, L"%04x", static_cast<unsigned>(LANGIDFROMLCID(lcid)));
    return text;
}

std::wstring DateOrderDigit(const Platform::LocaleData& locale) {
    switch (Platform::ShortDateOrder(locale)) {
    case Platform::DateOrder::MonthDayYear:
        return L"0";
    case Platform::DateOrder::DayMonthYear:
        return L"1";
    default:
        return L"2";
    }
}

// The text of an item, or false for an item the layer does not know.
bool LocaleItem(const Platform::LocaleData& locale, LCTYPE type, std::wstring* value) {
    // Day names are numbered from Monday; the table starts on Sunday.
    auto fromMonday = [](LCTYPE offset) { return (offset + 1) % 7; };
    if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7) {
        *value = locale.days[fromMonday(type - LOCALE_SDAYNAME1)];
        return true;
    }
    if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7) {
        *value = locale.abbreviatedDays[fromMonday(type - LOCALE_SABBREVDAYNAME1)];
        return true;
    }
    if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12) {
        *value = locale.months[type - LOCALE_SMONTHNAME1];
        return true;
    }
    if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12) {
        *value = locale.abbreviatedMonths[type - LOCALE_SABBREVMONTHNAME1];
        return true;
    }
    switch (type) {
    case LOCALE_ILANGUAGE:
        *value = HexLanguageId(locale.lcid);
        return true;
    case LOCALE_SDECIMAL:
        *value = locale.decimal;
        return true;
    case LOCALE_STHOUSAND:
        *value = locale.thousand;
        return true;
    case LOCALE_SMONDECIMALSEP:
        *value = locale.monetaryDecimal;
        return true;
    case LOCALE_SMONTHOUSANDSEP:
        *value = locale.monetaryThousand;
        return true;
    case LOCALE_SCURRENCY:
        *value = locale.currency;
        return true;
    case LOCALE_SINTLSYMBOL:
        *value = locale.intlSymbol;
        return true;
    case LOCALE_SDATE:
        *value = std::wstring(1, Platform::PatternSeparator(locale.shortDate));
        return true;
    case LOCALE_STIME:
        *value = std::wstring(1, Platform::PatternSeparator(locale.timeFormat));
        return true;
    case LOCALE_SSHORTDATE:
        *value = locale.shortDate;
        return true;
    case LOCALE_SLONGDATE:
        *value = locale.longDate;
        return true;
    case LOCALE_IDATE:
        *value = DateOrderDigit(locale);
        return true;
    case LOCALE_S1159:
        *value = locale.am;
        return true;
    case LOCALE_S2359:
        *value = locale.pm;
        return true;
    case LOCALE_SNEGATIVESIGN:
        *value = L"-";
        return true;
    case LOCALE_SISO639LANGNAME:
        *value = locale.iso639;
        return true;
    case LOCALE_SISO3166CTRYNAME:
        *value = locale.iso3166;
        return true;
    case LOCALE_SNAME:
        *value = locale.name;
        return true;
    case LOCALE_SSHORTTIME:
        *value = locale.shortTime;
        return true;
    case LOCALE_STIMEFORMAT:
        *value = locale.timeFormat;
        return true;
    default:
        return false;
    }
}

} // namespace

namespace Platform {

int DeliverTerminated(std::wstring_view text, LPWSTR buffer, int capacity) {
    const auto needed = static_cast<int>(text.size() + 1);
    if (capacity < 0 || (capacity > 0 && buffer == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (capacity == 0) {
        return needed;
    }
    if (needed > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return needed;
}

} // namespace Platform

LCID GetUserDefaultLCID() {
    return Platform::LcidFromPosixName(Platform::LocaleNameFromEnvironment("LC_TIME"));
}

LCID GetSystemDefaultLCID() {
    return GetUserDefaultLCID();
}

LANGID GetUserDefaultLangID() {
    return LANGIDFROMLCID(GetUserDefaultLCID());
}

LANGID GetUserDefaultUILanguage() {
    return LANGIDFROMLCID(Platform::UiLcidFromPosixName(Platform::LocaleNameFromEnvironment("LC_MESSAGES")));
}

LCID GetThreadLocale() {
    return threadLocale == LOCALE_NEUTRAL ? GetUserDefaultLCID() : threadLocale;
}

BOOL SetThreadLocale(LCID Locale) {
    const Platform::LocaleData* locale = Platform::FindLocale(Locale);
    if (locale == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    threadLocale = locale->lcid;
    return TRUE;
}

int GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
    const Platform::LocaleData* locale = Platform::FindLocale(Locale);
    if (locale == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring value;
    if (!LocaleItem(*locale, LCType & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP), &value)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return Platform::DeliverTerminated(value, lpLCData, cchData);
}
