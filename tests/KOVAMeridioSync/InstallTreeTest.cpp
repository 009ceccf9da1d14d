// The build's bin/ is the install tree: the plug-in with its language, common and brand resource
// libraries where the resource lookup forms their paths (InstallDir, then <code>\<name>-<code>.dll
// or <name>.dll), and the host engine library's stand-in with the host's version in system32.
#include "Platform/LibLoaderApi.h"
#include "Platform/WinVer.h"
#include "tests/KOVAMeridioSync/LoadedPlugin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

std::filesystem::path InstallDirectory() {
    return std::filesystem::path(KOVA_PLUGIN_PATH).parent_path();
}

class InstallTreeTest : public testing::TestWithParam<const char*> {};

TEST_P(InstallTreeTest, ModuleIsInPlaceWithTheSystemsVersion) {
    TestSupport::LoadedPlugin::Get(); // a code module's version is read while it is loaded
    const std::wstring path = (InstallDirectory() / GetParam()).wstring();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(0u, size) << GetParam();
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &length));
    EXPECT_EQ(MAKELONG(4, 24), fixed->dwFileVersionMS) << GetParam();
    EXPECT_EQ(0, HIWORD(fixed->dwFileVersionLS)) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Files, InstallTreeTest,
                         testing::Values("KOVAMeridioSync64.so", "en/KOVAMeridioSync64-en.dll",
                                         "de/KOVAMeridioSync64-de.dll", "KOVACommonResources32.dll",
                                         "KOVABrandResources32.dll", "system32/KOVA32.dll"));

} // namespace
