#include "Platform/UserLocale.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace Platform {
namespace {

constexpr KnownLocale kLocales[] = {
    {1033, L"en", L"US"},
    {2057, L"en", L"GB"},
    {1031, L"de", L"DE"},
    {1036, L"fr", L"FR"},
};

bool Equals(std::string_view narrow, const wchar_t* wide) {
    return std::equal(narrow.begin(), narrow.end(), wide, wide + std::wcslen(wide),
                      [](char a, wchar_t b) { return static_cast<wchar_t>(a) == b; });
}

} // namespace

const KnownLocale& LocaleFromName(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    const std::size_t separator = name.find_first_of("_-");
    const std::string_view language = name.substr(0, separator);
    const std::string_view country =
        separator == std::string_view::npos ? std::string_view() : name.substr(separator + 1);
    const KnownLocale* languageMatch = nullptr;
    for (const KnownLocale& locale : kLocales) {
        if (!Equals(language, locale.language)) {
            continue;
        }
        if (Equals(country, locale.country)) {
            return locale;
        }
        if (languageMatch == nullptr) {
            languageMatch = &locale;
        }
    }
    return languageMatch != nullptr ? *languageMatch : kLocales[0];
}

const KnownLocale& EnvironmentLocale(const char* categoryVariable) {
    for (const char* variable : {"LC_ALL", categoryVariable, "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return LocaleFromName(value);
        }
    }
    return kLocales[0];
}

const KnownLocale* FindLocale(LCID lcid) {
    const auto found = std::find_if(std::begin(kLocales), std::end(kLocales),
                                    [&](const KnownLocale& l) { return l.lcid == lcid; });
    return found != std::end(kLocales) ? found : nullptr;
}

} // namespace Platform
