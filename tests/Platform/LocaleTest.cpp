#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"

#include "tests/Support/InstalledLocale.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using TestSupport::ScopedEnvironment;

std::wstring Info(LCID lcid, LCTYPE type) {
    wchar_t text[64] = {};
    return GetLocaleInfoW(lcid, type, text, 64) > 0 ? text : L"<failed>";
}

struct EnvironmentCase {
    const char* lcAll;
    const char* lcTime;
    const char* lang;
    LCID expected;
};

TEST(Locale, UserLocaleFromTheEnvironment) {
    for (const EnvironmentCase& c :
         {EnvironmentCase{nullptr, nullptr, nullptr, 1033}, EnvironmentCase{nullptr, nullptr, "C", 1033},
          EnvironmentCase{nullptr, nullptr, "POSIX", 1033},
          EnvironmentCase{nullptr, nullptr, "C.UTF-8", 1033},
          EnvironmentCase{nullptr, nullptr, "de_DE.UTF-8", 1031},
          EnvironmentCase{nullptr, nullptr, "fr_FR@euro", 1036},
          EnvironmentCase{nullptr, "en_GB.UTF-8", "de_DE.UTF-8", 2057},
          EnvironmentCase{"fr_FR.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", 1036},
          EnvironmentCase{nullptr, nullptr, "es_ES.UTF-8", 3082},
          EnvironmentCase{nullptr, nullptr, "de", 1031}}) {
        ScopedEnvironment all("LC_ALL", c.lcAll ? std::optional<std::string>(c.lcAll) : std::nullopt);
        ScopedEnvironment time("LC_TIME", c.lcTime ? std::optional<std::string>(c.lcTime) : std::nullopt);
        ScopedEnvironment lang("LANG", c.lang ? std::optional<std::string>(c.lang) : std::nullopt);
        EXPECT_EQ(GetUserDefaultLCID(), c.expected) << (c.lang ? c.lang : "(unset)");
        EXPECT_EQ(GetThreadLocale(), c.expected);
    }
}

TEST(Locale, UiLanguageReadsTheMessagesCategory) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    ScopedEnvironment all("LC_ALL", std::nullopt);
    ScopedEnvironment messages("LC_MESSAGES", "de_DE.UTF-8");
    ScopedEnvironment lang("LANG", "en_US.UTF-8");
    EXPECT_EQ(GetUserDefaultUILanguage(), 1031);
    EXPECT_EQ(Info(GetUserDefaultUILanguage(), LOCALE_SISO639LANGNAME), L"de");
    EXPECT_EQ(GetUserDefaultLCID(), 1033u);
}

struct ItemCase {
    LCID lcid;
    LCTYPE type;
    const wchar_t* expected;
};

class LocaleItems : public testing::TestWithParam<ItemCase> {};

TEST_P(LocaleItems, HaveTheLocalesValues) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    EXPECT_EQ(Info(GetParam().lcid, GetParam().type), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocaleItems,
    testing::Values(ItemCase{1033, LOCALE_SDECIMAL, L"."}, ItemCase{1033, LOCALE_STHOUSAND, L","},
                    ItemCase{1033, LOCALE_SCURRENCY, L"$"}, ItemCase{1033, LOCALE_SSHORTDATE, L"M/d/yyyy"},
                    ItemCase{1033, LOCALE_STIMEFORMAT, L"h:mm:ss tt"}, ItemCase{1033, LOCALE_SNAME, L"en-US"},
                    ItemCase{2057, LOCALE_SCURRENCY, L"\u00A3"},
                    ItemCase{2057, LOCALE_SSHORTDATE, L"dd/MM/yyyy"},
                    ItemCase{2057, LOCALE_SISO3166CTRYNAME, L"GB"}, ItemCase{1031, LOCALE_SDECIMAL, L","},
                    ItemCase{1031, LOCALE_STHOUSAND, L"."}, ItemCase{1031, LOCALE_SCURRENCY, L"\u20AC"},
                    ItemCase{1031, LOCALE_SSHORTDATE, L"dd.MM.yyyy"}, ItemCase{1031, LOCALE_SDATE, L"."},
                    ItemCase{1031, LOCALE_SISO639LANGNAME, L"de"},
                    ItemCase{1036, LOCALE_STHOUSAND, L"\u202F"}, ItemCase{1036, LOCALE_SNAME, L"fr-FR"},
                    ItemCase{1036, LOCALE_IDATE, L"1"}, ItemCase{1031, LOCALE_SMONTHNAME1 + 2, L"M\u00E4rz"},
                    ItemCase{1033, LOCALE_SDAYNAME1, L"Monday"}, ItemCase{1033, LOCALE_ILANGUAGE, L"0409"},
                    ItemCase{1031, LOCALE_STIMEFORMAT | LOCALE_NOUSEROVERRIDE, L"HH:mm:ss"}));

TEST(Locale, SizeProtocolAndErrors) {
    EXPECT_EQ(GetLocaleInfoW(1033, LOCALE_SISO639LANGNAME, nullptr, 0), 3); // "en" and the NUL
    wchar_t small[2];
    EXPECT_EQ(GetLocaleInfoW(1033, LOCALE_SISO639LANGNAME, small, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetLocaleInfoW(0x04FF, LOCALE_SDECIMAL, nullptr, 0), 0); // no such locale
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(GetLocaleInfoW(1033, 0x7777, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(Locale, DefaultLocaleIdsFollowTheUserLocale) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    ScopedEnvironment all("LC_ALL", "de_DE.UTF-8");
    for (LCID lcid : {LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, LOCALE_CUSTOM_DEFAULT}) {
        EXPECT_EQ(Info(lcid, LOCALE_SDECIMAL), L",") << lcid;
    }
}

TEST(Locale, ThreadLocaleIsPerThreadAndChangeable) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    ScopedEnvironment all("LC_ALL", "en_US.UTF-8");
    EXPECT_TRUE(SetThreadLocale(1031));
    EXPECT_EQ(GetThreadLocale(), 1031u);
    EXPECT_TRUE(SetThreadLocale(LOCALE_SYSTEM_DEFAULT));
    EXPECT_EQ(GetThreadLocale(), 1033u);
    EXPECT_FALSE(SetThreadLocale(0x04FF));
}

struct FormatCase {
    LCID lcid;
    const wchar_t* date;
    const wchar_t* time;
    const wchar_t* timeNoSeconds;
};

TEST(DateTimeFormat, ShortDateAndTimeInEachLocale) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    const SYSTEMTIME when{2024, 3, 0, 5, 19, 8, 9, 0};
    for (const FormatCase& c : {FormatCase{1033, L"3/5/2024", L"7:08:09 PM", L"7:08 PM"},
                                FormatCase{2057, L"05/03/2024", L"19:08:09", L"19:08"},
                                FormatCase{1031, L"05.03.2024", L"19:08:09", L"19:08"},
                                FormatCase{1036, L"05/03/2024", L"19:08:09", L"19:08"}}) {
        wchar_t text[255];
        ASSERT_GT(GetDateFormatW(c.lcid, DATE_SHORTDATE, &when, nullptr, text, 255), 0);
        EXPECT_STREQ(text, c.date);
        ASSERT_GT(GetTimeFormatW(c.lcid, 0, &when, nullptr, text, 255), 0);
        EXPECT_STREQ(text, c.time);
        ASSERT_GT(GetTimeFormatW(c.lcid, TIME_NOSECONDS, &when, nullptr, text, 255), 0);
        EXPECT_STREQ(text, c.timeNoSeconds);
    }
}

TEST(DateTimeFormat, PicturesAndFlags) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_DE");
    const SYSTEMTIME when{2024, 3, 0, 5, 0, 5, 0, 0};
    wchar_t text[255];
    GetDateFormatW(1033, 0, &when, L"dddd, MMM d ''yy 'at' yyyy", text, 255);
    EXPECT_STREQ(text, L"Tuesday, Mar 5 '24 at 2024");
    GetDateFormatW(1031, DATE_LONGDATE, &when, nullptr, text, 255);
    EXPECT_STREQ(text, L"Dienstag, 5. M\u00E4rz 2024");
    GetTimeFormatW(1033, 0, &when, nullptr, text, 255);
    EXPECT_STREQ(text, L"12:05:00 AM");
    GetTimeFormatW(1033, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, &when, L"hh:mm tt", text, 255);
    EXPECT_STREQ(text, L"00:05");
    EXPECT_EQ(GetDateFormatW(1033, DATE_SHORTDATE, &when, nullptr, nullptr, 0), 9);
    EXPECT_EQ(GetDateFormatW(1033, DATE_SHORTDATE, &when, L"d", text, 255), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    const SYSTEMTIME bad{2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_EQ(GetDateFormatW(1033, DATE_SHORTDATE, &bad, nullptr, text, 255), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace
