#include "tests/KOVACommon/FilterTestFixture.h"

#include "Platform/WinReg.h"
#include "tests/Support/TempRegistryDir.h"

#include <regex>

namespace {

using namespace TestSupport;

// The settings of this program come from a registry folder of its own, made before any setting is read.
const bool registryReady = (UseProcessTestRegistry(), true);

constexpr wchar_t SettingsKey[] = L"SOFTWARE\\Vantrel\\Vantrel Sorvanta";

void PutUserSetting(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteUserSetting(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

TEST(FilterSettings, ExclusionPatternsAndMaximumSizeComeFromTheFilterSettings) {
    const std::wstring patterns = L"a\\nb";
    PutUserSetting(L"TestSync.ExcludeFileRegEx", REG_SZ, patterns.c_str(),
                   static_cast<DWORD>((patterns.size() + 1) * sizeof(wchar_t)));
    const DWORD kilobytes = 2;
    PutUserSetting(L"TestSync.MaxFileSizeInKB", REG_DWORD, &kilobytes, sizeof kilobytes);

    Owned<TestRepositoryFilter> filter(TestRepositoryFilter::Create());
    EXPECT_EQ(filter->MaxFileSize(), 2048u);
    const std::vector<std::wregex>& read = filter->ExcludePatterns();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(std::regex_match(L"A", read[0]));
    EXPECT_TRUE(std::regex_match(L"b", read[1]));
    EXPECT_FALSE(std::regex_match(L"a\\nb", read[0]));

    DeleteUserSetting(L"TestSync.ExcludeFileRegEx");
    DeleteUserSetting(L"TestSync.MaxFileSizeInKB");
}

} // namespace
