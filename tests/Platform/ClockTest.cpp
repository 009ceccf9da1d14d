#include "Platform/TestClock.h"
#include "Platform/WinBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ManualClock, SleepAdvancesTicksAndWallClockWithoutWaiting) {
    Platform::ScopedManualClock clock;
    const ULONGLONG start = GetTickCount64();
    SYSTEMTIME before{};
    GetSystemTime(&before);
    EXPECT_EQ(before.wYear, 2024);
    EXPECT_EQ(before.wMonth, 1);
    EXPECT_EQ(before.wDay, 1);

    Sleep(30000);
    Sleep(60000);
    Sleep(120000);

    EXPECT_EQ(GetTickCount64() - start, 210000u);
    EXPECT_EQ(clock.Sleeps(), (std::vector<DWORD>{30000, 60000, 120000}));
    EXPECT_EQ(clock.TotalSlept(), 210000u);
    SYSTEMTIME after{};
    GetSystemTime(&after);
    EXPECT_EQ(after.wHour, 0);
    EXPECT_EQ(after.wMinute, 3);
    EXPECT_EQ(after.wSecond, 30);
}

// What a wait for a message does under a manual clock: it looks without waiting, sleeps the whole wait
// when nothing is there (so a test's hook sees it), and looks again.
TEST(ManualClock, WaitAsksSleepsTheWholeWaitAndAsksAgain) {
    Platform::ScopedManualClock clock;
    std::vector<DWORD> asked;
    bool readyAfterSleep = false;
    clock.OnSleep([&](DWORD) { readyAfterSleep = true; });
    EXPECT_TRUE(Platform::CurrentClock().WaitUntil(50, [&](DWORD remaining) {
        asked.push_back(remaining);
        return readyAfterSleep;
    }));
    EXPECT_EQ(asked, (std::vector<DWORD>{0, 0}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<DWORD>{50}));

    asked.clear();
    EXPECT_TRUE(Platform::CurrentClock().WaitUntil(50, [&](DWORD remaining) {
        asked.push_back(remaining);
        return true;
    }));
    EXPECT_EQ(asked, (std::vector<DWORD>{0}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<DWORD>{50}));
}

// The real clock hands the time left to the one it asks, and gives up once none is left.
TEST(RealClock, WaitHandsOnTheTimeLeftUntilNoneIsLeft) {
    std::vector<DWORD> asked;
    EXPECT_FALSE(Platform::CurrentClock().WaitUntil(5, [&](DWORD remaining) {
        asked.push_back(remaining);
        if (remaining != 0) {
            Sleep(remaining);
        }
        return false;
    }));
    ASSERT_FALSE(asked.empty());
    EXPECT_LE(asked.front(), 5u);
    EXPECT_EQ(asked.back(), 0u);
}

TEST(ManualClock, HookSeesEachSleepAndAdvanceDoesNotRecord) {
    Platform::ScopedManualClock clock;
    int calls = 0;
    clock.OnSleep([&](DWORD milliseconds) {
        ++calls;
        EXPECT_EQ(milliseconds, 100u);
    });
    Sleep(100);
    Sleep(100);
    clock.Advance(5000);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(clock.Sleeps().size(), 2u);
    EXPECT_EQ(GetTickCount64(), Platform::ManualClock::kDefaultStartTick + 5200);
    clock.ClearSleeps();
    EXPECT_TRUE(clock.Sleeps().empty());
}

TEST(ManualClock, SetUtcTimeMovesOnlyTheWallClock) {
    Platform::ScopedManualClock clock;
    const SYSTEMTIME target{2030, 6, 0, 15, 12, 30, 45, 250};
    clock.SetUtcTime(target);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_EQ(now.wYear, 2030);
    EXPECT_EQ(now.wDayOfWeek, 6); // a Saturday
    EXPECT_EQ(now.wMilliseconds, 250);
    EXPECT_EQ(GetTickCount64(), Platform::ManualClock::kDefaultStartTick);
}

TEST(ManualClock, ScopeEndRestoresTheRealClock) {
    {
        Platform::ScopedManualClock clock;
        Sleep(3600000);
    }
    const ULONGLONG first = GetTickCount64();
    Sleep(20);
    EXPECT_GE(GetTickCount64() - first, 20u);
    // The 32-bit count is the low part of the 64-bit one, read between two readings of it.
    const ULONGLONG before = GetTickCount64();
    const DWORD narrow = GetTickCount();
    const ULONGLONG after = GetTickCount64();
    EXPECT_GE(narrow, static_cast<DWORD>(before));
    EXPECT_LE(narrow, static_cast<DWORD>(after));
}

TEST(ManualClock, NestedScopesRestoreTheOuterClock) {
    Platform::ScopedManualClock outer;
    {
        Platform::ScopedManualClock inner(Platform::ManualClock::kDefaultStartFileTime, 5);
        EXPECT_EQ(GetTickCount64(), 5u);
    }
    EXPECT_EQ(GetTickCount64(), Platform::ManualClock::kDefaultStartTick);
}

} // namespace
