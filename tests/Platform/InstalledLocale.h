// Skips a test where the C library does not have a locale it needs (Debian: the locales-all package,
// which scripts/setup-debian.sh installs).
#pragma once

#include <gtest/gtest.h>

#include <locale.h>

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

} // namespace TestSupport

#define KOVA_SKIP_UNLESS_LOCALE_INSTALLED(name)                                                              \
    if (!TestSupport::LocaleInstalled(name))                                                                 \
    GTEST_SKIP() << "the locale " << (name) << ".UTF-8 is not installed (Debian: apt-get install locales-all)"
