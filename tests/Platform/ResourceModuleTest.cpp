#include "Platform/LibLoaderApi.h"
#include "Platform/Utf.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"
#include "Platform/WinUser.h"
#include "Platform/WinVer.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const std::wstring kResourceDir = Platform::Utf8ToWide(KOVA_TEST_RESOURCE_DIR);

std::wstring LoadText(HINSTANCE module, UINT id) {
    wchar_t buffer[256];
    const int length = LoadStringW(module, id, buffer, 256);
    EXPECT_EQ(static_cast<std::size_t>(length), std::wcslen(buffer));
    return buffer;
}

class SampleModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW((kResourceDir + L"\\Sample.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << GetLastError();
    }
    void TearDown() override { EXPECT_TRUE(FreeLibrary(module_)); }

    HMODULE module_ = nullptr;
};

TEST_F(SampleModuleTest, LoadsStringsOfEveryBlock) {
    EXPECT_EQ(LoadText(module_, 1), L"one");
    EXPECT_EQ(LoadText(module_, 15), L"fifteen");
    EXPECT_EQ(LoadText(module_, 16), L"sixteen");
    EXPECT_EQ(LoadText(module_, 4000), L"Gr\u00fc\u00dfe aus \"K\u00f6ln\"\n\tzweite Zeile \\ Ende");
    EXPECT_EQ(LoadText(module_, 65535), L"last");
}

TEST_F(SampleModuleTest, MissingStringsGiveZeroAndAnEmptyBuffer) {
    for (UINT id : {0u, 2u, 17u, 3999u, 4001u, 65534u}) {
        wchar_t buffer[8] = L"junk";
        EXPECT_EQ(LoadStringW(module_, id, buffer, 8), 0) << id;
        EXPECT_STREQ(buffer, L"") << id;
    }
}

TEST_F(SampleModuleTest, ShortBufferTruncatesAndTerminates) {
    wchar_t buffer[4];
    EXPECT_EQ(LoadStringW(module_, 15, buffer, 4), 3);
    EXPECT_STREQ(buffer, L"fif");
}

TEST_F(SampleModuleTest, ZeroBufferSizeHandsOutTheTextInPlace) {
    const wchar_t* text = nullptr;
    EXPECT_EQ(LoadStringW(module_, 16, reinterpret_cast<LPWSTR>(&text), 0), 7);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text, 7), L"sixteen");
}

TEST_F(SampleModuleTest, StringBlocksAreResources) {
    HRSRC block = FindResourceW(module_, MAKEINTRESOURCEW(4000 / 16 + 1), RT_STRING);
    ASSERT_NE(block, nullptr);
    // Large enough to hold the string and its terminator when sized in characters.
    EXPECT_GT(SizeofResource(module_, block) / sizeof(wchar_t), std::wstring(L"Gr\u00fc\u00dfe").size() + 1);
    EXPECT_NE(LockResource(LoadResource(module_, block)), nullptr);
    EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(3), RT_STRING), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(ResourceModule, FreedHandleIsRefused) {
    HMODULE module =
        LoadLibraryExW((kResourceDir + L"/Sample.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(ResourceModule, MissingAndForeignFilesAreRefused) {
    TestSupport::TempDirectory dir;
    std::ofstream(dir.path() / "text.dll") << "not a resource module";
    EXPECT_EQ(LoadLibraryExW((dir.wide() + L"/absent.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryExW((dir.wide() + L"/text.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    EXPECT_EQ(GetFileVersionInfoSizeW((dir.wide() + L"/absent.dll").c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The fixed version block of a file as a.b.c.d.
std::wstring FileVersion(const std::wstring& path) {
    DWORD handle = 1;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) {
        return L"(none)";
    }
    std::vector<unsigned char> block(size);
    EXPECT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_FALSE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                                reinterpret_cast<LPVOID*>(&fixed), &length));
    return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

std::wstring ExecutablePath() {
    wchar_t path[4096];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, 4096));
}

TEST(VersionInfo, ReadsTheStampedVersion) {
    EXPECT_EQ(FileVersion(kResourceDir + L"\\Sample.dll"), L"1.2.3.4");
    EXPECT_EQ(FileVersion(ExecutablePath()), L"24.4.0.17891");
}

TEST(EmbeddedResources, CodeModuleCarriesItsStrings) {
    EXPECT_EQ(LoadText(GetModuleHandleW(nullptr), 100), L"embedded text");
    EXPECT_EQ(LoadText(nullptr, 100), L"embedded text");
    HMODULE asData = LoadLibraryExW(ExecutablePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(asData, nullptr);
    EXPECT_EQ(LoadText(asData, 100), L"embedded text");
    FreeLibrary(asData);
}

struct BadSource {
    const char* text;
    const char* message;
};

TEST(ResourceCompiler, RejectsFaultySourcesNamingTheLine) {
    const BadSource cases[] = {{"# ok\n1 \"a\"\n1 \"b\"\n", ":3: string id 1 appears twice"},
                               {"70000 \"big\"\n", ":1: string id above 65535"},
                               {"12 no quotes\n", ":1: expected the text in double quotes"},
                               {"x \"a\"\n", ":1: expected a string id"},
                               {"5 \"bad \\q escape\"\n", ":1: unknown escape \\q"}};
    TestSupport::TempDirectory dir;
    for (const auto& [text, message] : cases) {
        const auto source = dir.path() / "bad.res.txt";
        const auto output = dir.path() / "bad.dll";
        const auto errors = dir.path() / "errors.txt";
        std::ofstream(source) << text;
        const std::string command = std::string(KOVA_RESCOMPILE) + " --version 1.0.0.0 --output " +
                                    output.string() + " " + source.string() + " 2>" + errors.string();
        EXPECT_NE(std::system(command.c_str()), 0) << text;
        std::ifstream in(errors);
        const std::string reported{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_NE(reported.find(message), std::string::npos) << reported;
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

} // namespace
