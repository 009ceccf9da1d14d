#include "KOVACommon/LSTransportLog.h"

#include <gtest/gtest.h>

namespace {

TEST(TransportLog, TheTextOfSecretElementsIsMasked) {
    LSTransportLog::MaskElementText(L"sessionKey");
    const struct {
        const wchar_t* text;
        const wchar_t* logged;
    } cases[] = {
        {L"<a><sessionKey>0123456789abcdef</sessionKey></a>",
         L"<a><sessionKey>0123********</sessionKey></a>"},
        {L"<h:sessionKey xmlns:h=\"n\">0123456789</h:sessionKey>",
         L"<h:sessionKey xmlns:h=\"n\">0123********</h:sessionKey>"},
        {L"<sessionKey>short</sessionKey>", L"<sessionKey>********</sessionKey>"},
        {L"<sessionKey></sessionKey><sessionKey/><sessionKey />",
         L"<sessionKey></sessionKey><sessionKey/><sessionKey />"},
        {L"<sessionKeys>0123456789</sessionKeys><other>0123456789</other>",
         L"<sessionKeys>0123456789</sessionKeys><other>0123456789</other>"},
        {L"<sessionKey>1234567890</sessionKey>x<sessionKey>abcdefghij</sessionKey>",
         L"<sessionKey>1234********</sessionKey>x<sessionKey>abcd********</sessionKey>"},
        {L"<sessionKey>cut off", L"<sessionKey>********"},
        {L"no markup", L"no markup"},
        {L"<sessionKey", L"<sessionKey"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LSTransportLog::Masked(c.text), c.logged);
    }
}

} // namespace
