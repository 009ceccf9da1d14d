#include "Platform/OleAuto.h"
#include "Platform/TestClock.h"
#include "Platform/WinBase.h"

#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

namespace {

bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return std::tie(a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond, a.wMilliseconds) ==
           std::tie(b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond, b.wMilliseconds);
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                WORD milliseconds = 0) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, milliseconds};
}

struct DateCase {
    DATE date;
    SYSTEMTIME time;
};

void PrintTo(const DateCase& c, std::ostream* out) {
    *out << c.date;
}

class VariantTimeCases : public testing::TestWithParam<DateCase> {};

TEST_P(VariantTimeCases, ConvertBothWays) {
    SYSTEMTIME converted{};
    ASSERT_TRUE(VariantTimeToSystemTime(GetParam().date, &converted));
    EXPECT_TRUE(converted == GetParam().time);
    DATE back = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&GetParam().time, &back));
    EXPECT_NEAR(back, GetParam().date, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, VariantTimeCases,
    testing::Values(DateCase{0.0, Time(1899, 12, 30)}, DateCase{2.0, Time(1900, 1, 1)},
                    DateCase{45356.2973263888889, Time(2024, 3, 5, 7, 8, 9)},
                    DateCase{-1.0, Time(1899, 12, 29)}, DateCase{-1.25, Time(1899, 12, 29, 6)},
                    DateCase{-2.75, Time(1899, 12, 28, 18)}, DateCase{-657434.0, Time(100, 1, 1)},
                    DateCase{2958465.0, Time(9999, 12, 31)}, DateCase{60.0, Time(1900, 2, 28)},
                    DateCase{61.0, Time(1900, 3, 1)}));

TEST(VariantTime, RoundsToTheNearestSecondAndCarriesIntoTheNextDay) {
    SYSTEMTIME time{};
    ASSERT_TRUE(VariantTimeToSystemTime(1.0 + 1.4 / 86400, &time));
    EXPECT_TRUE(time == Time(1899, 12, 31, 0, 0, 1));
    ASSERT_TRUE(VariantTimeToSystemTime(1.0 + 1.6 / 86400, &time));
    EXPECT_TRUE(time == Time(1899, 12, 31, 0, 0, 2));
    ASSERT_TRUE(VariantTimeToSystemTime(2.0 - 0.2 / 86400, &time));
    EXPECT_TRUE(time == Time(1900, 1, 1));
    EXPECT_EQ(time.wDayOfWeek, 1); // a Monday
}

TEST(VariantTime, MillisecondsAreIgnoredAndInvalidFieldsRefused) {
    const SYSTEMTIME withMilliseconds = Time(2024, 3, 5, 7, 8, 9, 999);
    DATE date = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&withMilliseconds, &date));
    SYSTEMTIME back{};
    VariantTimeToSystemTime(date, &back);
    EXPECT_TRUE(back == Time(2024, 3, 5, 7, 8, 9));

    for (const SYSTEMTIME& bad :
         {Time(2023, 2, 29), Time(2024, 13, 1), Time(2024, 1, 1, 24), Time(99, 1, 1), Time(10000, 1, 1)}) {
        EXPECT_FALSE(SystemTimeToVariantTime(&bad, &date))
            << bad.wYear << "-" << bad.wMonth << "-" << bad.wDay;
    }
    SYSTEMTIME out{};
    EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &out));
    EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &out));
}

TEST(FileTime, ConvertsBothWaysWithMilliseconds) {
    const SYSTEMTIME time = Time(2024, 3, 5, 7, 8, 9, 123);
    FILETIME fileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
    const ULONGLONG value = (ULONGLONG{fileTime.dwHighDateTime} << 32) | fileTime.dwLowDateTime;
    EXPECT_EQ(value, 133540960891230000ULL);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &back));
    EXPECT_TRUE(back == time);
    EXPECT_EQ(back.wDayOfWeek, 2); // a Tuesday

    const FILETIME zero{0, 0};
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &back));
    EXPECT_TRUE(back == Time(1601, 1, 1));
    const FILETIME negative{0, 0x80000000};
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
    const SYSTEMTIME tooEarly = Time(1600, 12, 31);
    EXPECT_FALSE(SystemTimeToFileTime(&tooEarly, &fileTime));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

class ProcessTimeZone : public testing::Test {
protected:
    TestSupport::ScopedEnvironment zone{"TZ", "CET-1CEST,M3.5.0,M10.5.0/3"};
};

TEST_F(ProcessTimeZone, UtcToLocalFollowsTheRulesOfTheDate) {
    SYSTEMTIME local{};
    const SYSTEMTIME winter = Time(2024, 1, 15, 12, 0, 0, 5);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &winter, &local));
    EXPECT_TRUE(local == Time(2024, 1, 15, 13, 0, 0, 5));
    const SYSTEMTIME summer = Time(2024, 7, 15, 23, 30);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &summer, &local));
    EXPECT_TRUE(local == Time(2024, 7, 16, 1, 30));
    EXPECT_EQ(local.wDayOfWeek, 2);

    SYSTEMTIME utc{};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    EXPECT_TRUE(utc == summer);
}

TEST_F(ProcessTimeZone, LocalTimeAndLocalFileTimeUseTheClockAndTheZone) {
    Platform::ScopedManualClock clock; // 2024-01-01 00:00 UTC
    SYSTEMTIME local{};
    GetLocalTime(&local);
    EXPECT_TRUE(local == Time(2024, 1, 1, 1));
    FILETIME utc{};
    GetSystemTimeAsFileTime(&utc);
    FILETIME localFile{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &localFile));
    SYSTEMTIME fromFile{};
    FileTimeToSystemTime(&localFile, &fromFile);
    EXPECT_TRUE(fromFile == Time(2024, 1, 1, 1));
}

TEST(ExplicitTimeZone, DaylightRulesApplyInBothDirections) {
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = 300; // UTC-5
    zone.DaylightBias = -60;
    zone.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};  // second Sunday of March, 02:00
    zone.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0}; // first Sunday of November, 02:00
    struct Case {
        SYSTEMTIME utc;
        SYSTEMTIME local;
    };
    for (const Case& c :
         {Case{Time(2024, 1, 10, 12), Time(2024, 1, 10, 7)},
          Case{Time(2024, 3, 10, 6, 59), Time(2024, 3, 10, 1, 59)},
          Case{Time(2024, 3, 10, 7), Time(2024, 3, 10, 3)}, Case{Time(2024, 7, 4, 16), Time(2024, 7, 4, 12)},
          Case{Time(2024, 11, 3, 7), Time(2024, 11, 3, 2)}}) {
        SYSTEMTIME local{};
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&zone, &c.utc, &local));
        EXPECT_TRUE(local == c.local) << c.utc.wMonth << "/" << c.utc.wDay << " " << c.utc.wHour;
    }
    const SYSTEMTIME summerLocal = Time(2024, 7, 4, 12);
    SYSTEMTIME utc{};
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(&zone, &summerLocal, &utc));
    EXPECT_TRUE(utc == Time(2024, 7, 4, 16));

    TIME_ZONE_INFORMATION fixed{};
    fixed.Bias = -330; // UTC+5:30, no daylight time
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&fixed, &summerLocal, &utc));
    EXPECT_TRUE(utc == Time(2024, 7, 4, 17, 30));
}

} // namespace
