#include "Platform/OleAuto.h"
#include "Platform/WinNls.h"
#include "tests/Support/InstalledLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr LCID kUs = 1033;
constexpr LCID kGb = 2057;
constexpr LCID kDe = 1031;
constexpr LCID kFr = 1036;

struct NumberCase {
    LCID lcid;
    const wchar_t* text;
    HRESULT hr;
    double value;
};

TEST(VarR8FromStr, ReadsTheLocalesForm) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    for (const NumberCase& c :
         {NumberCase{kUs, L"1,234.5", S_OK, 1234.5}, NumberCase{kUs, L"  -0.25 ", S_OK, -0.25},
          NumberCase{kUs, L"(3)", S_OK, -3}, NumberCase{kUs, L"$12.50", S_OK, 12.5},
          NumberCase{kUs, L"1.5E3", S_OK, 1500}, NumberCase{kUs, L"5-", S_OK, -5},
          NumberCase{kDe, L"1.234,5", S_OK, 1234.5}, NumberCase{kDe, L"12,5 \u20AC", S_OK, 12.5},
          NumberCase{kFr, L"1\u00A0234,5", S_OK, 1234.5}, NumberCase{kFr, L"1 234,5", S_OK, 1234.5},
          NumberCase{kUs, L"", DISP_E_TYPEMISMATCH, 0}, NumberCase{kUs, L"abc", DISP_E_TYPEMISMATCH, 0},
          NumberCase{kUs, L"1.2.3", DISP_E_TYPEMISMATCH, 0}, NumberCase{kUs, L"1e999", DISP_E_OVERFLOW, 0},
          NumberCase{kUs, L"12 %", DISP_E_TYPEMISMATCH, 0}}) {
        double value = 0;
        EXPECT_EQ(VarR8FromStr(c.text, c.lcid, 0, &value), c.hr) << c.lcid << " " << c.text;
        if (c.hr == S_OK) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
}

TEST(VarCyFromStr, KeepsFourDecimalsRoundingHalfToEven) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    struct Case {
        LCID lcid;
        const wchar_t* text;
        HRESULT hr;
        LONGLONG scaled;
    };
    for (const Case& c : {Case{kUs, L"1,234.5678", S_OK, 12345678}, Case{kUs, L"0.00005", S_OK, 0},
                          Case{kUs, L"0.00015", S_OK, 2}, Case{kUs, L"0.000051", S_OK, 1},
                          Case{kGb, L"\u00A3-2.5", S_OK, -25000}, Case{kDe, L"1.000,25", S_OK, 10002500},
                          Case{kUs, L"922337203685477.5807", S_OK, 9223372036854775807LL},
                          Case{kUs, L"922337203685477.5808", DISP_E_OVERFLOW, 0},
                          Case{kUs, L"ten", DISP_E_TYPEMISMATCH, 0}}) {
        CY value{};
        EXPECT_EQ(VarCyFromStr(c.text, c.lcid, 0, &value), c.hr) << c.text;
        if (c.hr == S_OK) {
            EXPECT_EQ(value.int64, c.scaled) << c.text;
        }
    }
}

DATE Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    SYSTEMTIME time{static_cast<WORD>(year),
                    static_cast<WORD>(month),
                    0,
                    static_cast<WORD>(day),
                    static_cast<WORD>(hour),
                    static_cast<WORD>(minute),
                    static_cast<WORD>(second),
                    0};
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

TEST(VarDateFromStr, WireFormsConvertInEveryLocale) {
    const DATE expected = Date(2024, 3, 5, 7, 8, 9);
    for (LCID lcid : {kUs, kGb, kDe, kFr}) {
        for (const wchar_t* text :
             {L"2024-03-05T07:08:09Z", L"2024-03-05T07:08:09.5Z", L"2024-03-05 07:08:09",
              L"2024-03-05 07:08:09 ", L"2024-03-05 07:08:09.123", L" 2024-03-05T07:08:09",
              L"2024-03-05T07:08:09.12345678901Z", L"002024-03-05T07:08:09Z"}) {
            DATE date = 0;
            ASSERT_EQ(VarDateFromStr(text, lcid, 0, &date), S_OK) << lcid << " " << text;
            EXPECT_NEAR(date, expected, 1e-9) << text;
        }
    }
}

TEST(VarDateFromStr, ShortDateOfTheLocale) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    struct Case {
        LCID lcid;
        const wchar_t* text;
        DATE expected;
    };
    for (const Case& c :
         {Case{kUs, L"3/5/2024", Date(2024, 3, 5)}, Case{kGb, L"05/03/2024", Date(2024, 3, 5)},
          Case{kDe, L"05.03.2024 19:08", Date(2024, 3, 5, 19, 8)},
          Case{kFr, L"05/03/2024 19:08:09", Date(2024, 3, 5, 19, 8, 9)},
          Case{kUs, L"3/5/2024 7:08:09 PM", Date(2024, 3, 5, 19, 8, 9)},
          Case{kUs, L"3/5/2024 12:30 AM", Date(2024, 3, 5, 0, 30)}, Case{kUs, L"3/5/24", Date(2024, 3, 5)},
          Case{kUs, L"1/1/1800", Date(1800, 1, 1)}, Case{kUs, L"07:08:09", Date(1899, 12, 30, 7, 8, 9)}}) {
        DATE date = 0;
        ASSERT_EQ(VarDateFromStr(c.text, c.lcid, 0, &date), S_OK) << c.lcid << " " << c.text;
        EXPECT_NEAR(date, c.expected, 1e-9) << c.text;
    }
}

// The Windows default window for two-digit years: up to 49 is 20xx, from 50 on 19xx.
TEST(VarDateFromStr, TwoDigitYearsFollowTheWindowsWindow) {
    const std::pair<const wchar_t*, WORD> cases[] = {{L"3/5/00", 2000}, {L"3/5/29", 2029}, {L"3/5/30", 2030},
                                                     {L"3/5/45", 2045}, {L"3/5/49", 2049}, {L"3/5/50", 1950},
                                                     {L"3/5/99", 1999}, {L"3/5/0049", 49}};
    for (const auto& [text, year] : cases) {
        DATE date = 0;
        if (year < 100) {
            EXPECT_EQ(VarDateFromStr(text, kUs, 0, &date), DISP_E_TYPEMISMATCH) << "year 49 is before 100";
            continue;
        }
        ASSERT_EQ(VarDateFromStr(text, kUs, 0, &date), S_OK) << text;
        EXPECT_EQ(date, Date(year, 3, 5)) << text;
    }
}

TEST(VarDateFromStr, RefusesWhatIsNotADate) {
    for (const wchar_t* text : {L"", L"hello", L"2024-02-30", L"13/5/2024", L"3/5/2024 25:00",
                                L"2024-03-05T07:08:09X", L"45000", L"12345678901-03-05"}) {
        DATE date = 0;
        EXPECT_EQ(VarDateFromStr(text, kUs, 0, &date), DISP_E_TYPEMISMATCH) << text;
    }
}

// The documented values; 4 is VARIANT_NOUSEROVERRIDE / LOCALE_NOUSEROVERRIDE's place and keeps both parts.
TEST(VarDateFromStr, ValueOnlyFlagsHaveTheirDocumentedValues) {
    EXPECT_EQ(VAR_TIMEVALUEONLY, 1u);
    EXPECT_EQ(VAR_DATEVALUEONLY, 2u);
    DATE date = 0;
    ASSERT_EQ(VarDateFromStr(L"2024-03-05 12:00", kUs, VARIANT_NOUSEROVERRIDE, &date), S_OK);
    EXPECT_EQ(date, Date(2024, 3, 5) + 0.5);
    BSTR text = nullptr;
    ASSERT_EQ(VarBstrFromDate(Date(2024, 3, 5) + 0.5, kUs, VARIANT_NOUSEROVERRIDE, &text), S_OK);
    EXPECT_EQ(std::wstring(text), L"3/5/2024 12:00:00 PM");
    SysFreeString(text);
    ASSERT_EQ(VarBstrFromDate(Date(2024, 3, 5) + 0.5, kUs, VAR_DATEVALUEONLY, &text), S_OK);
    EXPECT_EQ(std::wstring(text), L"3/5/2024");
    SysFreeString(text);
    ASSERT_EQ(VarBstrFromDate(Date(2024, 3, 5) + 0.5, kUs, VAR_TIMEVALUEONLY, &text), S_OK);
    EXPECT_EQ(std::wstring(text), L"12:00:00 PM");
    SysFreeString(text);
}

TEST(VarDateFromStr, ValueOnlyFlags) {
    DATE date = 0;
    ASSERT_EQ(VarDateFromStr(L"2024-03-05 12:00", kUs, VAR_DATEVALUEONLY, &date), S_OK);
    EXPECT_EQ(date, Date(2024, 3, 5));
    ASSERT_EQ(VarDateFromStr(L"2024-03-05 12:00", kUs, VAR_TIMEVALUEONLY, &date), S_OK);
    EXPECT_DOUBLE_EQ(date, 0.5);
}

TEST(VarBstrFromDate, ShortDateAndLongTimeLeavingOutEmptyParts) {
    KOVA_SKIP_UNLESS_LOCALES_INSTALLED("en_GB", "de_DE", "fr_FR");
    struct Case {
        LCID lcid;
        DATE date;
        const wchar_t* expected;
    };
    for (const Case& c :
         {Case{kUs, Date(2024, 3, 5, 19, 8, 9), L"3/5/2024 7:08:09 PM"},
          Case{kUs, Date(2024, 3, 5), L"3/5/2024"}, Case{kUs, 0.0, L"12:00:00 AM"},
          Case{kUs, 0.25, L"6:00:00 AM"}, Case{kDe, Date(2024, 3, 5, 7, 8, 9), L"05.03.2024 07:08:09"},
          Case{kGb, Date(1899, 12, 29, 6), L"29/12/1899 06:00:00"}}) {
        BSTR text = nullptr;
        ASSERT_EQ(VarBstrFromDate(c.date, c.lcid, 0, &text), S_OK);
        EXPECT_EQ(std::wstring(text), c.expected);
        SysFreeString(text);
    }
    BSTR text = nullptr;
    EXPECT_EQ(VarBstrFromDate(3e6, kUs, 0, &text), E_INVALIDARG);
}

} // namespace
