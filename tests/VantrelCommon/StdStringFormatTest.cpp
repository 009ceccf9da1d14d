#include "VantrelCommon/StdString.h"

#include <gtest/gtest.h>

namespace {

using Str = CStdStr<wchar_t>;

TEST(StdStringFormat, ReplaceAndAppend) {
    Str text(L"x=");
    text.AppendFormat(L"%d", 5);
    EXPECT_EQ(text, L"x=5");
    text = L"x=";
    text.Format(L"%d", 5);
    EXPECT_EQ(text, L"5");
}

TEST(StdStringFormat, WideConventions) {
    Str text;
    text.Format(L"%s|%hs|%lu|%x|%hu|%.2hu", L"w\u00E9", "n\xC3\xA9", static_cast<ULONG>(4000000000u), 255u, 7,
                3);
    EXPECT_EQ(text, L"w\u00E9|n\u00E9|4000000000|ff|7|03");
    EXPECT_EQ(FormatString(L"%s-%d", L"a", -1), L"a--1");
}

TEST(StdStringFormat, EmptyOrFailedResultKeepsTheOldContent) {
    for (bool append : {false, true}) {
        Str text(L"abc");
        append ? text.AppendFormat(L"") : text.Format(L"");
        EXPECT_EQ(text, L"abc");
        append ? text.AppendFormat(L"%s", L"") : text.Format(L"%s", L"");
        EXPECT_EQ(text, L"abc");
        append ? text.AppendFormat(L"bad %") : text.Format(L"bad %");
        EXPECT_EQ(text, L"abc");
        Str empty;
        append ? empty.AppendFormat(L"") : empty.Format(L"");
        EXPECT_TRUE(empty.empty());
    }
}

// 2046 characters is the longest result formatted on the stack, 2047 the shortest on the heap.
class StdStringFormatLength : public testing::TestWithParam<std::size_t> {};

TEST_P(StdStringFormatLength, FullTextOnBothPaths) {
    const std::wstring body(GetParam() - 1, L'x');
    Str replaced(L"old");
    replaced.Format(L"%s!", body.c_str());
    EXPECT_EQ(replaced.size(), GetParam());
    EXPECT_EQ(replaced, body + L"!");

    Str appended(L"old");
    appended.AppendFormat(L"%s!", body.c_str());
    EXPECT_EQ(appended, L"old" + body + L"!");
}

INSTANTIATE_TEST_SUITE_P(AroundTheStackLimit, StdStringFormatLength,
                         testing::Values(1, 2045, 2046, 2047, 2048, 100000));

TEST(StdStringFormat, HeapPathKeepsNumbersAndWideText) {
    Str text;
    text.Format(L"%3000d|%s", 42, L"\u00E9");
    EXPECT_EQ(text.size(), 3002u);
    EXPECT_EQ(text.substr(2990), L"        42|\u00E9");
}

} // namespace
