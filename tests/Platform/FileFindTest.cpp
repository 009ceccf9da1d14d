#include "Platform/FileApi.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

namespace {

class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"KOVA-MeridioSync-20240101-101010.42.log", "Report.MSG", "a.txt", "ab.txt", "noext"}) {
            std::ofstream(dir_.path() / name) << "x";
        }
        std::filesystem::create_directory(dir_.path() / "sub");
    }

    // Every name the pattern lists, "." and ".." included when listed.
    std::set<std::wstring> Find(const std::wstring& pattern) {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW data{};
        HANDLE find = FindFirstFileW((dir_.wide() + L"\\" + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            return names;
        }
        do {
            names.insert(data.cFileName);
        } while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        return names;
    }

    TestSupport::TempDirectory dir_;
};

TEST_F(FileFindTest, MatchesWildcardsWithoutRegardToCase) {
    using Names = std::set<std::wstring>;
    EXPECT_EQ(Find(L"KOVA-MeridioSync-*.log"), Names{L"KOVA-MeridioSync-20240101-101010.42.log"});
    EXPECT_EQ(Find(L"*.msg"), Names{L"Report.MSG"});
    EXPECT_EQ(Find(L"?.txt"), Names{L"a.txt"});
    EXPECT_EQ(Find(L"a*.TXT"), (Names{L"a.txt", L"ab.txt"}));
    EXPECT_EQ(Find(L"REPORT.msg"), Names{L"Report.MSG"});
    EXPECT_EQ(Find(L"*.none"), Names{});
    EXPECT_EQ(Find(L"*"), (Names{L".", L"..", L"KOVA-MeridioSync-20240101-101010.42.log", L"Report.MSG",
                                 L"a.txt", L"ab.txt", L"noext", L"sub"}));
    EXPECT_EQ(Find(L"*.*"), Find(L"*"));
}

TEST_F(FileFindTest, FillsAttributesAndSize) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((dir_.wide() + L"/sub").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    FindClose(find);

    find = FindFirstFileW((dir_.wide() + L"/a.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(data.nFileSizeLow, 1u);
    // Written just now: well after 2020-01-01 (132223104000000000 in FILETIME units).
    const ULONGLONG written =
        (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_GT(written, 132223104000000000ULL);
    FindClose(find);
}

TEST_F(FileFindTest, MissingDirectoryIsPathNotFound) {
    WIN32_FIND_DATAW data{};
    EXPECT_EQ(FindFirstFileW((dir_.wide() + L"\\missing\\*.log").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileFindTest, ListingSurvivesDeletionDuringTheWalk) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((dir_.wide() + L"\\*.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int seen = 0;
    do {
        ++seen;
        EXPECT_TRUE(DeleteFileW((dir_.wide() + L"\\" + data.cFileName).c_str()));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_EQ(seen, 2);
}

} // namespace
