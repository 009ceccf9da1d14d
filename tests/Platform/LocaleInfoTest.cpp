#include "Platform/LocaleTable.h"
#include "Platform/WinNls.h"
#include "tests/Support/InstalledLocale.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TestSupport::ScopedEnvironment;

TEST(UserLocale, NamesMapToKnownLocales) {
    const std::pair<const char*, LCID> cases[] = {
        {"de_DE.UTF-8", 1031}, {"en_GB.utf8", 2057},    {"fr_FR@euro", 1036},
        {"de", 1031},          {"de_AT.UTF-8", 0x0C07}, {"C", 1033},
        {"POSIX", 1033},       {"xx_YY", 1033},         {"", 1033}};
    for (const auto& [name, lcid] : cases) {
        EXPECT_EQ(Platform::LcidFromPosixName(name), lcid) << name;
    }
}

std::wstring LanguageName(LCID lcid) {
    const int size = GetLocaleInfoW(lcid, LOCALE_SISO639LANGNAME, nullptr, 0);
    std::wstring name(static_cast<std::size_t>(size), L'\0');
    EXPECT_EQ(GetLocaleInfoW(lcid, LOCALE_SISO639LANGNAME, name.data(), size), size);
    return name.c_str();
}

TEST(UserLocale, UiLanguageFollowsLcAllThenMessagesThenLang) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    ScopedEnvironment all("LC_ALL", std::nullopt);
    ScopedEnvironment messages("LC_MESSAGES", std::nullopt);
    ScopedEnvironment lang("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(GetUserDefaultUILanguage(), 1036);
    {
        ScopedEnvironment german("LC_MESSAGES", "de_DE.UTF-8");
        EXPECT_EQ(GetUserDefaultUILanguage(), 1031);
        ScopedEnvironment british("LC_ALL", "en_GB.UTF-8");
        EXPECT_EQ(GetUserDefaultUILanguage(), 2057);
    }
    EXPECT_EQ(LanguageName(GetUserDefaultUILanguage()), L"fr");
    EXPECT_EQ(LanguageName(1031), L"de");
    EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_SISO639LANGNAME, nullptr, 0), 3) << "the size counts the NUL";
    EXPECT_EQ(GetLocaleInfoW(0x04FF, LOCALE_SISO639LANGNAME, nullptr, 0), 0) << "an unknown locale";
}

} // namespace
