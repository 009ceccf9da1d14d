#include "Platform/FileApi.h"
#include "Platform/LibLoaderApi.h"
#include "Platform/PathMapping.h"
#include "Platform/ShlObj.h"
#include "Platform/SysInfoApi.h"
#include "Platform/WinError.h"
#include "tests/Support/ScopedEnvironment.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using TestSupport::ScopedEnvironment;

std::wstring Documents() {
    wchar_t path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    return path;
}

TEST(KnownFolders, DocumentsFollowXdgThenHome) {
    TestSupport::TempDirectory home;
    ScopedEnvironment homeVar("HOME", home.path().string());
    ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
    {
        ScopedEnvironment xdg("XDG_DOCUMENTS_DIR", std::nullopt);
        EXPECT_EQ(Documents(), home.wide() + L"/Documents");

        std::filesystem::create_directory(home.path() / ".config");
        std::ofstream(home.path() / ".config" / "user-dirs.dirs")
            << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
               "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
        EXPECT_EQ(Documents(), home.wide() + L"/Dokumente");
    }
    ScopedEnvironment xdg("XDG_DOCUMENTS_DIR", "/srv/docs");
    EXPECT_EQ(Documents(), L"/srv/docs");
}

TEST(KnownFolders, OtherFoldersAreNotOffered) {
    wchar_t path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x001a, nullptr, SHGFP_TYPE_CURRENT, path), E_INVALIDARG);
}

TEST(KnownFolders, TempPathEndsWithSeparator) {
    wchar_t path[MAX_PATH];
    {
        ScopedEnvironment tmp("TMPDIR", std::nullopt);
        EXPECT_EQ(GetTempPathW(MAX_PATH, path), 5u);
        EXPECT_STREQ(path, L"/tmp/");
    }
    ScopedEnvironment tmp("TMPDIR", "/var/tmp/kova");
    EXPECT_EQ(GetTempPathW(3, path), 15u); // size needed, NUL included
    EXPECT_EQ(GetTempPathW(MAX_PATH, path), 14u);
    EXPECT_STREQ(path, L"/var/tmp/kova/");
}

TEST(KnownFolders, SystemDirectoryFromEnvironmentElseBesideThePlatform) {
    wchar_t path[MAX_PATH];
    {
        ScopedEnvironment system("KOVA_SYSTEM_DIR", "/opt/kova/system32");
        EXPECT_EQ(GetSystemDirectoryW(path, MAX_PATH), 18u);
        EXPECT_STREQ(path, L"/opt/kova/system32");
    }
    ScopedEnvironment system("KOVA_SYSTEM_DIR", std::nullopt);
    HMODULE platform = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCWSTR>(&Platform::NativePath), &platform));
    wchar_t library[MAX_PATH];
    GetModuleFileNameW(platform, library, MAX_PATH);
    ASSERT_GT(GetSystemDirectoryW(path, MAX_PATH), 0u);
    EXPECT_EQ(std::filesystem::path(path), std::filesystem::path(library).parent_path() / "system32");
}

} // namespace

namespace {

TEST(SystemVersion, NamesTheRunningKernel) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    const std::wstring description = info.szCSDVersion;
    EXPECT_EQ(description.rfind(L"Linux ", 0), 0u) << description.c_str();
    EXPECT_NE(
        description.find(std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion)),
        std::wstring::npos);
}

} // namespace
