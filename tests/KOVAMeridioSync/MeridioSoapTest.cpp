#include "KOVAMeridioSync/MeridioSoap.h"

#include <gtest/gtest.h>

namespace {

TEST(MeridioSoap, EnvelopeHasNoWhiteSpaceBetweenItsParts) {
    EXPECT_EQ(CStdStr<wchar_t>(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                               L"<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
                               L" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                               L" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
                               L"<h/><soap:Body><b/></soap:Body></soap:Envelope>"),
              MeridioSoapEnvelope(L"<h/>", L"<b/>"));
}

TEST(MeridioSoap, CredentialHeaderPerServiceAndNoneWithoutToken) {
    EXPECT_EQ(CStdStr<wchar_t>(
                  L"<soap:Header><MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioDMWS\">"
                  L"<token>t&amp;1&lt;2</token></MeridioCredentialHeader></soap:Header>"),
              MeridioCredentialHeader(kMeridioDmws.headerTemplate, L"t&1<2"));
    EXPECT_EQ(CStdStr<wchar_t>(
                  L"<soap:Header><MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioSCWS\">"
                  L"<Token>abc</Token></MeridioCredentialHeader></soap:Header>"),
              MeridioCredentialHeader(kMeridioScws.headerTemplate, L"abc"));
    EXPECT_NE(CStdStr<wchar_t>::npos, MeridioCredentialHeader(kMeridioRmws.headerTemplate, L"abc")
                                          .find(L"MeridioRMWS\"><Token>abc</Token>"));
    EXPECT_EQ(CStdStr<wchar_t>(), MeridioCredentialHeader(kMeridioDmws.headerTemplate, L""));
}

TEST(MeridioSoap, LoginBodiesEscapeNameAndPassword) {
    EXPECT_EQ(CStdStr<wchar_t>(
                  L"<Login xmlns=\"http://www.meridio.com/MeridioDMWS\"><userName>a&lt;b</userName>"
                  L"<password>Demo &amp; Co</password><clientWorkstation></clientWorkstation></Login>"),
              MeridioLoginBody(L"a<b", L"Demo & Co"));
    EXPECT_EQ(CStdStr<wchar_t>(L"<LoginUnified xmlns=\"http://www.meridio.com/MeridioDMWS\" />"),
              MeridioLoginUnifiedBody());
    EXPECT_EQ(CStdStr<wchar_t>(L"http://www.meridio.com/MeridioSCWS/OutlookGetContainerFullEx"),
              MeridioSoapAction(kMeridioScws, L"OutlookGetContainerFullEx"));
}

TEST(MeridioSoap, ErrorTextIsCutToTheTextBetweenTheFirstTwoHashes) {
    EXPECT_EQ(CStdStr<wchar_t>(L"middle"), CutMeridioErrorText(L"<x>#middle#</x>"));
    EXPECT_EQ(CStdStr<wchar_t>(L"tail"), CutMeridioErrorText(L"head#tail"));
    EXPECT_EQ(CStdStr<wchar_t>(L""), CutMeridioErrorText(L"##"));
    EXPECT_EQ(CStdStr<wchar_t>(L"no hash"), CutMeridioErrorText(L"no hash"));
}

TEST(MeridioSoap, SessionExpiryIsFoundCaseSensitivelyPerService) {
    const CStdStr<wchar_t> dmws =
        L"x API Error 23031: The session key you specified does not exist or has expired. y";
    const CStdStr<wchar_t> scws = L"The Session Key you specified does not exist or has expired.";
    EXPECT_TRUE(IsMeridioSessionExpired(kMeridioDmws, dmws));
    EXPECT_FALSE(IsMeridioSessionExpired(kMeridioDmws, scws));
    EXPECT_TRUE(IsMeridioSessionExpired(kMeridioScws, scws));
    EXPECT_TRUE(IsMeridioSessionExpired(kMeridioRmws, scws));
    EXPECT_FALSE(IsMeridioSessionExpired(kMeridioScws, dmws));
    EXPECT_FALSE(IsMeridioSessionExpired(kMeridioScws, L"The Session Key"));
}

} // namespace
