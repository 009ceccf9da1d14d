#include "Platform/FileIoApi.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class FileMoveTest : public testing::Test {
protected:
    std::wstring PathOf(const wchar_t* name) const { return dir.wide() + L"\\" + name; }
    void Write(const char* name, const std::string& content) const {
        std::ofstream(dir.path() / name, std::ios::binary) << content;
    }
    std::string Read(const char* name) const {
        std::ostringstream content;
        content << std::ifstream(dir.path() / name, std::ios::binary).rdbuf();
        return content.str();
    }
    TestSupport::TempDirectory dir;
};

TEST_F(FileMoveTest, ReplacesTheTargetOnlyWhenAskedTo) {
    Write("new", "new content");
    Write("target", "old content");
    EXPECT_FALSE(MoveFileExW(PathOf(L"new").c_str(), PathOf(L"target").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Read("target"), "old content");

    EXPECT_TRUE(MoveFileExW(PathOf(L"new").c_str(), PathOf(L"target").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(Read("target"), "new content");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "new"));

    EXPECT_TRUE(MoveFileExW(PathOf(L"target").c_str(), PathOf(L"moved").c_str(), 0));
    EXPECT_EQ(Read("moved"), "new content");
}

TEST_F(FileMoveTest, AReadOnlyTargetOrADirectoryIsNotReplacedWhoeverRuns) {
    Write("new", "new content");
    Write("target", "the user's content");
    std::filesystem::permissions(dir.path() / "target", std::filesystem::perms::owner_read);
    std::filesystem::create_directory(dir.path() / "folder");
    for (const wchar_t* target : {L"target", L"folder"}) {
        EXPECT_FALSE(MoveFileExW(PathOf(L"new").c_str(), PathOf(target).c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(Read("target"), "the user's content");
    EXPECT_EQ(Read("new"), "new content");
}

TEST_F(FileMoveTest, RefusesWhatItCannotDo) {
    EXPECT_FALSE(
        MoveFileExW(PathOf(L"missing").c_str(), PathOf(L"target").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    Write("file", "content");
    EXPECT_FALSE(MoveFileExW(PathOf(L"file").c_str(), PathOf(L"target").c_str(), 0x2 /* copy allowed */));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(MoveFileExW(nullptr, PathOf(L"target").c_str(), 0));
}

TEST_F(FileMoveTest, FlushNeedsAHandleThatWrites) {
    HANDLE out = CreateFileW(PathOf(L"file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, "abc", 3, &written, nullptr));
    EXPECT_TRUE(FlushFileBuffers(out));
    CloseHandle(out);
    HANDLE in = CreateFileW(PathOf(L"file").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FlushFileBuffers(in));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(in);
}

} // namespace
