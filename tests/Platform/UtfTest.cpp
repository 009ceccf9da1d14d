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

// ASCII runs of every length around the blocks the conversions test at once, each followed by a
// character of two bytes, one of three, an invalid byte and a NUL.
TEST(Utf8Conversions, AsciiRunsOfEveryLengthAroundOtherCharacters) {
    for (std::size_t length = 0; length <= 19; ++length) {
        const std::string ascii(length, 'a');
        const std::wstring wideAscii(length, L'a');
        const std::string utf8 = ascii + "\xC3\xBC" + ascii + "\xE2\x82\xAC" + ascii + "\x80" + ascii +
                                 std::string(1, '\0') + ascii;
        const std::wstring wide = wideAscii + L"\u00FC" + wideAscii + L"\u20AC" + wideAscii + L"\uFFFD" +
                                  wideAscii + std::wstring(1, L'\0') + wideAscii;
        EXPECT_EQ(wide, Platform::Utf8ToWide(utf8)) << length;
        EXPECT_EQ(wide.size(), Platform::Utf8ToWideLength(utf8)) << length;
        std::wstring decoded(wide.size(), L'#');
        Platform::Utf8ToWideInto(utf8, decoded.data());
        EXPECT_EQ(wide, decoded) << length;

        const std::wstring lone = wideAscii + L"\xD800" + wideAscii + L"\xD83D\xDE00" + wideAscii +
                                  static_cast<wchar_t>(-1) + wideAscii;
        EXPECT_EQ(ascii + "\xEF\xBF\xBD" + ascii + "\xF0\x9F\x98\x80" + ascii + "\xEF\xBF\xBD" + ascii,
                  Platform::WideToUtf8(lone))
            << length;
        EXPECT_EQ(ascii + "\xC3\xBC" + ascii + "\xE2\x82\xAC" + ascii + "\xEF\xBF\xBD" + ascii +
                      std::string(1, '\0') + ascii,
                  Platform::WideToUtf8(wide))
            << length;
    }
}

} // namespace
