#include "Platform/FileApi.h"
#include "Platform/FileIoApi.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(FileOps, CreateAndRemoveDirectoryReportWindowsErrors) {
    TestSupport::TempDirectory dir;
    const std::wstring logs = dir.wide() + L"\\KOVA Logs";
    ASSERT_TRUE(CreateDirectoryW(logs.c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesW(logs.c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(CreateDirectoryW(logs.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW((dir.wide() + L"\\no\\such").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::ofstream(dir.path() / "KOVA Logs" / "f.log") << "x";
    EXPECT_FALSE(RemoveDirectoryW(logs.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(DeleteFileW(logs.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileW((logs + L"/f.log").c_str()));
    EXPECT_TRUE(RemoveDirectoryW(logs.c_str()));
    EXPECT_EQ(GetFileAttributesW(logs.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FileOps, DeleteMissingFileIsFileNotFound) {
    TestSupport::TempDirectory dir;
    EXPECT_FALSE(DeleteFileW((dir.wide() + L"\\gone.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Windows names a missing folder on the way ERROR_PATH_NOT_FOUND and a missing last part
// ERROR_FILE_NOT_FOUND; a file used as a folder is a missing folder.
TEST(FileOps, AMissingParentFolderIsPathNotFound) {
    TestSupport::TempDirectory dir;
    std::ofstream(dir.path() / "file.txt") << "x";
    const struct {
        std::wstring path;
        DWORD error;
    } cases[] = {{dir.wide() + L"\\no-dir\\a.txt", ERROR_PATH_NOT_FOUND},
                 {dir.wide() + L"\\file.txt\\a.txt", ERROR_PATH_NOT_FOUND},
                 {dir.wide() + L"\\a.txt", ERROR_FILE_NOT_FOUND}};
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetFileAttributesW(c.path.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), c.error) << "GetFileAttributesW";
        WIN32_FILE_ATTRIBUTE_DATA data{};
        SetLastError(0);
        EXPECT_FALSE(GetFileAttributesExW(c.path.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(GetLastError(), c.error) << "GetFileAttributesExW";
        SetLastError(0);
        EXPECT_FALSE(DeleteFileW(c.path.c_str()));
        EXPECT_EQ(GetLastError(), c.error) << "DeleteFileW";
    }
}

TEST(FileOps, ReadOnlyFileHasReadOnlyAttribute) {
    TestSupport::TempDirectory dir;
    std::ofstream(dir.path() / "ro.txt") << "x";
    std::filesystem::permissions(dir.path() / "ro.txt", std::filesystem::perms::owner_read);
    EXPECT_EQ(GetFileAttributesW((dir.wide() + L"\\ro.txt").c_str()), FILE_ATTRIBUTE_READONLY);
}

} // namespace
