#include "Platform/FileCopy.h"
#include "Platform/FileApi.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Records each call and answers with the scripted verdicts (PROGRESS_CONTINUE once they run out).
struct ProgressScript {
    std::vector<DWORD> answers;
    std::vector<DWORD> reasons;
    std::vector<LONGLONG> transferred;
};

DWORD CALLBACK ScriptedProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                DWORD reason, HANDLE, HANDLE, LPVOID data) {
    auto* script = static_cast<ProgressScript*>(data);
    EXPECT_GE(total.QuadPart, done.QuadPart);
    script->reasons.push_back(reason);
    script->transferred.push_back(done.QuadPart);
    const size_t call = script->reasons.size() - 1;
    return call < script->answers.size() ? script->answers[call] : PROGRESS_CONTINUE;
}

class FileCopy : public ::testing::Test {
protected:
    std::wstring Path(const char* name) const { return (dir.path() / name).wstring(); }

    TestSupport::TempDirectory dir;
};

TEST_F(FileCopy, CopiesLargeContentAndReplacesTheDestination) {
    const std::string content(200 * 1024 + 7, 'x');
    WriteFile(dir.path() / "src.bin", content);
    WriteFile(dir.path() / "dst.bin", "old");
    ProgressScript script;
    ASSERT_TRUE(
        CopyFileExW(Path("src.bin").c_str(), Path("dst.bin").c_str(), ScriptedProgress, &script, nullptr, 0));
    EXPECT_EQ(ReadAll(dir.path() / "dst.bin"), content);
    ASSERT_GE(script.reasons.size(), 2u);
    EXPECT_EQ(script.reasons.front(), CALLBACK_STREAM_SWITCH);
    EXPECT_EQ(script.transferred.front(), 0);
    EXPECT_EQ(script.reasons.back(), CALLBACK_CHUNK_FINISHED);
    EXPECT_EQ(script.transferred.back(), static_cast<LONGLONG>(content.size()));
    EXPECT_EQ(std::filesystem::last_write_time(dir.path() / "dst.bin"),
              std::filesystem::last_write_time(dir.path() / "src.bin"));
}

TEST_F(FileCopy, ReportsWindowsErrors) {
    WriteFile(dir.path() / "src.txt", "abc");
    WriteFile(dir.path() / "there.txt", "keep");
    struct Case {
        std::wstring source;
        std::wstring destination;
        DWORD flags;
        LONG error;
    };
    const std::vector<Case> cases = {
        {Path("missing.txt"), Path("out.txt"), 0, ERROR_FILE_NOT_FOUND},
        {Path("src.txt"), Path("no-dir") + L"\\out.txt", 0, ERROR_PATH_NOT_FOUND},
        {Path("src.txt"), Path("there.txt"), COPY_FILE_FAIL_IF_EXISTS, ERROR_FILE_EXISTS},
        {dir.wide(), Path("out.txt"), 0, ERROR_ACCESS_DENIED},
        {Path("src.txt"), dir.wide(), 0, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(
            CopyFileExW(c.source.c_str(), c.destination.c_str(), nullptr, nullptr, nullptr, c.flags));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error));
    }
    EXPECT_EQ(ReadAll(dir.path() / "there.txt"), "keep");
}

TEST_F(FileCopy, ReadOnlyDestinationIsRefusedAndKept) {
    WriteFile(dir.path() / "src.txt", "new");
    WriteFile(dir.path() / "locked.txt", "old");
    std::filesystem::permissions(dir.path() / "locked.txt", std::filesystem::perms::owner_read);
    EXPECT_FALSE(
        CopyFileExW(Path("src.txt").c_str(), Path("locked.txt").c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadAll(dir.path() / "locked.txt"), "old");
}

TEST_F(FileCopy, ACopyOntoItselfIsASharingViolationAndKeepsTheFile) {
    WriteFile(dir.path() / "doc.txt", "content");
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_symlink(dir.path() / "doc.txt", dir.path() / "symlink.txt");
    std::filesystem::create_hard_link(dir.path() / "doc.txt", dir.path() / "hardlink.txt");
    for (const std::wstring& destination :
         {Path("doc.txt"), Path("sub") + L"\\..\\doc.txt", Path("symlink.txt"), Path("hardlink.txt")}) {
        SetLastError(0);
        EXPECT_FALSE(CopyFileExW(Path("doc.txt").c_str(), destination.c_str(), nullptr, nullptr, nullptr, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(ReadAll(dir.path() / "doc.txt"), "content");
    }
    // From the link onto the file it names, too.
    EXPECT_FALSE(
        CopyFileExW(Path("symlink.txt").c_str(), Path("doc.txt").c_str(), nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadAll(dir.path() / "doc.txt"), "content");
}

TEST_F(FileCopy, ASourceInAMissingFolderIsPathNotFound) {
    WriteFile(dir.path() / "file.txt", "x");
    for (const std::wstring& source : {Path("no-dir") + L"\\src.txt", Path("file.txt") + L"\\src.txt"}) {
        SetLastError(0);
        EXPECT_FALSE(CopyFileExW(source.c_str(), Path("out.txt").c_str(), nullptr, nullptr, nullptr, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.txt"));
}

TEST_F(FileCopy, CancelRemovesThePartialCopyStopKeepsIt) {
    WriteFile(dir.path() / "src.bin", std::string(200 * 1024, 'y'));
    ProgressScript cancel{{PROGRESS_CONTINUE, PROGRESS_CANCEL}, {}, {}};
    EXPECT_FALSE(CopyFileExW(Path("src.bin").c_str(), Path("cancelled.bin").c_str(), ScriptedProgress,
                             &cancel, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(cancel.reasons.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "cancelled.bin"));

    ProgressScript stop{{PROGRESS_CONTINUE, PROGRESS_STOP}, {}, {}};
    EXPECT_FALSE(CopyFileExW(Path("src.bin").c_str(), Path("stopped.bin").c_str(), ScriptedProgress, &stop,
                             nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "stopped.bin"));
}

TEST_F(FileCopy, CancelAtTheStartAndCancelFlag) {
    WriteFile(dir.path() / "src.txt", "abc");
    ProgressScript cancelAtStart{{PROGRESS_CANCEL}, {}, {}};
    EXPECT_FALSE(CopyFileExW(Path("src.txt").c_str(), Path("a.txt").c_str(), ScriptedProgress, &cancelAtStart,
                             nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.txt"));

    BOOL cancelled = TRUE;
    EXPECT_FALSE(
        CopyFileExW(Path("src.txt").c_str(), Path("b.txt").c_str(), nullptr, nullptr, &cancelled, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.txt"));
}

TEST_F(FileCopy, QuietStopsTheCallsButNotTheCopy) {
    WriteFile(dir.path() / "src.bin", std::string(200 * 1024, 'z'));
    ProgressScript quiet{{PROGRESS_QUIET}, {}, {}};
    EXPECT_TRUE(
        CopyFileExW(Path("src.bin").c_str(), Path("dst.bin").c_str(), ScriptedProgress, &quiet, nullptr, 0));
    EXPECT_EQ(quiet.reasons.size(), 1u);
    EXPECT_EQ(ReadAll(dir.path() / "dst.bin").size(), 200u * 1024);
}

TEST_F(FileCopy, TempFileNamesAreNumberedAndReserved) {
    wchar_t first[MAX_PATH];
    wchar_t second[MAX_PATH];
    const UINT a = GetTempFileNameW(dir.wide().c_str(), L"LSxyz", 0, first);
    const UINT b = GetTempFileNameW(dir.wide().c_str(), L"LSxyz", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(std::wstring(first), std::wstring(second));
    EXPECT_NE(GetFileAttributesW(first), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(second), INVALID_FILE_ATTRIBUTES);

    wchar_t named[MAX_PATH];
    EXPECT_EQ(GetTempFileNameW(dir.wide().c_str(), L"LS", 0x1A2B, named), 0x1A2Bu);
    EXPECT_EQ(std::wstring(named), dir.wide() + L"\\LS1A2B.TMP");
    EXPECT_EQ(GetFileAttributesW(named), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(GetTempFileNameW((dir.wide() + L"\\missing").c_str(), L"LS", 0, named), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

} // namespace
