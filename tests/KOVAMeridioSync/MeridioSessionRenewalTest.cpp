// An expired session is renewed once: one new login and one resend with the new token (an upload's
// message built anew for it); a resend that meets an expired session again is the request's failure,
// and only then is the host told that the connection failed.
#include "tests/KOVAMeridioSync/MeridioServerFixture.h"

#include "Platform/Utf.h"

#include "tests/Support/TempDirectory.h"

#include <cstring>
#include <fstream>
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
        EXPECT_TRUE(host.Informer().AbortMessages().empty()); // the renewal mended the failure
    }
}

TEST(MeridioSessionRenewal, AnUploadIsResentWithTheNewToken) {
    // The upload's envelope travels inside its DIME message, so the resend must be built anew.
    MeridioHost host;
    TestSupport::TempDirectory temp;
    const auto localPath = temp.path() / "notes.txt";
    std::ofstream(localPath) << "notes";
    ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
    host.Server().ExpireSessionAt("AddObject2");
    const auto item = NewMap();
    ASSERT_EQ(host.Sync()->raw_AddNewDocument(_bstr_t(localPath.c_str()), _bstr_t(L"notes.txt"), nullptr,
                                              item.get()),
              S_OK);
    EXPECT_EQ(TestSupport::StrProp(*item, L"Mavisto.SyncIssueType").value_or(L""), L"");

    std::vector<std::string> uploadTokens;
    std::vector<std::string> uploads;
    for (const DemoMeridio::IncomingRequest& request : host.Server().ReceivedRequests()) {
        if (ActionOf(request) == "AddObject2") {
            uploadTokens.push_back(TokenOf(request));
            uploads.push_back(request.body);
        }
    }
    ASSERT_EQ(uploadTokens.size(), 2u);
    EXPECT_NE(uploadTokens[1], uploadTokens[0]);
    EXPECT_EQ(uploadTokens[1], Platform::WideToUtf8(KOVAMeridioSyncFilterImpl::SessionToken()));
    // The resent message is the first one, byte for byte, but for the token.
    ASSERT_EQ(uploadTokens[1].size(), uploadTokens[0].size());
    std::string resent = uploads[0];
    resent.replace(resent.find(uploadTokens[0]), uploadTokens[0].size(), uploadTokens[1]);
    EXPECT_EQ(uploads[1], resent);
    const long id = DocumentIdOf(TestSupport::StrProp(*item, L"Mavisto.FromServerFileId").value_or(L"/0"));
    EXPECT_EQ(host.ContentOf(id), "notes");
    EXPECT_TRUE(host.Informer().AbortMessages().empty());
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
    EXPECT_EQ(host.Informer().AbortMessages(),
              std::vector<std::wstring>{L"Sync aborted - connection to Server failed"});
}

// The host hears once that the connection failed, also when the renewal's login fails for a reason
// of its own.
TEST(MeridioSessionRenewal, ARenewalThatFailsTellsTheHostOnce) {
    const struct {
        const char* name;
        std::function<void(DemoMeridio::DemoServer&)> breakLogin;
    } cases[] = {
        {"a login reply without its result",
         [](DemoMeridio::DemoServer& server) {
             server.RewriteNextReply("Login", [](DemoMeridio::HttpReply& reply) {
                 const std::size_t start = reply.body.find("<LoginResult>");
                 const std::size_t end = reply.body.find("</LoginResult>");
                 reply.body.erase(start, end + std::strlen("</LoginResult>") - start);
             });
         }},
        {"a refused login",
         [](DemoMeridio::DemoServer& server) {
             server.RefuseNextRequest("/dmws/", "Login", "API Error 20010: Login refused.");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MeridioHost host;
        ASSERT_EQ(host.ListFolder(host.Location(L"container", 2)), S_OK);
        host.Server().ExpireSessionAt("OutlookGetContainerFullEx");
        c.breakLogin(host.Server());
        EXPECT_TRUE(FAILED(host.ListFolder(host.Location(L"container", 2))));
        EXPECT_EQ(host.Actions(),
                  (Actions{"Login", "OutlookGetContainerFullEx", "OutlookGetContainerFullEx", "Login"}));
        EXPECT_EQ(host.Informer().AbortMessages(),
                  std::vector<std::wstring>{L"Sync aborted - connection to Server failed"});
    }
}

} // namespace
