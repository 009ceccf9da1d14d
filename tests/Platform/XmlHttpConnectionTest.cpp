// Connections are kept per server for the thread's next requests, and nothing of one request (its
// credentials, its headers) reaches the next one on the same connection.
#include "Platform/MsXml.h"
#include "tests/Platform/ComTestSupport.h"
#include "tests/Platform/TestHttpServer.h"
#include "tests/Platform/XmlHttpTestSupport.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

using PlatformTest::Bstr;
using PlatformTest::NewRequest;
using PlatformTest::Ref;

// What the server saw of one request.
struct Seen {
    std::string path;
    int clientPort;
    std::string authorization;
    std::string marker;
};

VARIANT Text(const wchar_t* text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

class XmlHttpConnectionTest : public testing::Test {
protected:
    void SetUp() override {
        const auto record = [this](const httplib::Request& request) {
            std::lock_guard lock(mutex_);
            seen_.push_back({request.path, request.remote_port, request.get_header_value("Authorization"),
                             request.get_header_value("X-Marker")});
        };
        server_.Routes().Get("/open", [record](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.set_content("open", "text/plain");
        });
        // Asks for Basic credentials as a server behind a login does.
        server_.Routes().Get("/login",
                             [record](const httplib::Request& request, httplib::Response& response) {
                                 record(request);
                                 if (!request.has_header("Authorization")) {
                                     response.status = 401;
                                     response.set_header("WWW-Authenticate", "Basic realm=\"test\"");
                                     response.set_content("login", "text/plain");
                                     return;
                                 }
                                 response.set_content("in", "text/plain");
                             });
        server_.Start();
    }

    // One request to completion: `user` empty sends none; `marker` empty sets no X-Marker header.
    void Fetch(const char* path, const wchar_t* user = L"", const wchar_t* password = L"",
               const wchar_t* marker = L"", bool async = true) {
        Ref<IXMLHTTPRequest> request = NewRequest();
        VARIANT asyncFlag = PlatformTest::Flag(async);
        VARIANT userValue = Text(user);
        VARIANT passwordValue = Text(password);
        ASSERT_EQ(S_OK, request->open(Bstr(L"GET"), Bstr(server_.Url(path).c_str()), asyncFlag, userValue,
                                      passwordValue));
        VariantClear(&userValue);
        VariantClear(&passwordValue);
        if (*marker != L'\0') {
            ASSERT_EQ(S_OK, request->setRequestHeader(Bstr(L"X-Marker"), Bstr(marker)));
        }
        VARIANT none{};
        ASSERT_EQ(S_OK, request->send(none));
        PlatformTest::PollUntilDone(request.get());
        EXPECT_EQ(200, PlatformTest::Status(request.get()));
    }

    std::vector<Seen> SeenRequests() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

    PlatformTest::TestHttpServer server_;
    std::mutex mutex_;
    std::vector<Seen> seen_;
};

TEST_F(XmlHttpConnectionTest, RequestsToOneServerShareOneConnection) {
    Fetch("/open");
    Fetch("/open", L"", L"", L"", false);
    Fetch("/open");
    const auto seen = SeenRequests();
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(seen[0].clientPort, seen[1].clientPort);
    EXPECT_EQ(seen[0].clientPort, seen[2].clientPort);
}

TEST_F(XmlHttpConnectionTest, CredentialsAndHeadersOfARequestNeverReachTheNextOne) {
    Fetch("/open", L"", L"", L"first");
    Fetch("/login", L"alice", L"secret");
    Fetch("/open");
    Fetch("/login", L"bob", L"other");
    const auto seen = SeenRequests();
    // Each login: first without credentials (the server then names its scheme), then with them.
    ASSERT_EQ(6u, seen.size());
    EXPECT_EQ("first", seen[0].marker);
    EXPECT_EQ("", seen[1].authorization);
    EXPECT_EQ("Basic YWxpY2U6c2VjcmV0", seen[2].authorization); // alice:secret
    EXPECT_EQ("", seen[2].marker);
    EXPECT_EQ("/open", seen[3].path);
    EXPECT_EQ("", seen[3].authorization);
    EXPECT_EQ("", seen[3].marker);
    EXPECT_EQ("", seen[4].authorization);
    EXPECT_EQ("Basic Ym9iOm90aGVy", seen[5].authorization); // bob:other
    // A login's connection is its own (its round trips keep to it): no other request came over it, and
    // it took none of theirs.
    EXPECT_EQ(seen[1].clientPort, seen[2].clientPort);
    EXPECT_EQ(seen[4].clientPort, seen[5].clientPort);
    EXPECT_EQ(seen[0].clientPort, seen[3].clientPort);
    for (const std::size_t login : {1u, 4u}) {
        for (std::size_t other = 0; other < seen.size(); ++other) {
            if (other != login && other != login + 1) {
                EXPECT_NE(seen[login].clientPort, seen[other].clientPort) << login << " " << other;
            }
        }
    }
}

} // namespace
