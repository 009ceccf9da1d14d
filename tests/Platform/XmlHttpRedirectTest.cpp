// Redirects against two servers: a request that carries content follows only a 307 or 308 to its own
// server; any other redirect of it is its reply, and nothing reaches the other server.
#include "Platform/MsXml.h"
#include "Platform/Utf.h"
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
using PlatformTest::Open;
using PlatformTest::PollUntilDone;
using PlatformTest::ReadText;
using PlatformTest::Ref;
using PlatformTest::Status;

constexpr const char* kSecretBody =
    "<Envelope><token>session-token</token><password>pw</password></Envelope>";

struct Arrival {
    std::string method;
    std::string body;
};

// A server whose /collect keeps every request it gets, and whose /redirect/<status>/<home|other>
// answers that status with a Location of /collect on this server or on `other`.
class RedirectServer {
public:
    void Start(const RedirectServer* other) {
        auto& routes = server_.Routes();
        const auto collect = [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            arrivals_.push_back({request.method, request.body});
            response.set_content("collected", "text/plain");
        };
        const auto redirect = [this, other](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.matches[1]);
            const std::string target = request.matches[2];
            response.set_header("Location", target == "relative" ? "/collect"
                                            : target == "home"   ? server_.NarrowUrl("/collect")
                                                                 : other->server_.NarrowUrl("/collect"));
        };
        routes.Get("/collect", collect).Post("/collect", collect).Put("/collect", collect);
        routes.Delete("/collect", collect);
        const char* const redirectPath = R"(/redirect/(\d+)/(home|other|relative))";
        routes.Get(redirectPath, redirect).Post(redirectPath, redirect).Put(redirectPath, redirect);
        routes.Delete(redirectPath, redirect);
        server_.Start();
    }

    std::wstring Url(const std::string& path) const { return server_.Url(path); }
    std::string NarrowUrl(const std::string& path) const { return server_.NarrowUrl(path); }
    std::vector<Arrival> Arrivals() {
        std::lock_guard lock(mutex_);
        return arrivals_;
    }

private:
    PlatformTest::TestHttpServer server_;
    std::mutex mutex_;
    std::vector<Arrival> arrivals_;
};

class XmlHttpRedirectTest : public testing::Test {
protected:
    void SetUp() override {
        home_.Start(&other_);
        other_.Start(&home_);
    }

    // Sends `method` to `path` on the home server (with the secret body unless `body` is false) and
    // waits for the end.
    Ref<IXMLHTTPRequest> Sent(const wchar_t* method, const std::string& path, bool body = true) {
        Ref<IXMLHTTPRequest> request = NewRequest();
        EXPECT_EQ(S_OK, Open(request.get(), method, home_.Url(path)));
        VARIANT content{};
        if (body) {
            content.vt = VT_BSTR;
            content.bstrVal = SysAllocString(Platform::Utf8ToWide(kSecretBody).c_str());
        }
        EXPECT_EQ(S_OK, request->send(content));
        VariantClear(&content);
        PollUntilDone(request.get());
        return request;
    }

    static std::wstring Location(IXMLHTTPRequest* request) {
        Bstr value;
        EXPECT_EQ(S_OK, request->getResponseHeader(Bstr(L"Location"), value.Out()));
        return value.str();
    }

    RedirectServer home_;
    RedirectServer other_;
};

TEST_F(XmlHttpRedirectTest, RedirectOfContentToAnotherServerIsTheReplyAndCarriesNothingThere) {
    const struct {
        const wchar_t* method;
        bool body;
        int status;
    } requests[] = {
        {L"POST", true, 307}, {L"POST", true, 308}, {L"PUT", true, 307}, {L"DELETE", false, 307},
        {L"POST", true, 302}, {L"POST", true, 301}, {L"GET", true, 308},
    };
    for (const auto& sent : requests) {
        const std::string path = "/redirect/" + std::to_string(sent.status) + "/other";
        Ref<IXMLHTTPRequest> request = Sent(sent.method, path, sent.body);
        EXPECT_EQ(sent.status, Status(request.get())) << path;
        EXPECT_EQ(Platform::Utf8ToWide(other_.NarrowUrl("/collect")), Location(request.get())) << path;
        Bstr text;
        EXPECT_EQ(S_OK, request->get_responseText(text.Out())) << path;
    }
    EXPECT_TRUE(other_.Arrivals().empty());
    EXPECT_TRUE(home_.Arrivals().empty());
}

TEST_F(XmlHttpRedirectTest, SameServerTemporaryOrPermanentRedirectIsFollowedWithTheBody) {
    for (const char* path : {"/redirect/307/home", "/redirect/308/home", "/redirect/307/relative"}) {
        Ref<IXMLHTTPRequest> request = Sent(L"POST", path);
        EXPECT_EQ(200, Status(request.get())) << path;
        EXPECT_EQ(L"collected", ReadText(request.get(), &IXMLHTTPRequest::get_responseText)) << path;
    }
    const std::vector<Arrival> arrivals = home_.Arrivals();
    ASSERT_EQ(3u, arrivals.size());
    for (const Arrival& arrival : arrivals) {
        EXPECT_EQ("POST", arrival.method);
        EXPECT_EQ(kSecretBody, arrival.body);
    }
    EXPECT_TRUE(other_.Arrivals().empty());
}

// 301, 302 and 303 would turn a POST into a request without its body: the redirect is the reply, as
// a synchronous send shows at once.
TEST_F(XmlHttpRedirectTest, MovedFoundOrSeeOtherOnAPostIsReported) {
    for (const int status : {301, 302, 303}) {
        Ref<IXMLHTTPRequest> request = NewRequest();
        ASSERT_EQ(S_OK, Open(request.get(), L"POST",
                             home_.Url("/redirect/" + std::to_string(status) + "/home"), false));
        VARIANT body{};
        body.vt = VT_BSTR;
        body.bstrVal = SysAllocString(L"<Envelope/>");
        EXPECT_EQ(S_OK, request->send(body)) << status;
        VariantClear(&body);
        EXPECT_EQ(status, Status(request.get()));
        EXPECT_EQ(Platform::Utf8ToWide(home_.NarrowUrl("/collect")), Location(request.get()));
        EXPECT_FALSE(ReadText(request.get(), &IXMLHTTPRequest::get_statusText).empty());
    }
    EXPECT_TRUE(home_.Arrivals().empty());
}

TEST_F(XmlHttpRedirectTest, RequestWithoutContentFollowsARedirectToAnotherServer) {
    for (const char* path : {"/redirect/302/other", "/redirect/307/other", "/redirect/301/relative"}) {
        Ref<IXMLHTTPRequest> request = Sent(L"GET", path, false);
        EXPECT_EQ(200, Status(request.get())) << path;
        EXPECT_EQ(L"collected", ReadText(request.get(), &IXMLHTTPRequest::get_responseText)) << path;
    }
    EXPECT_EQ(2u, other_.Arrivals().size());
    EXPECT_EQ(1u, home_.Arrivals().size());
}

} // namespace
