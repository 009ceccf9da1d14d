// Skips a test where the C library does not have a locale it needs (Debian: the locales-all package,
// which scripts/setup-debian.sh installs).
#pragma once

#include <gtest/gtest.h>

#include <locale.h>

#include <initializer_list>
#include <string>

namespace TestSupport {

inline bool LocaleInstalled(const std::string& posixName) {
    locale_t locale = newlocale(LC_ALL_MASK, (posixName + ".UTF-8").c_str(), nullptr);
    if (locale == nullptr) {
        return false;
    }
    freelocale(locale);
    return true;
}

// The first of the locales that is not installed; empty when all are.
inline std::string MissingLocale(std::initializer_list<const char*> posixNames) {
    for (const char* name : posixNames) {
        if (!LocaleInstalled(name)) {
            return name;
        }
    }
    return {};
}

} // namespace TestSupport

#define KOVA_SKIP_UNLESS_LOCALES_INSTALLED(...)                                                              \
    if (const std::string missingLocale = TestSupport::MissingLocale({__VA_ARGS__}); !missingLocale.empty()) \
    GTEST_SKIP() << "the locale " << missingLocale                                                           \
                 << ".UTF-8 is not installed (Debian: apt-get install locales-all)"
