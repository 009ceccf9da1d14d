// Locales beyond the few Windows patterns kept in the layer: their dates and numbers follow the C
// library's data for the user's locale.
#include "Platform/OleAuto.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinNls.h"
#include "tests/Support/InstalledLocale.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TestSupport::ScopedEnvironment;

DATE Date(WORD year, WORD month, WORD day) {
    SYSTEMTIME time{year, month, 0, day, 0, 0, 0, 0};
    DATE date = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(&time, &date));
    return date;
}

std::wstring Info(LCID lcid, LCTYPE type) {
    wchar_t text[80] = {};
    return GetLocaleInfoW(lcid, type, text, 80) > 0 ? text : L"<failed>";
}

struct UserLocaleCase {
    const char* posixName;
    LCID lcid;
    const wchar_t* shortDateOf5March; // how the locale writes 2024-03-05
    const wchar_t* decimalNumber;     // 3.5 written in the locale
};

// The user's locale, set the way a user sets it.
class UserLocale : public testing::TestWithParam<UserLocaleCase> {
protected:
    void SetUp() override {
        if (std::string(GetParam().posixName) != "C") {
            KOVA_SKIP_UNLESS_LOCALES_INSTALLED(GetParam().posixName);
        }
    }
    std::string Environment() const {
        const std::string name = GetParam().posixName;
        return name == "C" ? name : name + ".UTF-8";
    }
};

TEST_P(UserLocale, HasItsWindowsLcid) {
    const ScopedEnvironment all("LC_ALL", Environment());
    EXPECT_EQ(GetUserDefaultLCID(), GetParam().lcid);
}

TEST_P(UserLocale, ReadsItsShortDateInItsOrder) {
    const ScopedEnvironment all("LC_ALL", Environment());
    for (const LCID lcid : {LOCALE_USER_DEFAULT, GetUserDefaultLCID()}) {
        DATE date = 0;
        ASSERT_EQ(VarDateFromStr(GetParam().shortDateOf5March, lcid, 0, &date), S_OK);
        EXPECT_EQ(date, Date(2024, 3, 5)) << GetParam().shortDateOf5March;
    }
}

TEST_P(UserLocale, ShowsShortDatesInItsOrder) {
    const ScopedEnvironment all("LC_ALL", Environment());
    BSTR text = nullptr;
    ASSERT_EQ(VarBstrFromDate(Date(2024, 3, 5), LOCALE_USER_DEFAULT, 0, &text), S_OK);
    EXPECT_EQ(std::wstring(text), GetParam().shortDateOf5March);
    SysFreeString(text);
    const SYSTEMTIME when{2024, 3, 0, 5, 0, 0, 0, 0};
    wchar_t shown[64] = {};
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, shown, 64), 0);
    EXPECT_STREQ(shown, GetParam().shortDateOf5March);
}

TEST_P(UserLocale, ReadsDecimalsWithItsSeparator) {
    const ScopedEnvironment all("LC_ALL", Environment());
    DOUBLE number = 0;
    ASSERT_EQ(VarR8FromStr(GetParam().decimalNumber, GetUserDefaultLCID(), 0, &number), S_OK);
    EXPECT_EQ(number, 3.5) << GetParam().decimalNumber;
    CY amount{};
    ASSERT_EQ(VarCyFromStr(GetParam().decimalNumber, GetUserDefaultLCID(), 0, &amount), S_OK);
    EXPECT_EQ(amount.int64, 35000);
}

INSTANTIATE_TEST_SUITE_P(Locales, UserLocale,
                         testing::Values(UserLocaleCase{"en_AU", 0x0C09, L"05/03/2024", L"3.5"},
                                         UserLocaleCase{"en_GB", 0x0809, L"05/03/2024", L"3.5"},
                                         UserLocaleCase{"nl_NL", 0x0413, L"05-03-2024", L"3,5"},
                                         UserLocaleCase{"de_CH", 0x0807, L"05.03.2024", L"3.5"},
                                         UserLocaleCase{"fr_CA", 0x0C0C, L"2024-03-05", L"3,5"},
                                         UserLocaleCase{"es_ES", 0x0C0A, L"05/03/2024", L"3,5"},
                                         UserLocaleCase{"it_IT", 0x0410, L"05/03/2024", L"3,5"},
                                         UserLocaleCase{"C", 0x0409, L"3/5/2024", L"3.5"}),
                         [](const testing::TestParamInfo<UserLocaleCase>& info) {
                             return std::string(info.param.posixName);
                         });

TEST(CLibraryLocale, ThousandsSeparatorsAreTheLocales) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_CH");
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("nl_NL");
    DOUBLE number = 0;
    ASSERT_EQ(VarR8FromStr(L"1\u2019234.5", 0x0807, 0, &number), S_OK);
    EXPECT_EQ(number, 1234.5);
    ASSERT_EQ(VarR8FromStr(L"1.234,5", 0x0413, 0, &number), S_OK);
    EXPECT_EQ(number, 1234.5);
    EXPECT_EQ(Info(0x0807, LOCALE_SDECIMAL), L".");
    EXPECT_EQ(Info(0x0807, LOCALE_SCURRENCY), L"CHF");
    EXPECT_EQ(Info(0x0807, LOCALE_SINTLSYMBOL), L"CHF");
    EXPECT_EQ(Info(0x0413, LOCALE_STHOUSAND), L".");
    EXPECT_EQ(Info(0x0413, LOCALE_SNAME), L"nl-NL");
    EXPECT_EQ(Info(0x0413, LOCALE_SMONTHNAME1 + 2), L"maart");
    EXPECT_EQ(Info(0x0413, LOCALE_IDATE), L"1");
    EXPECT_EQ(Info(0x0C0C, LOCALE_IDATE), L"2");
}

// A locale without a Windows LCID in the layer's list is the user's custom locale, served by name.
TEST(CLibraryLocale, AnInstalledLocaleWithoutALcidIsTheCustomDefault) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("fy_NL");
    const ScopedEnvironment all("LC_ALL", "fy_NL.UTF-8");
    EXPECT_EQ(GetUserDefaultLCID(), LOCALE_CUSTOM_DEFAULT);
    EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_SNAME), L"fy-NL");
    EXPECT_EQ(Info(LOCALE_CUSTOM_DEFAULT, LOCALE_SDECIMAL), L",");
    DOUBLE number = 0;
    ASSERT_EQ(VarR8FromStr(L"3,5", GetUserDefaultLCID(), 0, &number), S_OK);
    EXPECT_EQ(number, 3.5);
    DATE date = 0;
    ASSERT_EQ(VarDateFromStr(L"05-03-2024", LOCALE_USER_DEFAULT, 0, &date), S_OK);
    EXPECT_EQ(date, Date(2024, 3, 5));
}

// Windows' interface languages are real ones: the language's main country, else English.
TEST(CLibraryLocale, TheUiLanguageOfACustomLocaleIsItsLanguagesOrEnglish) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("fy_NL");
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("de_BE");
    const ScopedEnvironment all("LC_ALL", std::nullopt);
    const ScopedEnvironment lang("LANG", "de_BE.UTF-8");
    EXPECT_EQ(GetUserDefaultLCID(), LOCALE_CUSTOM_DEFAULT);
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0407);
    const ScopedEnvironment messages("LC_MESSAGES", "fy_NL.UTF-8");
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x0409);
}

// A locale whose data is not at hand (not installed, or an LCID no locale has): what needs its forms
// fails rather than being read in another locale's; what reads the same everywhere still converts.
TEST(CLibraryLocale, ALocaleWithoutDataFailsWhatNeedsItsForms) {
    constexpr LCID kNoData = 0x04FF;
    EXPECT_EQ(GetLocaleInfoW(kNoData, LOCALE_SDECIMAL, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DOUBLE number = 0;
    EXPECT_EQ(VarR8FromStr(L"3,5", kNoData, 0, &number), E_INVALIDARG);
    BSTR text = nullptr;
    EXPECT_EQ(VarBstrFromDate(Date(2024, 3, 5), kNoData, 0, &text), E_INVALIDARG);
    DATE date = 0;
    EXPECT_EQ(VarDateFromStr(L"05/03/2024", kNoData, 0, &date), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(VarDateFromStr(L"2024-03-05T12:00:00Z", kNoData, 0, &date), S_OK);
    EXPECT_EQ(date, Date(2024, 3, 5) + 0.5);

    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(L"2024-03-05 12:00");
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(VariantChangeTypeEx(&result, &source, kNoData, 0, VT_DATE), S_OK);
    EXPECT_EQ(result.date, Date(2024, 3, 5) + 0.5);
    EXPECT_EQ(VariantChangeTypeEx(&result, &source, kNoData, 0, VT_R8), E_INVALIDARG);
    VariantClear(&source);
    source.vt = VT_I4;
    source.lVal = 7;
    ASSERT_EQ(VariantChangeTypeEx(&result, &source, kNoData, 0, VT_R8), S_OK);
    EXPECT_EQ(result.dblVal, 7.0);
}

} // namespace
