#include "Platform/ProcessEnv.h"
#include "Platform/Utf.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct ExpandCase {
    const wchar_t* source;
    const wchar_t* expanded;
};

std::ostream& operator<<(std::ostream& out, const ExpandCase& c) {
    return out << Platform::WideToUtf8(c.source);
}

class ExpandEnvironmentStrings : public testing::TestWithParam<ExpandCase> {
protected:
    void SetUp() override {
        ::setenv("KOVA_TEST_DIR", "/var/lib/kova", 1);
        ::setenv("KOVA_TEST_UMLAUT", "Grüße", 1);
        ::unsetenv("KOVA_TEST_UNSET");
    }
};

} // namespace

TEST_P(ExpandEnvironmentStrings, ReplacesKnownVariablesAndKeepsTheRest) {
    const DWORD needed = ExpandEnvironmentStringsW(GetParam().source, nullptr, 0);
    std::wstring buffer(needed, L'?');
    EXPECT_EQ(ExpandEnvironmentStringsW(GetParam().source, buffer.data(), needed), needed);
    EXPECT_EQ(buffer.c_str(), std::wstring(GetParam().expanded));
    EXPECT_EQ(needed, std::wcslen(GetParam().expanded) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandEnvironmentStrings,
    testing::Values(ExpandCase{L"%KOVA_TEST_DIR%\\logs", L"/var/lib/kova\\logs"},
                    ExpandCase{L"a%KOVA_TEST_UMLAUT%b%KOVA_TEST_DIR%", L"aGrüßeb/var/lib/kova"},
                    ExpandCase{L"%KOVA_TEST_UNSET%\\x", L"%KOVA_TEST_UNSET%\\x"},
                    ExpandCase{L"100% sure", L"100% sure"}, ExpandCase{L"%%", L"%%"}, ExpandCase{L"", L""}));

TEST(ExpandEnvironmentStringsSize, ASmallBufferGetsTheSizeAndNothingWritten) {
    ::setenv("KOVA_TEST_DIR", "/var/lib/kova", 1);
    wchar_t buffer[4] = L"abc";
    EXPECT_EQ(ExpandEnvironmentStringsW(L"%KOVA_TEST_DIR%", buffer, 4), 14u);
    EXPECT_EQ(std::wstring(buffer), L"abc");
}
