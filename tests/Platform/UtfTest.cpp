#include "Platform/Utf.h"
#include "Platform/ComText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

// Texts whose wide form differs in length from their bytes: multi-byte characters, and invalid
// sequences that each decode to one U+FFFD per maximal invalid subpart.
const std::string_view kTexts[] = {
    "",
    "plain",
    "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80",
    "cut \xE2\x82",
    "stray \x80\x80 and \xC0\xAF and \xED\xA0\x80",
    std::string_view("nul\0inside", 10),
};

TEST(Utf8ToWideInPlace, GivesWhatTheStringConversionGives) {
    for (const std::string_view text : kTexts) {
        const std::wstring expected = Platform::Utf8ToWide(text);
        ASSERT_EQ(expected.size(), Platform::Utf8ToWideLength(text)) << text;
        std::wstring decoded(expected.size() + 1, L'#');
        Platform::Utf8ToWideInto(text, decoded.data());
        EXPECT_EQ(expected + L"#", decoded) << "no more than the length is written: " << text;

        BSTR returned = nullptr;
        ASSERT_EQ(S_OK, Platform::ReturnBstrFromUtf8(text, &returned));
        EXPECT_EQ(expected, std::wstring(returned, SysStringLen(returned))) << text;
        EXPECT_EQ(L'\0', returned[SysStringLen(returned)]);
        SysFreeString(returned);
    }
    EXPECT_EQ(E_POINTER, Platform::ReturnBstrFromUtf8("text", nullptr));
}

} // namespace
