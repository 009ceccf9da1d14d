#include "Platform/LibLoaderApi.h"
#include "Platform/PathMapping.h"
#include "Platform/WinBase.h"
#include "Platform/WinError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t buffer[4096];
    const DWORD length = GetModuleFileNameW(module, buffer, 4096);
    return std::wstring(buffer, length);
}

TEST(ModuleInfo, NullIsTheExecutable) {
    EXPECT_EQ(ModulePath(nullptr), std::filesystem::canonical("/proc/self/exe").wstring());
    EXPECT_EQ(ModulePath(GetModuleHandleW(nullptr)), ModulePath(nullptr));
}

TEST(ModuleInfo, AddressInsideAModuleGivesThatModule) {
    HMODULE fromTestCode = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(&ModulePath), &fromTestCode));
    EXPECT_EQ(fromTestCode, GetModuleHandleW(nullptr));

    HMODULE platform = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCWSTR>(&Platform::NativePath), &platform));
    const std::wstring path = ModulePath(platform);
    EXPECT_EQ(std::filesystem::path(path).filename(), "libkovaplatform.so");
    EXPECT_EQ(GetModuleHandleW(L"LIBKOVAPLATFORM.SO"), platform);
}

TEST(ModuleInfo, SmallBufferGetsTruncatedPath) {
    const std::wstring full = ModulePath(nullptr);
    wchar_t buffer[8];
    EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 8), 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::wstring(buffer), full.substr(0, 7));
}

TEST(ModuleInfo, UnknownModulesAreNotFound) {
    EXPECT_EQ(GetModuleHandleW(L"no-such-module.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    int local = 0;
    wchar_t buffer[16];
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(&local), buffer, 16), 0u);
}

} // namespace
