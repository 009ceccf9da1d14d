// Real HTTP exchanges through the factory's request, the SOAP send path and the reply check.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHttpRequestFactory.h"
#include "VantrelCommon/Exceptions.h"
#include "tests/KOVACommon/TransportTestServer.h"
#include "tests/KOVACommon/TransportTestSupport.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

namespace TransportTest {
namespace {

using ::testing::HasSubstr;

constexpr const char* kLoginReply =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
    "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><LoginResponse "
    "xmlns=\"http://www.meridio.com/WS/DMWS\"><LoginResult>token-\xc3\xa9</LoginResult></LoginResponse>"
    "</soap:Body></soap:Envelope>";

class SoapSendTest : public TransportFixture {
protected:
    std::unique_ptr<ILSHttpRequest>
    OpenedRequest(const wchar_t* action = L"http://www.meridio.com/WS/DMWS/Login",
                  const std::string& path = "/dmws/meridiodmws.asmx") {
        std::unique_ptr<ILSHttpRequest> request;
        LSHttpRequestFactory::Create(request);
        EXPECT_EQ(S_OK, request->Open(L"POST", server.Url(path).c_str(), _variant_t(true), _variant_t(),
                                      _variant_t()));
        EXPECT_EQ(S_OK, request->SetRequestHeader(L"Content-Type", L"text/xml; charset=utf-8"));
        EXPECT_EQ(S_OK, request->SetRequestHeader(L"SOAPAction", action));
        return request;
    }

    // The error a send ends with, if any.
    std::optional<LSHttpError> SendFailure(std::unique_ptr<ILSHttpRequest>& request, bool allow404 = false) {
        try {
            request->PerformAsyncVariantSend(L"Login", _variant_t(L"<Envelope/>"), false, informer, false,
                                             allow404, true);
        } catch (const LSHttpError& error) {
            return error;
        }
        return std::nullopt;
    }

    TransportTestServer server;
};

TEST_F(SoapSendTest, ReplyReadsAsTextBytesAndXml) {
    server.Script({{200, {}, kLoginReply}});
    auto request = OpenedRequest();
    CLSBaseWS::PerformAsyncSend(request, L"Login", L"<Login>body</Login>", informer, false);

    EXPECT_EQ(200, request->GetStatus());
    EXPECT_THAT(std::wstring(request->GetResponseText()),
                HasSubstr(L"<LoginResult>token-\u00e9</LoginResult>"));
    const _variant_t body = request->GetResponseBody();
    ASSERT_EQ(VT_ARRAY | VT_UI1, body.vt);
    EXPECT_EQ(std::string(kLoginReply), std::string(static_cast<const char*>(body.parray->pvData),
                                                    body.parray->rgsabound[0].cElements));
    IXMLDOMDocument2Ptr document(request->GetResponseXML());
    ASSERT_TRUE(document);
    IXMLDOMNodePtr result = document->selectSingleNode(L"//LoginResult");
    ASSERT_TRUE(result);
    EXPECT_EQ(std::wstring(L"token-\u00e9"), std::wstring(result->Gettext()));

    const auto received = server.Received();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ("<Login>body</Login>", received[0].body);
    EXPECT_EQ("http://www.meridio.com/WS/DMWS/Login", received[0].Header("SOAPAction"));
    EXPECT_FALSE(received[0].Header("User-Agent").empty());
    EXPECT_EQ(1u, informer->RequestNotices());
}

// A request that keeps the array of the body it is given and sends nothing.
class ArrayKeepingRequest final : public ILSHttpRequest {
public:
    void SetConfig(const CStdStr<wchar_t>&) override {}
    HRESULT Open(const _bstr_t&, const _bstr_t&, const _variant_t&, const _variant_t&,
                 const _variant_t&) override {
        return S_OK;
    }
    HRESULT SetRequestHeader(const _bstr_t&, const _bstr_t&) override { return S_OK; }
    _bstr_t GetResponseHeader(const _bstr_t&) override { return _bstr_t(); }
    _bstr_t GetAllResponseHeaders() override { return _bstr_t(); }
    _bstr_t GetRequestHeader(const _bstr_t&) override { return _bstr_t(); }
    _variant_t GetResponseBody() override { return _variant_t(); }
    _variant_t GetResponseStream() override { return _variant_t(); }
    _bstr_t GetResponseText() override { return _bstr_t(); }
    IDispatchPtr GetResponseXML() override { return IDispatchPtr(); }
    long GetStatus() override { return 200; }
    _bstr_t GetStatusText() override { return _bstr_t(); }
    void PerformAsyncVariantSend(const CStdStr<wchar_t>&, const _variant_t& body, bool, ILSShutdownInformer*,
                                 bool, bool, bool) override {
        sentArray = body.parray;
    }

    SAFEARRAY* sentArray = nullptr;
};

TEST_F(SoapSendTest, ByteArrayBodyReachesTheRequestUncopied) {
    _variant_t body;
    body.parray = SafeArrayCreateVector(VT_UI1, 0, 1024);
    body.vt = VT_ARRAY | VT_UI1;
    auto keeping = std::make_unique<ArrayKeepingRequest>();
    ArrayKeepingRequest& seen = *keeping;
    std::unique_ptr<ILSHttpRequest> request = std::move(keeping);
    CLSBaseWS::PerformAsyncVariantSend(request, L"AddObject2", body, true, informer);
    EXPECT_EQ(body.parray, seen.sentArray);
}

TEST_F(SoapSendTest, EmptyTextBodyGoesOutAsNoBody) {
    server.Script({{200, {}, kLoginReply}});
    std::unique_ptr<ILSHttpRequest> request;
    LSHttpRequestFactory::Create(request);
    ASSERT_EQ(S_OK, request->Open(L"GET", server.Url("/files/a").c_str(), _variant_t(true), _variant_t(),
                                  _variant_t()));
    CLSBaseWS::PerformAsyncSend(request, L"Login", L"", informer, false);
    const auto received = server.Received();
    ASSERT_EQ(1u, received.size());
    EXPECT_TRUE(received[0].body.empty());
    EXPECT_TRUE(received[0].Header("Content-Length").empty() || received[0].Header("Content-Length") == "0");
}

TEST_F(SoapSendTest, NoContentReadsAs204) {
    server.Script({{204, {}, ""}});
    auto request = OpenedRequest();
    EXPECT_FALSE(SendFailure(request));
    EXPECT_EQ(204, request->GetStatus());
}

struct FailureCase {
    const char* name;
    ScriptedReply reply;
    bool allow404;
    long status;
    std::wstring message;
    std::wstring detail;
    std::uint32_t retryAfterSeconds;
};

class ReplyFailureTest : public SoapSendTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReplyFailureTest, BecomesTheHttpError) {
    const FailureCase& failure = GetParam();
    server.Script({failure.reply});
    auto request = OpenedRequest();
    const auto error = SendFailure(request, failure.allow404);
    ASSERT_TRUE(error);
    EXPECT_EQ(failure.status, error->status);
    EXPECT_EQ(failure.message, error->message);
    EXPECT_EQ(failure.detail, error->detail);
    EXPECT_EQ(failure.retryAfterSeconds, error->retryAfterSeconds);
    EXPECT_EQ(1u, server.Received().size());
}

const char* const kJson = "{\"error\":{\"code\":\"-1\",\"message\":\"Bad \\\"thing\\\"\"}}";

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyFailureTest,
    ::testing::Values(
        FailureCase{
            "ODataMessage",
            {400,
             {},
             "<m:error xmlns:m=\"http://schemas.microsoft.com/ado/2007/08/dataservices/metadata\">"
             "<m:code>-2130575251</m:code><m:message xml:lang=\"en-US\">List does not exist</m:message>"
             "</m:error>",
             "application/xml"},
            false,
            400,
            L"List does not exist",
            L"",
            0},
        FailureCase{"ODataCodeOnly",
                    {400,
                     {},
                     "<m:error xmlns:m=\"http://schemas.microsoft.com/ado/2007/08/dataservices/metadata\">"
                     "<m:code>-2130575251</m:code></m:error>",
                     "application/xml"},
                    false,
                    400,
                    L"-2130575251",
                    L"",
                    0},
        FailureCase{
            "SoapFaultString",
            {500,
             {},
             "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
             "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>API Error 23031: The session key "
             "you specified does not exist or has expired.</faultstring></soap:Fault></soap:Body>"
             "</soap:Envelope>"},
            false,
            500,
            L"API Error 23031: The session key you specified does not exist or has expired.",
            L"",
            0},
        FailureCase{"SoapErrorStringAndCode",
                    {500,
                     {},
                     "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                     "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>Exception of type "
                     "SoapException</faultstring><detail><errorstring xmlns=\"http://schemas.microsoft.com/"
                     "sharepoint/soap/\">Item does not exist</errorstring><errorcode xmlns=\"http://"
                     "schemas.microsoft.com/sharepoint/soap/\">0x81020016</errorcode></detail></soap:Fault>"
                     "</soap:Body></soap:Envelope>"},
                    false,
                    500,
                    L"Item does not exist (0x81020016)",
                    L"",
                    0},
        FailureCase{"DavErrorWinsOverAllow404",
                    {404, {{"X-MSDAVEXT_Error", "917656; Access denied."}}, "", "text/plain"},
                    true,
                    404,
                    L"917656; Access denied.",
                    L"",
                    0},
        FailureCase{"JsonDetail",
                    {403, {}, kJson, "application/json;odata=verbose"},
                    false,
                    403,
                    L"Forbidden",
                    L"{\"error\":{\"code\":\"-1\",\"message\":\"Bad \\\"thing\\\"\"}}",
                    0},
        FailureCase{
            "OtherStatusTakesStatusText", {401, {}, "", "text/plain"}, false, 401, L"Unauthorized", L"", 0}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(SoapSendTest, NotFoundWithAllow404ReturnsQuietly) {
    server.Script({{404, {}, "", "text/plain"}});
    auto request = OpenedRequest();
    EXPECT_FALSE(SendFailure(request, true));
    EXPECT_EQ(404, request->GetStatus());
}

TEST_F(SoapSendTest, UnreadableFaultFallsBackToTheDefaultText) {
    server.Script({{500, {}, "<html><body>Internal error</body></html", "text/html"}});
    auto request = OpenedRequest();
    const auto error = SendFailure(request);
    ASSERT_TRUE(error);
    EXPECT_EQ(500, error->status);
    EXPECT_EQ(CStdStr<wchar_t>(4041), error->message);
}

TEST_F(SoapSendTest, RefusedConnectionGivesTheWinInetCode) {
    std::wstring url;
    {
        TransportTestServer closed;
        url = closed.Url("/dmws/meridiodmws.asmx");
    }
    std::unique_ptr<ILSHttpRequest> request;
    LSHttpRequestFactory::Create(request);
    ASSERT_EQ(S_OK, request->Open(L"POST", url.c_str(), _variant_t(true), _variant_t(), _variant_t()));
    const auto error = SendFailure(request);
    ASSERT_TRUE(error);
    EXPECT_EQ(12029, error->status);
    // The system's reason, then the code and its text.
    const CStdStr<wchar_t> text = FormatHttpErrorText(*error);
    EXPECT_NE(std::wstring::npos, text.find(L"Connection refused")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L" (12029)\n(" + CStdStr<wchar_t>(4018) + L")")) << text;
}

// A redirect that would take the envelope to another server is not followed: the send fails naming
// the status and the Location, and the other server sees nothing.
TEST_F(SoapSendTest, RedirectToAnotherServerFailsNamingTheLocation) {
    TransportTestServer other;
    const std::wstring elsewhere = other.Url("/dmws/meridiodmws.asmx");
    for (const int status : {307, 308, 302}) {
        server.Script({{status, {{"Location", std::string(elsewhere.begin(), elsewhere.end())}}, ""}});
        auto request = OpenedRequest();
        const auto error = SendFailure(request);
        ASSERT_TRUE(error) << status;
        EXPECT_EQ(status, error->status);
        EXPECT_EQ(L"Redirect to " + elsewhere + L" not followed", error->message);
        EXPECT_EQ(L"Redirect to " + elsewhere + L" not followed (" + std::to_wstring(status) + L")",
                  FormatHttpErrorText(*error));
    }
    EXPECT_TRUE(other.Received().empty());
}

TEST_F(SoapSendTest, ReplyWithoutProgressTimesOutNamingTheServer) {
    const TestSupport::ScopedEnvironment stall("KOVA_HTTP_STALL_TIMEOUT", "1");
    server.Script({{200, {}, kLoginReply, "text/xml", std::chrono::milliseconds(3000)}});
    LogRecords log;
    // No body: what was sent would count as progress for a few seconds.
    std::unique_ptr<ILSHttpRequest> request;
    LSHttpRequestFactory::Create(request);
    ASSERT_EQ(S_OK, request->Open(L"GET", server.Url("/dmws/meridiodmws.asmx").c_str(), _variant_t(true),
                                  _variant_t(), _variant_t()));
    std::optional<LSHttpError> error;
    try {
        request->PerformAsyncVariantSend(L"Login", _variant_t(), false, informer, false, false, true);
    } catch (const LSHttpError& thrown) {
        error = thrown;
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(12002, error->status);
    const std::wstring url = server.Url("/");
    const std::wstring server = url.substr(7, url.size() - 8); // "127.0.0.1:port"
    EXPECT_EQ(L"No reply from " + server, error->message);
    EXPECT_EQ(L"No reply from " + server + L" (12002)\n(" + CStdStr<wchar_t>(4010) + L")",
              FormatHttpErrorText(*error));
    EXPECT_TRUE(log.Contains("Request timed out: no reply from " + std::string(server.begin(), server.end())))
        << log.All();
}

TEST_F(SoapSendTest, ShutdownDuringASlowReplyAbortsWithinOnePoll) {
    server.Script({{200, {}, kLoginReply, "text/xml", std::chrono::milliseconds(3000)}});
    informer->RequestShutdownAtQuery(3);
    auto request = OpenedRequest();
    const auto started = std::chrono::steady_clock::now();
    try {
        CLSBaseWS::PerformAsyncSend(request, L"Login", L"<Login/>", informer, false);
        FAIL() << "the send ended without the abort";
    } catch (long hr) {
        EXPECT_EQ(E_ABORT, static_cast<HRESULT>(hr));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
    EXPECT_EQ(3u, informer->ShutdownQueries());
    EXPECT_EQ((std::vector<DWORD>{50, 50, 50}), clock.Sleeps());
}

// On the real clock the wait's passes wait for the request's messages: a reply that does not come
// still leaves the loop its bound, so the shutdown is seen at the third pass, long before the reply.
TEST_F(SoapSendTest, ShutdownDuringASlowReplyAbortsWithinOnePollOnTheRealClock) {
    Platform::Clock* manual = Platform::InstallClock(nullptr);
    server.Script({{200, {}, kLoginReply, "text/xml", std::chrono::milliseconds(3000)}});
    informer->RequestShutdownAtQuery(3);
    auto request = OpenedRequest();
    const auto started = std::chrono::steady_clock::now();
    HRESULT aborted = S_OK;
    try {
        CLSBaseWS::PerformAsyncSend(request, L"Login", L"<Login/>", informer, false);
    } catch (long hr) {
        aborted = static_cast<HRESULT>(hr);
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    Platform::InstallClock(manual);
    EXPECT_EQ(E_ABORT, aborted);
    EXPECT_LT(waited, std::chrono::milliseconds(2000));
    EXPECT_EQ(3u, informer->ShutdownQueries());
}

TEST_F(SoapSendTest, RequestLoggingWritesTheMaskedCopyOnly) {
    server.Script({{200, {}, kLoginReply}});
    SetDwordSetting(L"KOVA.Log.WebServiceReq", 1);
    LogRecords log;
    auto request = OpenedRequest();
    const CStdStr<wchar_t> masked(L"<Login><password>********</password></Login>");
    CLSBaseWS::PerformAsyncSend(request, L"Login", L"<Login><password>Demo &amp; Co 2024</password></Login>",
                                informer, false, &masked);
    DeleteSetting(L"KOVA.Log.WebServiceReq");

    EXPECT_TRUE(log.Contains("<Login><password>********</password></Login>")) << log.All();
    EXPECT_FALSE(log.Contains("Demo &amp; Co 2024")) << log.All();
    EXPECT_EQ("<Login><password>Demo &amp; Co 2024</password></Login>", server.Received().at(0).body);
}

TEST_F(SoapSendTest, TimingLineNamesTheOperationWithoutTheSharePointNamespace) {
    server.Script({{200, {}, kLoginReply}});
    LogRecords log;
    LSDiag::perfEnabled = true;
    auto sharePoint = OpenedRequest(L"http://schemas.microsoft.com/sharepoint/soap/GetListItems");
    CLSBaseWS::PerformAsyncSend(sharePoint, L"List items", L"<GetListItems/>", informer, false);
    auto meridio = OpenedRequest();
    CLSBaseWS::PerformAsyncSend(meridio, L"Login", L"<Login/>", informer, false);
    LSDiag::perfEnabled = false;
    EXPECT_TRUE(log.Contains("|CLSBaseWS::PerformAsyncVariantSend|PERF|End|")) << log.All();
    EXPECT_TRUE(log.Contains("|1|WS|GetListItems\n")) << log.All();
    EXPECT_TRUE(log.Contains("|1|WS|http://www.meridio.com/WS/DMWS/Login\n")) << log.All();
}

TEST_F(SoapSendTest, FrontPageRpcFailureInsideA200) {
    server.Script({{200,
                    {},
                    "<html><body><p>method=list documents\n<p>status=\n<ul>\n<li>osstatus=-2147024894\n"
                    "<li>msg=File &#60;a&#62; not found\n</ul></body></html>",
                    "text/html"}});
    auto request = OpenedRequest();
    try {
        request->PerformAsyncVariantSend(L"RPC", _variant_t(L"method=list"), true, informer, false, false,
                                         true);
        FAIL() << "the reply was accepted";
    } catch (const LSHttpError& error) {
        EXPECT_EQ(200, error.status);
        EXPECT_EQ(L"File <a> not found", error.message);
    }
}

TEST_F(SoapSendTest, FrontPageRpcFailureWithABrokenReferenceKeepsItsMessage) {
    server.Script(
        {{200, {}, "<li>osstatus=-1\n<li>msg=File &#; &#abc; &#60;a&#62; not found\n", "text/html"}});
    auto request = OpenedRequest();
    try {
        request->PerformAsyncVariantSend(L"RPC", _variant_t(L"method=list"), true, informer, false, false,
                                         true);
        FAIL() << "the reply was accepted";
    } catch (const LSHttpError& error) {
        EXPECT_EQ(L"File &#; &#abc; <a> not found", error.message);
    }
}

} // namespace
} // namespace TransportTest
