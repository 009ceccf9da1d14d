#include "Platform/Combase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>

namespace {

constexpr GUID kSample = Platform::GuidFromText("1F70C760-CD0B-461A-87E0-7CB06119C11D");

TEST(StringFromGUID2, WritesUpperCaseBracedText) {
    const struct {
        GUID guid;
        const wchar_t* text;
    } cases[] = {
        {kSample, L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}"},
        {GUID{}, L"{00000000-0000-0000-0000-000000000000}"},
        {GUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         L"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
        {GUID{0x0A0B0C0D, 0x0E0F, 0x1011, {0x01, 0x02, 0x03, 0x04, 0xA5, 0xB6, 0xC7, 0xD8}},
         L"{0A0B0C0D-0E0F-1011-0102-0304A5B6C7D8}"},
    };
    for (const auto& testCase : cases) {
        wchar_t text[40];
        std::fill(std::begin(text), std::end(text), L'#');
        EXPECT_EQ(StringFromGUID2(testCase.guid, text, 39), 39);
        EXPECT_STREQ(text, testCase.text);
        EXPECT_EQ(text[39], L'#'); // nothing written past the NUL
    }
    wchar_t tooSmall[38];
    EXPECT_EQ(StringFromGUID2(kSample, tooSmall, 38), 0);
}

TEST(StringFromCLSID, AllocatesTextForCoTaskMemFree) {
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(kSample, &text), S_OK);
    EXPECT_STREQ(text, L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}");
    CoTaskMemFree(text);
}

TEST(CLSIDFromString, ParsesBracedTextInEitherCase) {
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(L"{1f70c760-cd0b-461a-87e0-7cb06119c11d}", &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    EXPECT_EQ(CLSIDFromString(L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}", &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
}

TEST(CLSIDFromString, NullTextGivesNullClsid) {
    CLSID parsed = kSample;
    EXPECT_EQ(CLSIDFromString(nullptr, &parsed), S_OK);
    EXPECT_EQ(parsed, CLSID_NULL);
}

class MalformedGuidText : public testing::TestWithParam<const wchar_t*> {};

TEST_P(MalformedGuidText, IsRejectedAndLeavesTargetAlone) {
    CLSID clsid = kSample;
    EXPECT_EQ(CLSIDFromString(GetParam(), &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(clsid, kSample);
    IID iid = kSample;
    EXPECT_EQ(IIDFromString(GetParam(), &iid), E_INVALIDARG);
    EXPECT_EQ(iid, kSample);
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedGuidText,
                         testing::Values(L"", L"1F70C760-CD0B-461A-87E0-7CB06119C11D",
                                         L"{1F70C760-CD0B-461A-87E0-7CB06119C11D",
                                         L"{1F70C760-CD0B-461A-87E0-7CB06119C11D}x",
                                         L"{1F70C760-CD0B-461A-87E0+7CB06119C11D}",
                                         L"{1F70C760-CD0B-461A-87E0-7CB06119C11G}",
                                         L"{1F70C76-0CD0B-461A-87E0-7CB06119C11D}", L"msxml2.XMLHTTP"));

TEST(CoCreateGuid, GivesDistinctVersionFourGuids) {
    std::set<std::wstring> seen;
    for (int i = 0; i < 64; ++i) {
        GUID guid{};
        ASSERT_EQ(CoCreateGuid(&guid), S_OK);
        EXPECT_EQ(guid.Data3 & 0xF000, 0x4000);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);
        wchar_t text[39];
        StringFromGUID2(guid, text, 39);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}

} // namespace
