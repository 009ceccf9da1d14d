#include "VantrelCommon/LogFiles.h"

#include "Platform/Utf.h"
#include "Platform/WinError.h"
#include "VantrelCommon/LSDiag.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

// 2024-01-10 00:00:00 UTC as a FILETIME value.
constexpr ULONGLONG kNow = 133493184000000000ULL;
constexpr ULONGLONG kMinute = 600000000ULL;

WIN32_FIND_DATAW EntryWrittenAt(const std::wstring& name, ULONGLONG written) {
    WIN32_FIND_DATAW data{};
    std::copy(name.begin(), name.end(), data.cFileName);
    data.ftLastWriteTime =
        FILETIME{static_cast<DWORD>(written & 0xFFFFFFFF), static_cast<DWORD>(written >> 32)};
    return data;
}

TEST(OldLogFiles, DeletedOnlyWhenOlderThanTheLimitAndNamedAsWhole) {
    struct Case {
        const wchar_t* name;
        ULONGLONG ageMinutes;
        bool deleted;
    };
    const Case cases[] = {
        {L"KOVA-MeridioSync-20240101-101010.4242.log", 61, true},
        {L"KOVA-MeridioSync-20240101-101010.4242.log", 60, false}, // exactly the limit is kept
        {L"KOVA-MeridioSync-20240101-101010.4242.log", 5, false},
        {L"KOVA-MeridioSync-20240101-101010.4242 (2).log", 600, false},
        {L"KOVA-MeridioSync-20240101-101010.4242.log.bak", 600, false},
        {L"Other-20240101-101010.4242.log", 600, false},
        {L"KOVA-MeridioSync-20240101-101010.4242xlog", 600, true}, // the last "." matches any character
    };
    for (const Case& c : cases) {
        TestSupport::TempDirectory dir;
        std::ofstream(dir.path() / c.name) << "old";
        const CStdStr<wchar_t> fullPath = dir.wide() + L"\\" + c.name;
        EXPECT_TRUE(DeleteOldLogFile(fullPath, EntryWrittenAt(c.name, kNow - c.ageMinutes * kMinute),
                                     L"KOVA-MeridioSync", kNow, 60));
        EXPECT_EQ(!std::filesystem::exists(dir.path() / c.name), c.deleted) << c.ageMinutes;
    }
}

TEST(OldLogFiles, NamesMatchAsAWhole) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"KOVA-MeridioSync-20240101-101010.4242.log", true},
        {L"KOVA-MeridioSync-1-2.3.log", true},
        {L"KOVA-MeridioSync-1-2.34log", true}, // the character before "log" may be any
        {L"KOVA-MeridioSync-1-2.3log", false}, // but there must be one after the digits
        {L"KOVA-MeridioSync-1-2.log", false},
        {L"KOVA-MeridioSync--2.3.log", false},
        {L"KOVA-MeridioSync-1-.3.log", false},
        {L"KOVA-MeridioSync-1-2-3.log", false},
        {L"KOVA-MeridioSync-1-2.3.log.1", false},
        {L"KOVA-MeridioSync-20240101-101010.4242 (2).log", false},
        {L"kova-meridiosync-1-2.3.log", false}, // case-sensitive
        {L"XKOVA-MeridioSync-1-2.3.log", false},
    };
    for (const auto& [name, matches] : cases) {
        EXPECT_EQ(IsOldLogName(name, L"KOVA-MeridioSync"), matches) << Platform::WideToUtf8(name);
    }
}

TEST(EnumerateDirectory, WalksEntriesButDotsAndStopsWhenAsked) {
    TestSupport::TempDirectory dir;
    for (const char* name : {"a.log", "b.log", "c.txt"}) {
        std::ofstream(dir.path() / name) << "x";
    }
    std::set<std::wstring> seen;
    EXPECT_EQ(EnumerateDirectory(
                  dir.wide(),
                  [&](const CStdStr<wchar_t>& fullPath, const WIN32_FIND_DATAW& data) {
                      EXPECT_EQ(fullPath, dir.wide() + L"\\" + data.cFileName);
                      seen.insert(data.cFileName);
                      return true;
                  },
                  L"*"),
              S_OK);
    EXPECT_EQ(seen, (std::set<std::wstring>{L"a.log", L"b.log", L"c.txt"}));

    int calls = 0;
    EXPECT_EQ(EnumerateDirectory(
                  dir.wide(), [&](const CStdStr<wchar_t>&, const WIN32_FIND_DATAW&) { return ++calls < 0; },
                  L"*.log"),
              S_OK);
    EXPECT_EQ(calls, 1);
}

TEST(EnumerateDirectory, ListingThatCannotStartGivesTheHresult) {
    TestSupport::TempDirectory dir;
    const auto never = [](const CStdStr<wchar_t>&, const WIN32_FIND_DATAW&) {
        ADD_FAILURE();
        return true;
    };
    EXPECT_EQ(EnumerateDirectory(dir.wide() + L"\\missing", never, L"*.log"),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(EnumerateDirectory(dir.wide(), never, L"*.log"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST(ParseModuleLevel, ReadsTheLevelOfOneEntry) {
    struct Case {
        std::vector<CStdStr<wchar_t>> pieces;
        int level;
    };
    const Case cases[] = {{{L"LSSetting", L"2"}, 2}, {{L"LSSetting"}, 1},     {{L"LSSetting", L"  "}, 1},
                          {{L"LSSetting", L"x"}, 0}, {{L"A", L"1", L"3"}, 1}, {{L"LSBase*", L"0"}, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseModuleLevel(c.pieces), c.level) << c.pieces.size();
    }
}

} // namespace
