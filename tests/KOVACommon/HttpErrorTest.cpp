// The display text of the HTTP error and the FrontPage RPC unescaping.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHttpError.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpErrorTest, ConstructorsCopyUpToTheFirstNul) {
    const LSHttpError error(500, CStdStr<wchar_t>(std::wstring(L"ab\0cd", 5)), CStdStr<wchar_t>(L"{}"), 7);
    EXPECT_EQ(L"ab", error.message);
    EXPECT_EQ(L"{}", error.detail);
    EXPECT_EQ(7u, error.retryAfterSeconds);
    const LSHttpError plain(404, L"Not Found");
    EXPECT_EQ(0u, plain.retryAfterSeconds);
    EXPECT_TRUE(plain.detail.empty());
}

TEST(HttpErrorTest, TransportFailureShowsTheWinInetText) {
    const CStdStr<wchar_t> refused(4018);
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(L"Error (12029)\n(" + refused + L")", FormatHttpErrorText(LSHttpError(12029, L"Unknown")));
    EXPECT_EQ(L"Not Found (404)", FormatHttpErrorText(LSHttpError(404, L"Not Found")));
    // Only the exact word "Unknown" stands for no message.
    EXPECT_EQ(L"unknown (404)", FormatHttpErrorText(LSHttpError(404, L"unknown")));
}

TEST(HttpErrorTest, InternetCodesMapToTheirTexts) {
    const struct {
        long code;
        UINT resource;
    } cases[] = {{0, 4000},     {415, 4009},   {12002, 4010}, {12036, 4010}, {12019, 4011}, {12007, 4014},
                 {12046, 4016}, {12029, 4018}, {12030, 4019}, {12043, 4024}, {12052, 4026}, {12057, 4028},
                 {12150, 4029}, {12151, 4030}, {12152, 4032}, {12168, 4040}};
    for (const auto& entry : cases) {
        EXPECT_EQ(CStdStr<wchar_t>(entry.resource), InternetErrorToText(entry.code)) << entry.code;
        EXPECT_FALSE(InternetErrorToText(entry.code).empty()) << entry.code;
    }
    for (const long code : {200L, 404L, 500L, 12000L, 12035L, 12169L}) {
        EXPECT_TRUE(InternetErrorToText(code).empty()) << code;
    }
}

TEST(HttpErrorTest, FpRpcEscapesAreDecoded) {
    EXPECT_EQ(L"a<b>c", CLSBaseWS::decodeFPRpcString(L"a&#60;b&#62;c"));
    EXPECT_EQ(L"plain", CLSBaseWS::decodeFPRpcString(L"plain"));
    EXPECT_EQ(L"x&#60", CLSBaseWS::decodeFPRpcString(L"x&#60"));
    EXPECT_EQ(L"\U0001F600", CLSBaseWS::decodeFPRpcString(L"&#128512;"));
}

// A reference that names no character stays as written: no NUL, no exception, the rest decoded.
TEST(HttpErrorTest, MalformedFpRpcReferencesAreKeptAsText) {
    for (const wchar_t* text : {L"x&#;", L"&#abc;", L"&#0;", L"&#00;", L"&#-60;", L"&# 60;", L"&#x3C;",
                                L"&#55296;", L"&#1114112;", L"&#99999999999999999999;"}) {
        EXPECT_EQ(CStdStr<wchar_t>(text), CLSBaseWS::decodeFPRpcString(text));
    }
    EXPECT_EQ(L"&#abc <", CLSBaseWS::decodeFPRpcString(L"&#abc &#60;"));
}

} // namespace
