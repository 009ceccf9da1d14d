#include "Platform/FileIoApi.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

DWORD LastError() {
    return GetLastError();
}

class FileIoTest : public testing::Test {
protected:
    std::wstring PathOf(const wchar_t* name) const { return dir.wide() + L"\\" + name; }
    HANDLE Open(const wchar_t* name, DWORD access, DWORD disposition) const {
        return CreateFileW(PathOf(name).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    TestSupport::TempDirectory dir;
};

TEST_F(FileIoTest, WritesThenReadsBackWithSizeAndPosition) {
    HANDLE out = Open(L"copy.bin", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    const std::string content = "0123456789";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    EXPECT_EQ(written, 10u);
    DWORD read = 99;
    char byte = 0;
    EXPECT_FALSE(ReadFile(out, &byte, 1, &read, nullptr)); // opened for writing only
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(CloseHandle(out));

    HANDLE in = Open(L"copy.bin", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(in, &size));
    EXPECT_EQ(size.QuadPart, 10);
    EXPECT_EQ(SetFilePointer(in, 4, nullptr, FILE_BEGIN), 4u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(in, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "456789"); // short read at the end succeeds
    ASSERT_TRUE(ReadFile(in, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);

    LARGE_INTEGER back{};
    back.QuadPart = -3;
    LARGE_INTEGER position{};
    ASSERT_TRUE(SetFilePointerEx(in, back, &position, FILE_END));
    EXPECT_EQ(position.QuadPart, 7);
    EXPECT_EQ(SetFilePointer(in, -8, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    ASSERT_TRUE(CloseHandle(in));
}

TEST_F(FileIoTest, SetFilePointerCombinesTheHighPart) {
    HANDLE file = Open(L"sparse.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(LastError(), static_cast<DWORD>(NO_ERROR));
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    ASSERT_TRUE(SetFilePointerEx(file, zero, &position, FILE_CURRENT));
    EXPECT_EQ(position.QuadPart, (LONGLONG{1} << 32) + 5);
    CloseHandle(file);
}

TEST_F(FileIoTest, DispositionsReportWindowsErrors) {
    EXPECT_EQ(Open(L"missing.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(L"no\\such\\dir.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::ofstream(dir.path() / "there.txt") << "old content";
    EXPECT_EQ(Open(L"there.txt", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    HANDLE again = Open(L"there.txt", GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(again, &size));
    EXPECT_EQ(size.QuadPart, 0); // truncated
    CloseHandle(again);

    EXPECT_EQ(Open(L"", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE); // the directory itself
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_EQ(Open(L"folder", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// Windows refuses to write or empty a read-only file whoever asks, an administrator included (the
// tests run as root in CI, where the file mode alone would not stop the open).
TEST_F(FileIoTest, AReadOnlyFileIsNotOpenedForWritingAndKeepsItsContent) {
    std::ofstream(dir.path() / "ro.txt") << "keep";
    std::filesystem::permissions(dir.path() / "ro.txt", std::filesystem::perms::owner_read);
    const struct {
        DWORD access;
        DWORD disposition;
    } refused[] = {{GENERIC_WRITE, OPEN_EXISTING}, {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},
                   {GENERIC_WRITE, OPEN_ALWAYS},   {GENERIC_WRITE, CREATE_ALWAYS},
                   {GENERIC_READ, CREATE_ALWAYS},  {GENERIC_WRITE, TRUNCATE_EXISTING}};
    for (const auto& c : refused) {
        SetLastError(0);
        EXPECT_EQ(Open(L"ro.txt", c.access, c.disposition), INVALID_HANDLE_VALUE)
            << c.access << " " << c.disposition;
        EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(Open(L"ro.txt", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    HANDLE in = Open(L"ro.txt", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    char buffer[8] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(in, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "keep");
    CloseHandle(in);
}

TEST_F(FileIoTest, BadHandlesAreRefused) {
    DWORD read = 0;
    char byte = 0;
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &byte, 1, &read, nullptr));
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileIoTest, AttributesCarrySizeAndKind) {
    std::ofstream(dir.path() / "doc.txt") << "12345";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(PathOf(L"doc.txt").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    ASSERT_TRUE(GetFileAttributesExW(dir.wide().c_str(), GetFileExInfoStandard, &data));
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(GetFileAttributesExW(PathOf(L"gone").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

} // namespace

namespace {

// The final path of the file, as GetFinalPathNameByHandleW gives it.
std::wstring FinalPath(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << std::string(path.begin(), path.end());
    wchar_t tooSmall[4] = {};
    const DWORD needed = GetFinalPathNameByHandleW(file, tooSmall, 4, 0);
    std::wstring result(needed, L'\0');
    EXPECT_EQ(GetFinalPathNameByHandleW(file, result.data(), needed, 0), needed - 1);
    result.resize(needed - 1);
    CloseHandle(file);
    return result;
}

std::wstring Backslashed(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    for (wchar_t& c : text) {
        c = c == L'/' ? L'\\' : c;
    }
    return text;
}

TEST_F(FileIoTest, FinalPathResolvesLinksAndNamesSharesInUncForm) {
    const std::filesystem::path realRoot = dir.path() / "shares";
    const std::filesystem::path share = realRoot / "server" / "share";
    std::filesystem::create_directories(share);
    std::ofstream(share / "file.txt") << "x";
    std::ofstream(dir.path() / "local.txt") << "y";
    std::filesystem::create_symlink(dir.path() / "local.txt", share / "out.txt");
    std::filesystem::create_symlink(share / "file.txt", share / "in.txt");
    std::filesystem::create_directory_symlink(realRoot, dir.path() / "root-link");
    const TestSupport::ScopedEnvironment root("KOVA_UNC_ROOT", (dir.path() / "root-link").string());

    EXPECT_EQ(FinalPath(L"\\\\server\\share\\file.txt"), L"\\\\?\\UNC\\server\\share\\file.txt");
    EXPECT_EQ(FinalPath(L"\\\\?\\UNC\\server\\share\\in.txt"), L"\\\\?\\UNC\\server\\share\\file.txt");
    EXPECT_EQ(FinalPath(L"\\\\server\\share\\out.txt"), L"\\\\?\\C:" + Backslashed(dir.path() / "local.txt"));
    EXPECT_EQ(FinalPath(L"\\\\server\\share\\..\\..\\..\\local.txt"),
              L"\\\\?\\C:" + Backslashed(dir.path() / "local.txt"));

    HANDLE file = CreateFileW(L"\\\\server\\share\\file.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(GetFinalPathNameByHandleW(file, buffer, MAX_PATH, 0x4 /* VOLUME_NAME_NONE */), 0u);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(file);
    EXPECT_EQ(GetFinalPathNameByHandleW(INVALID_HANDLE_VALUE, buffer, MAX_PATH, 0), 0u);
    EXPECT_EQ(LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
