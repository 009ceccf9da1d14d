// Locales by LCID and by name, read once from the C library and kept for the process.
#include "Platform/LocaleTable.h"

#include "Platform/LocaleIds.h"
#include "Platform/PosixLocale.h"
#include "Platform/Utf.h"
#include "Platform/WinNls.h"

#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>

namespace {

using Platform::LocaleData;

// Where Windows shows a locale differently from the C library, by choice: en-US writes no leading
// zeros and a 12-hour clock; the C library has no long dates. Null keeps the C library's value.
struct WindowsDifference {
    const char* posixName;
    const wchar_t* shortDate;
    const wchar_t* longDate;
    const wchar_t* timeFormat;
    const wchar_t* shortTime;
};

constexpr WindowsDifference kWindowsDifferences[] = {
    {"en_US", L"M/d/yyyy", L"dddd, MMMM d, yyyy", L"h:mm:ss tt", L"h:mm tt"},
    {"en_GB", nullptr, L"dd MMMM yyyy", nullptr, nullptr},
    {"de_DE", nullptr, L"dddd, d. MMMM yyyy", nullptr, nullptr},
};

void Apply(const wchar_t* value, std::wstring* field) {
    if (value != nullptr) {
        *field = value;
    }
}

void ApplyWindowsDifferences(LocaleData* data) {
    for (const WindowsDifference& difference : kWindowsDifferences) {
        if (data->posixName == difference.posixName) {
            Apply(difference.shortDate, &data->shortDate);
            Apply(difference.longDate, &data->longDate);
            Apply(difference.timeFormat, &data->timeFormat);
            Apply(difference.shortTime, &data->shortTime);
        }
    }
}

// en-US is also the locale of C and POSIX, so it is served from the C locale where the C library
// does not have en_US; only its separators and symbols differ.
bool ReadEnglishFromCLocale(LocaleData* data) {
    if (!Platform::ReadPosixLocale("C", data)) {
        return false;
    }
    data->thousand = data->monetaryThousand = L",";
    data->currency = L"$";
    data->intlSymbol = L"USD";
    return true;
}

std::wstring DashedName(const std::string& posixName) {
    std::wstring name = Platform::Utf8ToWide(posixName.substr(0, posixName.find('@')));
    for (wchar_t& c : name) {
        c = c == L'_' ? L'-' : c;
    }
    return name;
}

std::unique_ptr<LocaleData> ReadNamed(const std::string& posixName) {
    auto data = std::make_unique<LocaleData>();
    const LCID known = Platform::KnownLcid(posixName);
    data->lcid = known != 0 ? known : LOCALE_CUSTOM_DEFAULT;
    data->posixName = posixName;
    if (!Platform::ReadPosixLocale(posixName, data.get()) &&
        !(posixName == "en_US" && ReadEnglishFromCLocale(data.get()))) {
        return nullptr;
    }
    data->name = DashedName(posixName);
    const std::size_t underscore = data->name.find(L'-');
    data->iso639 = data->name.substr(0, underscore);
    data->iso3166 = underscore == std::wstring::npos ? L"" : data->name.substr(underscore + 1);
    ApplyWindowsDifferences(data.get());
    return data;
}

// The invariant locale: the C locale in Windows' invariant patterns and symbols.
std::unique_ptr<LocaleData> ReadInvariant() {
    auto data = std::make_unique<LocaleData>();
    if (!Platform::ReadPosixLocale("C", data.get())) {
        return nullptr;
    }
    data->lcid = LOCALE_INVARIANT;
    data->iso639 = L"iv";
    data->iso3166 = L"IV";
    data->thousand = data->monetaryThousand = L",";
    data->currency = L"\u00A4";
    data->intlSymbol = L"XDR";
    data->shortDate = L"MM/dd/yyyy";
    data->longDate = L"dddd, dd MMMM yyyy";
    data->timeFormat = L"HH:mm:ss";
    data->shortTime = L"HH:mm";
    return data;
}

// The name without codeset, with its modifier: "de_DE.UTF-8" -> "de_DE", "sr_RS.UTF-8@latin" ->
// "sr_RS@latin".
std::string WithoutCodeset(std::string_view name) {
    const std::size_t at = name.find('@');
    std::string result(name.substr(0, std::min(name.find('.'), at)));
    if (at != std::string_view::npos) {
        result += name.substr(at);
    }
    for (char& c : result) {
        c = c == '-' ? '_' : c;
    }
    return result;
}

bool IsCLocale(const std::string& name) {
    return name.empty() || name == "C" || name == "POSIX";
}

// Locales stay for the process, so callers may keep the pointers; a missing one is remembered too.
const LocaleData* LocaleNamed(const std::string& posixName) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<LocaleData>> locales;
    const std::lock_guard<std::mutex> lock(mutex);
    auto found = locales.find(posixName);
    if (found == locales.end()) {
        found = locales.emplace(posixName, posixName.empty() ? ReadInvariant() : ReadNamed(posixName)).first;
    }
    return found->second.get();
}

} // namespace

namespace Platform {

const LocaleData* FindLocale(LCID lcid) {
    switch (lcid) {
    case LOCALE_NEUTRAL:
    case LOCALE_USER_DEFAULT:
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
    if (LANGIDFROMLCID(lcid) == LOCALE_CUSTOM_DEFAULT) {
        const std::string name = LocaleNameFromEnvironment("LC_TIME");
        lcid = LcidFromPosixName(name);
        if (lcid == LOCALE_CUSTOM_DEFAULT) {
            return LocaleNamed(WithoutCodeset(name));
        }
    }
    if (LANGIDFROMLCID(lcid) == LOCALE_INVARIANT) {
        return LocaleNamed("");
    }
    const std::string_view name = PosixNameOfLcid(lcid);
    return name.empty() ? nullptr : LocaleNamed(std::string(name));
}

std::string LocaleNameFromEnvironment(const char* category) {
    for (const char* variable : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

LCID UiLcidFromPosixName(std::string_view name) {
    const LCID lcid = LcidFromPosixName(name);
    if (lcid != LOCALE_CUSTOM_DEFAULT) {
        return lcid;
    }
    const std::string base = WithoutCodeset(name);
    const LCID main = MainLcidOfLanguage(base.substr(0, base.find_first_of("_@")));
    return main != 0 ? main : 0x0409;
}

LCID LcidFromPosixName(std::string_view name) {
    const std::string posixName = WithoutCodeset(name);
    const std::string base = posixName.substr(0, posixName.find('@'));
    if (IsCLocale(base)) {
        return 0x0409;
    }
    if (const LCID known = KnownLcid(base); known != 0) {
        return known;
    }
    if (LocaleNamed(posixName) != nullptr) {
        return LOCALE_CUSTOM_DEFAULT;
    }
    const LCID main = MainLcidOfLanguage(base.substr(0, base.find('_')));
    return main != 0 ? main : 0x0409;
}

wchar_t PatternSeparator(std::wstring_view pattern) {
    for (const wchar_t c : pattern) {
        if (std::wcschr(L"dMyghHmst'", c) == nullptr) {
            return c;
        }
    }
    return L'/';
}

DateOrder ShortDateOrder(const LocaleData& locale) {
    const std::size_t first = locale.shortDate.find_first_of(L"dMy");
    if (first == std::wstring::npos || locale.shortDate[first] == L'M') {
        return DateOrder::MonthDayYear;
    }
    return locale.shortDate[first] == L'd' ? DateOrder::DayMonthYear : DateOrder::YearMonthDay;
}

} // namespace Platform
