#include "VantrelCommon/LSFileSystem.h"
#include "Platform/FileApi.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/Utf.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace {

TEST(LSFileSystem, TemporaryPathHoldsPrefixGuidAndExtensionAndTheFileExists) {
    TestSupport::TempDirectory dir;
    const CStdStr<wchar_t> directory(dir.wide());
    const CStdStr<wchar_t> path = LSFileSystem::GetTempFilePathWithExt(L"tmp", L".msg", directory);
    const std::wregex form(
        L"\\\\tmp\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}\\.msg$");
    EXPECT_EQ(path.substr(0, directory.size()), directory);
    EXPECT_TRUE(std::regex_search(path, form)) << static_cast<const std::wstring&>(path);
    const auto files = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    ASSERT_EQ(files, 1);
    const auto file = *std::filesystem::directory_iterator(dir.path());
    EXPECT_EQ(file.file_size(), 0u);
    EXPECT_NE(LSFileSystem::GetTempFilePathWithExt(L"tmp", L".msg", directory + L"\\"), path);
}

TEST(LSFileSystem, LongPathForms) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
        {L"\\\\server\\share\\f", L"\\\\?\\UNC\\server\\share\\f"},
        {L"\\\\?\\C:\\already", L"\\\\?\\C:\\already"},
        {L"C", L"C"},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(MakeLongPath(path), expected) << path;
    }
}

TEST(IsUncPath, OnlyServerShareAndNamesBelow) {
    for (const wchar_t* path : {L"\\\\srv\\share\\f.txt", L"\\\\?\\UNC\\srv\\share\\d\\f",
                                L"\\\\?\\unc\\srv\\share", L"//srv/share/f", L"\\\\srv/share\\a..b"}) {
        EXPECT_TRUE(IsUncPath(path)) << std::wstring(path);
    }
    for (const wchar_t* path :
         {L"", L"C:\\f", L"\\\\?\\C:\\f", L"/etc/f", L"\\\\.\\C:\\f", L"\\\\?\\GLOBALROOT\\x\\y", L"rel\\f",
          L"\\\\srv", L"\\\\srv\\", L"\\\\srv\\share\\..\\..\\f", L"\\\\srv\\share\\.\\f", L"\\\\srv\\\\f",
          L"\\\\?\\UNC\\srv\\..\\f", L"\\\\srv\\share\\d\\"}) {
        EXPECT_FALSE(IsUncPath(path)) << std::wstring(path);
    }
}

class VersionCheckTest : public testing::Test {
protected:
    static std::string SystemDirectory(const char* folder) {
        return std::string(KOVA_TEST_VERSION_DIR "/") + folder;
    }
    static HMODULE ThisModule() { return GetModuleHandleW(nullptr); }
};

TEST_F(VersionCheckTest, ReadsTheFixedVersionOfAModule) {
    const FileVersion version = GetFileVersion(
        CStdStr<wchar_t>(Platform::Utf8ToWide(SystemDirectory("other-build") + "/KOVA32.dll")));
    EXPECT_TRUE(version.valid);
    EXPECT_EQ(version.major, 24);
    EXPECT_EQ(version.minor, 4);
    EXPECT_EQ(version.build, 1);
    EXPECT_EQ(version.revision, 0);
    const FileVersion missing = GetFileVersion(L"/no/such/module.dll");
    EXPECT_FALSE(missing.valid);
    EXPECT_EQ(missing.major, 0);
}

TEST_F(VersionCheckTest, ComparesMajorMinorAndBuildButNotTheRevision) {
    const std::pair<const char*, bool> cases[] = {
        {"same-build", true},   // 24.4.0.1 against 24.4.0.17891
        {"other-build", false}, // 24.4.1.0
        {"other-minor", false}, // 24.5.0.17891
        {"missing", false},
    };
    for (const auto& [folder, matches] : cases) {
        TestSupport::ScopedEnvironment system("KOVA_SYSTEM_DIR", SystemDirectory(folder));
        EXPECT_EQ(CheckVersionMatchesHost(ThisModule()), matches) << folder;
    }
}

TEST(EnsureTrailingBackslash, AddsOneOnlyWhenMissing) {
    for (const auto& [in, out] : {std::pair<const wchar_t*, const wchar_t*>{L"C:\\Docs", L"C:\\Docs\\"},
                                  {L"C:\\Docs\\", L"C:\\Docs\\"},
                                  {L"", L"\\"},
                                  {L"/home/me", L"/home/me\\"},
                                  {L"/home/me/", L"/home/me/"}}) {
        CStdStr<wchar_t> path = in;
        EnsureTrailingBackslash(path);
        EXPECT_EQ(path, out);
    }
}

} // namespace
