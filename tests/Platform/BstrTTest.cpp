#include "Platform/ComUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

BSTR MakeBstr(std::wstring_view text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

TEST(BstrT, EmptyHolderAndEmptyStringDiffer) {
    const _bstr_t none;
    const _bstr_t fromNull(static_cast<const wchar_t*>(nullptr));
    const _bstr_t empty(L"");
    EXPECT_TRUE(!none);
    EXPECT_TRUE(!fromNull);
    EXPECT_FALSE(!empty);
    EXPECT_EQ(static_cast<const wchar_t*>(none), nullptr);
    EXPECT_EQ(static_cast<const char*>(none), nullptr);
    EXPECT_EQ(none.length(), 0u);
    EXPECT_TRUE(none == empty); // a missing string compares equal to an empty one
}

TEST(BstrT, NarrowTextIsTheAnsiCodePage) {
    const _bstr_t fromNarrow("caf\xC3\xA9");
    EXPECT_STREQ(static_cast<const wchar_t*>(fromNarrow), L"caf\u00E9");
    EXPECT_EQ(fromNarrow.length(), 4u);
    const _bstr_t fromWide(L"\u00E9t\u00E9");
    EXPECT_STREQ(static_cast<const char*>(fromWide), "\xC3\xA9t\xC3\xA9");
}

TEST(BstrT, BstrCopyKeepsEmbeddedNulsAndAttachTakesOwnership) {
    BSTR source = MakeBstr(std::wstring_view(L"ab\0cd", 5));
    const _bstr_t copied(source, true);
    EXPECT_EQ(copied.length(), 5u);
    EXPECT_NE(static_cast<const wchar_t*>(copied), source);
    EXPECT_EQ(std::wstring_view(copied, copied.length()), std::wstring_view(L"ab\0cd", 5));

    const _bstr_t owner(source, false); // frees source when done
    EXPECT_EQ(static_cast<const wchar_t*>(owner), source);
}

TEST(BstrT, CopiesShareTheStringAndNewTextsDoNot) {
    _bstr_t first(L"abc");
    const _bstr_t second = first;
    EXPECT_EQ(static_cast<const wchar_t*>(first), static_cast<const wchar_t*>(second));
    first += L"def";
    EXPECT_STREQ(static_cast<const wchar_t*>(first), L"abcdef");
    EXPECT_STREQ(static_cast<const wchar_t*>(second), L"abc");
    first = static_cast<const wchar_t*>(first) + 3; // text out of its own storage
    EXPECT_STREQ(static_cast<const wchar_t*>(first), L"def");
}

TEST(BstrT, ConcatenationKeepsAllCharacters) {
    const _bstr_t withNul(MakeBstr(std::wstring_view(L"a\0b", 3)), false);
    const _bstr_t joined = withNul + _bstr_t(L"c");
    EXPECT_EQ(joined.length(), 4u);
    EXPECT_EQ(std::wstring_view(joined, 4), std::wstring_view(L"a\0bc", 4));
    EXPECT_STREQ(static_cast<const wchar_t*>(L"x" + _bstr_t(L"y")), L"xy");
    EXPECT_STREQ(static_cast<const wchar_t*>("x" + _bstr_t(L"y")), L"xy");
    EXPECT_EQ((_bstr_t() + _bstr_t()).length(), 0u);
}

TEST(BstrT, ComparisonsOrderByCharacters) {
    const _bstr_t abc(L"abc");
    EXPECT_TRUE(abc == L"abc");
    EXPECT_TRUE(abc != L"abd");
    EXPECT_TRUE(abc < _bstr_t(L"abd"));
    EXPECT_TRUE(abc < _bstr_t(L"abcd"));
    EXPECT_TRUE(abc > _bstr_t(L"ab"));
    EXPECT_TRUE(abc >= _bstr_t(L"abc"));
    EXPECT_TRUE(_bstr_t() < abc);
    EXPECT_FALSE(_bstr_t(MakeBstr(std::wstring_view(L"ab\0", 3)), false) == _bstr_t(L"ab"));
}

TEST(BstrT, NarrowCopyFollowsTheCurrentText) {
    _bstr_t text(L"one");
    EXPECT_STREQ(static_cast<const char*>(text), "one");
    text = L"two";
    EXPECT_STREQ(static_cast<const char*>(text), "two");
    text.GetBSTR()[0] = L'T'; // written through the reference after the narrow copy was dropped
    EXPECT_STREQ(static_cast<const char*>(text), "Two");
}

TEST(BstrT, DetachHandsOverAnUnsharedString) {
    _bstr_t text(L"mine");
    BSTR detached = text.Detach();
    EXPECT_STREQ(detached, L"mine");
    EXPECT_TRUE(!text);
    SysFreeString(detached);
}

TEST(BstrT, DetachOfASharedOrMissingStringRaisesPointerError) {
    _bstr_t text(L"shared");
    const _bstr_t other = text;
    for (_bstr_t* target : {&text, static_cast<_bstr_t*>(nullptr)}) {
        _bstr_t none;
        try {
            (target != nullptr ? *target : none).Detach();
            FAIL() << "no error raised";
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), E_POINTER);
        }
    }
    EXPECT_STREQ(static_cast<const wchar_t*>(other), L"shared");
}

TEST(BstrT, GetAddressFreesAndAcceptsAnOutValue) {
    _bstr_t text(L"old");
    const _bstr_t keeper = text;
    BSTR* out = text.GetAddress();
    EXPECT_EQ(*out, nullptr);
    *out = SysAllocString(L"new");
    EXPECT_STREQ(static_cast<const wchar_t*>(text), L"new");
    EXPECT_STREQ(static_cast<const wchar_t*>(keeper), L"old");
}

TEST(BstrT, CopyAssignAndAttach) {
    _bstr_t text(L"value");
    BSTR copy = text.copy();
    EXPECT_NE(copy, static_cast<const wchar_t*>(text));
    EXPECT_STREQ(copy, L"value");
    EXPECT_EQ(text.copy(false), static_cast<const wchar_t*>(text));
    text.Assign(copy); // a copy of all characters; copy stays the caller's
    EXPECT_NE(static_cast<const wchar_t*>(text), copy);
    EXPECT_STREQ(static_cast<const wchar_t*>(text), L"value");
    text.Attach(copy);
    EXPECT_EQ(static_cast<const wchar_t*>(text), copy);
    EXPECT_EQ(_bstr_t().copy(), nullptr);
}

} // namespace
