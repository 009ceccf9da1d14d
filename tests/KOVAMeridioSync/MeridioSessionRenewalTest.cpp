// An expired session is renewed once: one new login and one resend with the new token; a resend
// that meets an expired session again is the request's failure.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "Platform/Utf.h"

#include <cstring>
#include <functional>

namespace {

using namespace MeridioTest;
using Actions = std::vector<std::string>;

// The token of the request's credential header; empty without one.
std::string TokenOf(const DemoMeridio::IncomingRequest& request) {
    for (const char* element : {"<token>", "<Token>"}) {
        const std::size_t start = request.body.find(element);
        if (start != std::string::npos) {
            const std::size_t from = start + std::strlen(element);
            return request.body.substr(from, request.body.find('<', from) - from);
        }
    }
    return {};
}

TEST(MeridioSessionRenewal, ExpiredTokenIsRenewedOnceAndTheRequestResent) {
    struct Case {
        const char* service;
        std::function<HRESULT(MeridioHost&)> request;
        Actions actions;
    };
    TestSupport::TempDirectory temp;
    const Case cases[] = {
        {"SCWS",
         [](MeridioHost& host) { return host.ListFolder(host.Location(L"container", 2)); },
         {"Login", "OutlookGetContainerFullEx", "OutlookGetContainerFullEx", "Login",
          "OutlookGetContainerFullEx"}},
        {"DMWS",
         [&](MeridioHost& host) {
             auto item = NewMap();
             return host.Retrieve(0, temp.path() / "copy", item.get());
         },
         {"Login", "OutlookGetContainerFullEx", "GetLatestVersionFile", "Login", "GetLatestVersionFile"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.service);
        MeridioHost host;
        host.Server().ExpireSessionsAfter(1); // the listing uses up the first token
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        EXPECT_EQ(c.request(host), S_OK);
        EXPECT_EQ(host.Actions(), c.actions);

        const std::vector<DemoMeridio::IncomingRequest> requests = host.Server().ReceivedRequests();
        ASSERT_EQ(requests.size(), 5u);
        const std::string first = TokenOf(requests[1]);
        EXPECT_FALSE(first.empty());
        EXPECT_EQ(TokenOf(requests[2]), first);
        EXPECT_NE(TokenOf(requests[4]), first);
        EXPECT_EQ(TokenOf(requests[4]), Platform::WideToUtf8(KOVAMeridioSyncFilterImpl::SessionToken()));
    }
}

TEST(MeridioSessionRenewal, SecondExpiryInTheResendIsTheFailure) {
    MeridioHost host;
    host.Server().ExpireSessionsAfter(0); // every token is expired at once
    EXPECT_TRUE(FAILED(host.ListFolder(host.Location(L"container", 2))));
    EXPECT_EQ(host.Actions(),
              (Actions{"Login", "OutlookGetContainerFullEx", "Login", "OutlookGetContainerFullEx"}));
    USHORT count = 1;
    ASSERT_EQ(host.Sync()->raw_GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

} // namespace
