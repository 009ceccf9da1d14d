#include "VantrelCommon/OwnedBstr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OwnedBstr, CopiesTheTextUpToItsFirstNul) {
    const struct {
        const wchar_t* text;
        std::wstring copied;
    } cases[] = {{L"Prop_9_0_5", L"Prop_9_0_5"}, {L"", L""}, {L"ab\0cd", L"ab"}};
    for (const auto& testCase : cases) {
        const OwnedBstr copy = CopyToBstr(testCase.text);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(std::wstring(copy.get(), SysStringLen(copy.get())), testCase.copied);
    }
}

TEST(OwnedBstr, NullStaysNull) {
    EXPECT_EQ(CopyToBstr(nullptr), nullptr);
}

} // namespace
