#include "VantrelCommon/StdString.h"

#include <gtest/gtest.h>

namespace {

using Str = CStdStr<wchar_t>;
using namespace std::string_literals;

TEST(StdString, NullSafeConstructionAndAssignment) {
    EXPECT_TRUE(Str(static_cast<const wchar_t*>(nullptr)).empty());
    Str text(L"abc");
    text = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(text.empty());
    text = static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.empty());
    text = "caf\xC3\xA9";
    EXPECT_EQ(text, L"caf\u00E9");
}

TEST(StdString, CopyTakesTheTerminatedViewButBstrKeepsEverything) {
    const Str withNul(L"ab\0cd", 5);
    EXPECT_EQ(withNul.size(), 5u); // the standard constructor keeps it
    const Str copy(withNul);
    EXPECT_EQ(copy, L"ab");
    Str assigned(L"zz");
    assigned = withNul;
    EXPECT_EQ(assigned, L"ab");
    EXPECT_EQ(Str(std::wstring(L"ab\0cd"s)), L"ab");

    const _bstr_t bstr(SysAllocStringLen(L"ab\0cd", 5), false);
    const Str fromBstr(bstr);
    EXPECT_EQ(fromBstr, L"ab\0cd"s);
    assigned = bstr;
    EXPECT_EQ(assigned, L"ab\0cd"s);
    assigned = _bstr_t();
    EXPECT_TRUE(assigned.empty());
}

TEST(StdString, AssigningFromOwnTextKeepsTheTail) {
    Str text(L"hello");
    text = text.c_str() + 2;
    EXPECT_EQ(text, L"llo");
    text = text.c_str();
    EXPECT_EQ(text, L"llo");
    Str& alias = text;
    text = alias;
    EXPECT_EQ(text, L"llo");
}

TEST(StdString, AppendingUsesTerminatedViews) {
    Str text(L"a");
    text += Str(L"b\0c", 3);
    text += static_cast<const wchar_t*>(nullptr);
    text += L"d";
    text += L'e';
    EXPECT_EQ(text, L"abde");
}

TEST(StdString, AllocSysStringCopiesTheTerminatedView) {
    const Str text(L"ab\0cd", 5);
    BSTR bstr = text.AllocSysString();
    EXPECT_EQ(SysStringLen(bstr), 2u);
    EXPECT_STREQ(bstr, L"ab");
    SysFreeString(bstr);
}

TEST(StdString, Equals) {
    EXPECT_TRUE(Str().Equals(nullptr, true));
    EXPECT_FALSE(Str(L"a").Equals(nullptr, true));
    EXPECT_TRUE(Str(L"abc").Equals(L"ABC", false));
    EXPECT_FALSE(Str(L"abc").Equals(L"ABC", true));
    EXPECT_FALSE(Str(L"abc").Equals(L"ab", true));
    EXPECT_FALSE(Str(L"abc").Equals(L"ab", false));
    EXPECT_FALSE(Str(L"ab\0", 3).Equals(L"ab", true));  // lengths differ
    EXPECT_TRUE(Str(L"ab\0x", 4).Equals(L"AB", false)); // terminated view
}

TEST(StdString, ReverseFind) {
    EXPECT_EQ(Str(L"C:\\dir\\file").ReverseFind(L'\\'), 6);
    EXPECT_EQ(Str().ReverseFind(L'\\'), -1);
    EXPECT_EQ(Str(L"abc").ReverseFind(L'x'), -1);
}

TEST(StdString, GetBufferLengthensWithNuls) {
    Str text(L"abc");
    wchar_t* buffer = text.GetBuffer(10);
    EXPECT_EQ(text.size(), 10u);
    EXPECT_EQ(text, L"abc\0\0\0\0\0\0\0"s);
    EXPECT_EQ(buffer, text.data());
    text.GetBuffer(2);
    EXPECT_EQ(text.size(), 10u);
    Str shortText(L"abc");
    shortText.GetBuffer(2);
    EXPECT_EQ(shortText, L"abc");
}

TEST(StdString, TrimWhiteSpace) {
    Str text(L" \tx y\r\n");
    text.Trim();
    EXPECT_EQ(text, L"x y");
    Str right(L"  x \v\f");
    right.TrimRight();
    EXPECT_EQ(right, L"  x");
    Str spaces(L" \t ");
    spaces.Trim();
    EXPECT_TRUE(spaces.empty());
}

TEST(StdString, TrimCharacterSets) {
    Str slashes(L"//a/b//");
    slashes.Trim(L"/");
    EXPECT_EQ(slashes, L"a/b");
    Str only(L"///");
    only.Trim(L"/");
    EXPECT_TRUE(only.empty());
    Str wide(L"\u2603xa\u2603"); // a set with a member beyond 255 is searched
    wide.Trim(L"\u2603a");
    EXPECT_EQ(wide, L"x");
    Str right(L"-x--");
    right.TrimRight(L"-");
    EXPECT_EQ(right, L"-x");
}

TEST(StdString, AnsiToWideBufferConvertsTheWholeText) {
    wchar_t buffer[16] = L"old";
    EXPECT_EQ(AnsiToWideBuffer(buffer, "\xC3\xA9t\xC3\xA9", 16), buffer);
    EXPECT_STREQ(buffer, L"\u00E9t\u00E9");
}

} // namespace
