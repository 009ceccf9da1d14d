#include "VantrelCommon/TextUtils.h"

#include "VantrelCommon/Exceptions.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using Str = CStdStr<wchar_t>;
using namespace std::string_literals;

TEST(XmlEscape, EscapesAmpersandFirst) {
    EXPECT_EQ(XmlEscape(L"1<2 & 'c' \"d\">", "the title"), L"1&lt;2 &amp; &apos;c&apos; &quot;d&quot;&gt;");
    EXPECT_EQ(XmlEscape(L"&lt;", "the title"), L"&amp;lt;");
    EXPECT_EQ(XmlEscape(L"&&", "the title"), L"&amp;&amp;");
    EXPECT_EQ(XmlEscape(Str(L"a<\0<", 4), "the title"), L"a&lt;");
}

TEST(XmlEscape, KeepsEveryCharacterXmlCarries) {
    const Str text = L"\t\n\r \u00E9\uD7FF\uE000\uFFFD\U00010000\U0010FFFF";
    EXPECT_EQ(XmlEscape(text, "the title"), text);
    const wchar_t pair[] = {L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'z', 0}; // a UTF-16 pair, one character
    EXPECT_EQ(XmlEscape(pair, "the title"), Str(pair));
}

// XML 1.0 has no form at all, not even a character reference, for these: a request holding one is
// ill-formed, so the text is refused, naming the field and the character.
TEST(XmlEscape, RefusesCharactersXmlCannotCarry) {
    const struct {
        wchar_t character;
        const char* name;
    } refused[] = {
        {wchar_t(0x1), "U+0001"},        {wchar_t(0x8), "U+0008"},    {wchar_t(0xB), "U+000B"},
        {wchar_t(0xC), "U+000C"},        {wchar_t(0x1F), "U+001F"},   {wchar_t(0xD800), "U+D800"},
        {wchar_t(0xDFFF), "U+DFFF"},     {wchar_t(0xFFFE), "U+FFFE"}, {wchar_t(0xFFFF), "U+FFFF"},
        {wchar_t(0x110000), "U+110000"},
    };
    for (const auto& test : refused) {
        const wchar_t text[] = {L'a', L'&', test.character, L'b', 0};
        try {
            XmlEscape(text, "the search text");
            ADD_FAILURE() << test.name << " was let through";
        } catch (const hresult_exception& error) {
            EXPECT_EQ(E_INVALIDARG, error.hresult());
            EXPECT_EQ("Cannot send the search text: it holds the character " + std::string(test.name) +
                          ", which XML cannot carry",
                      error.what());
        }
    }
    const wchar_t reversed[] = {wchar_t(0xDE00), wchar_t(0xD83D), 0}; // low before high: no pair
    EXPECT_THROW(XmlEscape(reversed, "the title"), hresult_exception);
    EXPECT_EQ(XmlEscape(Str(L"a\0\x01", 3), "the title"), L"a") << "only the text before a NUL is used";
}

std::string Written(const wchar_t* text, std::size_t length) {
    std::ostringstream stream;
    WriteWideAsUtf8(stream, text, length);
    return stream.str();
}

TEST(WriteWideAsUtf8, WritesUtf8) {
    EXPECT_EQ(Written(L"\u00E9", 1), "\xC3\xA9");
    EXPECT_EQ(Written(L"\xD83D\xDE00", 2), "\xF0\x9F\x98\x80"); // a surrogate pair joined
    EXPECT_EQ(Written(L"\U0001F600", 1), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Written(nullptr, 3), "");
    EXPECT_EQ(Written(L"abc", 0), "");
}

TEST(WriteWideAsUtf8, FailedConversionFallsBackToAnsi) {
    EXPECT_EQ(Written(L"a\xD800z", 3), "utf8_log_failed: a\xEF\xBF\xBDz");
    EXPECT_EQ(Written(L"?", 1), "utf8_log_failed: ?");
}

TEST(WriteWideAsUtf8, InsertionsPassTheirLengths) {
    std::ostringstream stream;
    stream << std::wstring(L"a\0b"s) << L"|" << static_cast<const wchar_t*>(nullptr)
           << _bstr_t(SysAllocStringLen(L"c\0d", 3), false) << _bstr_t() << Str(L"\u00E9");
    EXPECT_EQ(stream.str(), "a\0b|c\0d\xC3\xA9"s);
}

TEST(Utf8Converter, IsPerThread) {
    const Utf8Converter* mine = &GetThreadUtf8Converter();
    const Utf8Converter* other = nullptr;
    std::thread([&other] { other = &GetThreadUtf8Converter(); }).join();
    EXPECT_EQ(mine, &GetThreadUtf8Converter());
    EXPECT_NE(mine, other);
}

TEST(Utf8Converter, StrictPairRefusesWhatTheLogReplaces) {
    const Utf8Converter& converter = GetThreadUtf8Converter();
    EXPECT_EQ(converter.to_bytes(L"\u00E9"), "\xC3\xA9");
    EXPECT_EQ(converter.from_bytes("\xC3\xA9"), L"\u00E9");
    EXPECT_THROW(converter.to_bytes(L"a\xD800z"), std::range_error);
    EXPECT_THROW(converter.from_bytes("a\xFFz"), std::range_error);
    EXPECT_EQ(converter.ToBytes(L"a\xD800z", 3), "?");
}

TEST(ReplaceAll, SearchesOnAfterEachInsertedText) {
    struct Case {
        const wchar_t* text;
        const wchar_t* from;
        const wchar_t* to;
        const wchar_t* expected;
    };
    for (const Case& c :
         {Case{L"a-b-c", L"-", L"--", L"a--b--c"}, Case{L"aaa", L"a", L"", L""},
          Case{L"x.Post.y", L".Post.", L".Note.", L"x.Note.y"}, Case{L"abc", L"", L"z", L"abc"}}) {
        Str text = c.text;
        ReplaceAll(text, c.from, c.to);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(UrlDecode, DecodesEachEscapeToOneCharacter) {
    EXPECT_EQ(UrlDecode(L"a%20b"), L"a b");
    EXPECT_EQ(UrlDecode(L"%4a"), L"J");
    EXPECT_EQ(UrlDecode(L"%4A"), L"J");
    EXPECT_EQ(UrlDecode(L"%C3%A9"), L"\u00C3\u00A9");
    EXPECT_EQ(UrlDecode(L"a+b"), L"a+b");
    EXPECT_EQ(UrlDecode(L""), L"");
}

class TruncatedEscape : public testing::TestWithParam<const wchar_t*> {};

TEST_P(TruncatedEscape, ThrowsInvalidEncoding) {
    try {
        UrlDecode(GetParam());
        FAIL() << "no exception";
    } catch (const hresult_exception& e) {
        EXPECT_EQ(e.hresult(), E_INVALIDARG);
        EXPECT_STREQ(e.what(), "Invalid encoding");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TruncatedEscape, testing::Values(L"100%", L"%4", L"ab%", L"%G"));

TEST(UrlDecode, BadDigitThrowsBareHResult) {
    for (const wchar_t* text : {L"%G1", L"%1G", L"x%zz"}) {
        try {
            UrlDecode(text);
            FAIL() << "no exception";
        } catch (long value) {
            EXPECT_EQ(value, static_cast<long>(E_INVALIDARG));
        }
    }
}

TEST(TrimLeadingSpaces, RemovesOnlyBlanks) {
    Str text(L"  \tx ");
    EXPECT_EQ(&TrimLeadingSpaces(text), &text);
    EXPECT_EQ(text, L"\tx ");
    Str blanks(L"   ");
    EXPECT_TRUE(TrimLeadingSpaces(blanks).empty());
}

TEST(ToInt, ReadsTheLeadingNumber) {
    EXPECT_EQ(ToInt(L"42"), 42);
    EXPECT_EQ(ToInt(L" -7"), -7);
    EXPECT_EQ(ToInt(L"abc"), 0);
    EXPECT_EQ(ToInt(L"12ab"), 12);
    for (const wchar_t* text : {L"", L"  \t"}) {
        EXPECT_THROW(ToInt(text), long) << "text: [" << Str(text) << "]";
    }
}

TEST(ParseDigits, TakesDigitsOnlyAndHoldsAtTheCeiling) {
    EXPECT_EQ(ParseDigits(L"0", 120), 0u);
    EXPECT_EQ(ParseDigits(L"0120", 120), 120u);
    EXPECT_EQ(ParseDigits(L"121", 120), 120u);
    EXPECT_EQ(ParseDigits(L"99999999999999999999999", 120), 120u);
    EXPECT_EQ(ParseDigits(L"4294967295", 0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDigits(L"4294967296", 0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDigits(L"9", 5), 5u);
    for (const wchar_t* text : {L"", L" 1", L"1 ", L"-1", L"+1", L"1e3", L"0x10", L"\u0661"}) {
        EXPECT_EQ(ParseDigits(text, 120), std::nullopt) << Str(text);
    }
}

TEST(NumberText, DecimalAndEightDigitHex) {
    EXPECT_EQ(ToString(0), L"0");
    EXPECT_EQ(ToString(4294967295u), L"4294967295");
    EXPECT_EQ(ToHexString(255), L"0x000000ff");
    EXPECT_EQ(ToHexString(0), L"0x00000000");
    EXPECT_EQ(ToHexString(0x80070057), L"0x80070057");
}

} // namespace
