#include "Platform/LocaleTable.h"

#include "Platform/WinNls.h"

#include <cctype>
#include <cwchar>
#include <string>

namespace {

using Platform::LocaleData;

constexpr std::array<const wchar_t*, 7> kEnglishDays = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                                        L"Thursday", L"Friday", L"Saturday"};
constexpr std::array<const wchar_t*, 7> kEnglishAbbreviatedDays = {L"Sun", L"Mon", L"Tue", L"Wed",
                                                                   L"Thu", L"Fri", L"Sat"};
constexpr std::array<const wchar_t*, 12> kEnglishMonths = {
    L"January", L"February", L"March",     L"April",   L"May",      L"June",
    L"July",    L"August",   L"September", L"October", L"November", L"December"};
constexpr std::array<const wchar_t*, 12> kEnglishAbbreviatedMonths = {
    L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun", L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

const LocaleData kLocales[] = {
    {0x0409, "en_US", L"en-US", L"en", L"US", L".", L",", L"$", L"USD", L"M/d/yyyy", L"dddd, MMMM d, yyyy",
     L"h:mm:ss tt", L"h:mm tt", L"AM", L"PM", kEnglishDays, kEnglishAbbreviatedDays, kEnglishMonths,
     kEnglishAbbreviatedMonths},
    {0x0809, "en_GB", L"en-GB", L"en", L"GB", L".", L",", L"\u00A3", L"GBP", L"dd/MM/yyyy", L"dd MMMM yyyy",
     L"HH:mm:ss", L"HH:mm", L"AM", L"PM", kEnglishDays, kEnglishAbbreviatedDays, kEnglishMonths,
     kEnglishAbbreviatedMonths},
    {0x0407,
     "de_DE",
     L"de-DE",
     L"de",
     L"DE",
     L",",
     L".",
     L"\u20AC",
     L"EUR",
     L"dd.MM.yyyy",
     L"dddd, d. MMMM yyyy",
     L"HH:mm:ss",
     L"HH:mm",
     L"",
     L"",
     {L"Sonntag", L"Montag", L"Dienstag", L"Mittwoch", L"Donnerstag", L"Freitag", L"Samstag"},
     {L"So", L"Mo", L"Di", L"Mi", L"Do", L"Fr", L"Sa"},
     {L"Januar", L"Februar", L"M\u00E4rz", L"April", L"Mai", L"Juni", L"Juli", L"August", L"September",
      L"Oktober", L"November", L"Dezember"},
     {L"Jan", L"Feb", L"M\u00E4r", L"Apr", L"Mai", L"Jun", L"Jul", L"Aug", L"Sep", L"Okt", L"Nov", L"Dez"}},
    {0x040C,
     "fr_FR",
     L"fr-FR",
     L"fr",
     L"FR",
     L",",
     L"\u00A0",
     L"\u20AC",
     L"EUR",
     L"dd/MM/yyyy",
     L"dddd d MMMM yyyy",
     L"HH:mm:ss",
     L"HH:mm",
     L"",
     L"",
     {L"dimanche", L"lundi", L"mardi", L"mercredi", L"jeudi", L"vendredi", L"samedi"},
     {L"dim.", L"lun.", L"mar.", L"mer.", L"jeu.", L"ven.", L"sam."},
     {L"janvier", L"f\u00E9vrier", L"mars", L"avril", L"mai", L"juin", L"juillet", L"ao\u00FBt", L"septembre",
      L"octobre", L"novembre", L"d\u00E9cembre"},
     {L"janv.", L"f\u00E9vr.", L"mars", L"avr.", L"mai", L"juin", L"juil.", L"ao\u00FBt", L"sept.", L"oct.",
      L"nov.", L"d\u00E9c."}},
    {LOCALE_INVARIANT, "", L"", L"iv", L"IV", L".", L",", L"\u00A4", L"XDR", L"MM/dd/yyyy",
     L"dddd, dd MMMM yyyy", L"HH:mm:ss", L"HH:mm", L"AM", L"PM", kEnglishDays, kEnglishAbbreviatedDays,
     kEnglishMonths, kEnglishAbbreviatedMonths},
};

constexpr LCID kEnglishUs = 0x0409;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace Platform {

const LocaleData* FindLocale(LCID lcid) {
    switch (lcid) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
    case LOCALE_CUSTOM_DEFAULT:
    case LOCALE_CUSTOM_UNSPECIFIED:
        lcid = GetUserDefaultLCID();
        break;
    case LOCALE_CUSTOM_UI_DEFAULT:
        lcid = GetUserDefaultUILanguage();
        break;
    case LOCALE_SYSTEM_DEFAULT:
        lcid = GetSystemDefaultLCID();
        break;
    default:
        break;
    }
    for (const LocaleData& locale : kLocales) {
        if (locale.lcid == LANGIDFROMLCID(lcid)) {
            return &locale;
        }
    }
    return nullptr;
}

LCID LcidFromPosixName(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    std::string normalised(name);
    for (char& c : normalised) {
        c = c == '-' ? '_' : c;
    }
    for (const LocaleData& locale : kLocales) {
        if (*locale.posixName != '\0' && SameIgnoringCase(normalised, locale.posixName)) {
            return locale.lcid;
        }
    }
    // A bare language, or one with a territory not in the table, takes the language's main country
    // (listed first).
    const std::string_view language = std::string_view(normalised).substr(0, normalised.find('_'));
    for (const LocaleData& locale : kLocales) {
        if (*locale.posixName != '\0' &&
            SameIgnoringCase(language, std::string_view(locale.posixName).substr(0, 2))) {
            return locale.lcid;
        }
    }
    return kEnglishUs;
}

wchar_t PatternSeparator(const wchar_t* pattern) {
    for (; *pattern != L'\0'; ++pattern) {
        if (std::wcschr(L"dMyghHmst'", *pattern) == nullptr) {
            return *pattern;
        }
    }
    return L'/';
}

DateOrder ShortDateOrder(const LocaleData& locale) {
    const wchar_t* pattern = locale.shortDate;
    const wchar_t* first = std::wcspbrk(pattern, L"dMy");
    if (first == nullptr || *first == L'M') {
        return DateOrder::MonthDayYear;
    }
    return *first == L'd' ? DateOrder::DayMonthYear : DateOrder::YearMonthDay;
}

} // namespace Platform
