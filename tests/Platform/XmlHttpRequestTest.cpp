#include "Platform/Combase.h"
#include "Platform/MsXml.h"
#include "Platform/ObjIdl.h"
#include "Platform/SafeArrayShared.h"
#include "Platform/Utf.h"
#include "tests/Platform/ComTestSupport.h"
#include "tests/Platform/TestHttpServer.h"
#include "tests/Platform/XmlHttpTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using PlatformTest::Bstr;
using PlatformTest::Gate;
using PlatformTest::NewRequest;
using PlatformTest::Open;
using PlatformTest::PollUntilDone;
using PlatformTest::ReadText;
using PlatformTest::Ref;
using PlatformTest::Status;

constexpr const char* kSoapReply =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
    "<LoginResponse xmlns=\"urn:test:dmws\"><LoginResult>token-\xC3\xA9</LoginResult></LoginResponse>"
    "</soap:Body></soap:Envelope>";

VARIANT Text(const wchar_t* text) {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

class XmlHttpRequestTest : public testing::Test {
protected:
    void SetUp() override {
        auto& routes = server_.Routes();
        routes.Post("/soap", [](const httplib::Request& request, httplib::Response& response) {
            response.set_header("X-Echo-Action", request.get_header_value("SOAPAction"));
            response.set_header("X-Echo-Type", request.get_header_value("Content-Type"));
            response.set_header("X-Echo-Body", request.body);
            response.set_header("X-Echo-Length", std::to_string(request.body.size()));
            response.set_header("X-Twice", "one");
            response.headers.emplace("X-Twice", "two");
            response.set_content(kSoapReply, "text/xml; charset=utf-8");
        });
        // The names of the request's headers, one a line.
        routes.Get("/header-names", [](const httplib::Request& request, httplib::Response& response) {
            std::string names;
            for (const auto& header : request.headers) {
                names += header.first + "\n";
            }
            response.set_content(names, "text/plain");
        });
        routes.Get("/latin1", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("caf\xE9", "text/plain; charset=ISO-8859-1");
        });
        routes.Get("/empty",
                   [](const httplib::Request&, httplib::Response& response) { response.status = 204; });
        routes.Get("/slow", [this](const httplib::Request&, httplib::Response& response) {
            gate_.Wait();
            response.set_content("late", "text/plain");
        });
        server_.Start();
    }

    void TearDown() override {
        gate_.Open();
        server_.Stop();
    }

    static std::wstring Header(IXMLHTTPRequest* request, const wchar_t* name) {
        Bstr value;
        EXPECT_EQ(S_OK, request->getResponseHeader(Bstr(name), value.Out()));
        return value.str();
    }

    PlatformTest::TestHttpServer server_;
    Gate gate_;
};

TEST_F(XmlHttpRequestTest, SoapReplyReadsAsTextBytesXmlAndStream) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"POST", server_.Url("/soap")));
    ASSERT_EQ(S_OK, request->setRequestHeader(Bstr(L"Content-Type"), Bstr(L"text/xml; charset=utf-8")));
    ASSERT_EQ(S_OK, request->setRequestHeader(Bstr(L"SOAPAction"), Bstr(L"urn:test:dmws/Login")));
    VARIANT body = Text(L"<Login>\u00e9</Login>");
    ASSERT_EQ(S_OK, request->send(body));
    SysFreeString(body.bstrVal);
    PollUntilDone(request.get());

    EXPECT_EQ(200, Status(request.get()));
    EXPECT_EQ(L"OK", ReadText(request.get(), &IXMLHTTPRequest::get_statusText));
    EXPECT_EQ(L"urn:test:dmws/Login", Header(request.get(), L"x-echo-action"));
    EXPECT_EQ(L"text/xml; charset=utf-8", Header(request.get(), L"X-Echo-Type"));
    EXPECT_EQ(L"<Login>\u00e9</Login>", Header(request.get(), L"X-Echo-Body"));
    EXPECT_EQ(L"17", Header(request.get(), L"X-Echo-Length")) << "the body went as UTF-8";
    EXPECT_EQ(L"one, two", Header(request.get(), L"X-Twice"));
    EXPECT_EQ(L"", Header(request.get(), L"X-Not-Sent"));
    const std::wstring all(static_cast<const wchar_t*>(request->getAllResponseHeaders()));
    EXPECT_NE(std::wstring::npos, all.find(L"Content-Type: text/xml; charset=utf-8\r\n")) << all;

    const std::string reply(kSoapReply);
    EXPECT_EQ(Platform::Utf8ToWide(reply), ReadText(request.get(), &IXMLHTTPRequest::get_responseText));

    VARIANT bytes{};
    ASSERT_EQ(S_OK, request->get_responseBody(&bytes));
    ASSERT_EQ(VT_ARRAY | VT_UI1, bytes.vt);
    ASSERT_EQ(1, bytes.parray->cDims);
    EXPECT_EQ(0, bytes.parray->rgsabound[0].lLbound);
    EXPECT_EQ(reply, std::string(static_cast<const char*>(bytes.parray->pvData),
                                 bytes.parray->rgsabound[0].cElements));
    SafeArrayDestroy(bytes.parray);

    Ref<IDispatch> xml;
    ASSERT_EQ(S_OK, request->get_responseXML(xml.Out()));
    Ref<IXMLDOMDocument2> document;
    ASSERT_EQ(S_OK, xml->QueryInterface(document.Out()));
    Ref<IXMLDOMNode> token;
    ASSERT_EQ(S_OK, document->selectSingleNode(Bstr(L"//LoginResult"), token.Out()));
    EXPECT_EQ(L"token-\u00e9", ReadText(token.get(), &IXMLDOMNode::get_text));

    VARIANT stream{};
    ASSERT_EQ(S_OK, request->get_responseStream(&stream));
    ASSERT_EQ(VT_UNKNOWN, stream.vt);
    Ref<IStream> reader;
    ASSERT_EQ(S_OK, stream.punkVal->QueryInterface(reader.Out()));
    stream.punkVal->Release();
    std::string streamed(reply.size() + 10, '\0');
    ULONG read = 0;
    EXPECT_EQ(S_FALSE, reader->Read(streamed.data(), static_cast<ULONG>(streamed.size()), &read));
    streamed.resize(read);
    EXPECT_EQ(reply, streamed);
}

// An array over shared data lends its bytes to the request, which keeps them alive when the caller
// destroys the array at once; any other array is copied. Both go out as their bytes.
TEST_F(XmlHttpRequestTest, AByteArrayIsSentAsItsBytesWhetherItSharesThemOrNot) {
    const std::string sent = "DIME message, record 1 and record 2";
    for (const bool shared : {false, true}) {
        auto owner = std::make_shared<std::string>(sent);
        const std::weak_ptr<std::string> watched = owner;
        const auto size = static_cast<ULONG>(sent.size());
        SAFEARRAY* array = shared ? Platform::SafeArrayCreateVectorOver(VT_UI1, size, owner->data(), owner)
                                  : SafeArrayCreateVector(VT_UI1, 0, size);
        ASSERT_NE(array, nullptr);
        if (!shared) {
            std::memcpy(array->pvData, sent.data(), sent.size());
        }
        Ref<IXMLHTTPRequest> request = NewRequest();
        ASSERT_EQ(S_OK, Open(request.get(), L"POST", server_.Url("/soap")));
        VARIANT body{};
        body.vt = VT_ARRAY | VT_UI1;
        body.parray = array;
        ASSERT_EQ(S_OK, request->send(body));
        ASSERT_EQ(S_OK, SafeArrayDestroy(array));
        owner.reset();
        EXPECT_EQ(!watched.expired(), shared);
        PollUntilDone(request.get());
        EXPECT_EQ(Platform::Utf8ToWide(sent), Header(request.get(), L"X-Echo-Body")) << shared;
    }
}

// A line break in a header would end it and start another one on the wire: the header is refused,
// the request goes on without it.
TEST_F(XmlHttpRequestTest, HeaderWithALineBreakIsRefused) {
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } injected[] = {
        {L"X-Note", L"a\r\nX-Injected: yes"}, {L"X-Note", L"a\nX-Injected: yes"},
        {L"X-Note", L"a\rX-Injected: yes"},   {L"X-Injected: yes\r\nX-Note", L"a"},
        {L"X-Injected: yes\nX-Note", L"a"},
    };
    for (const auto& header : injected) {
        Ref<IXMLHTTPRequest> request = NewRequest();
        ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/header-names"), false));
        EXPECT_EQ(E_INVALIDARG, request->setRequestHeader(Bstr(header.name), Bstr(header.value)))
            << Platform::WideToUtf8(header.name) << ": " << Platform::WideToUtf8(header.value);
        ASSERT_EQ(S_OK, request->setRequestHeader(Bstr(L"X-Kept"), Bstr(L"b")));
        VARIANT none{};
        ASSERT_EQ(S_OK, request->send(none));
        const std::wstring names = ReadText(request.get(), &IXMLHTTPRequest::get_responseText);
        EXPECT_NE(std::wstring::npos, names.find(L"X-Kept\n")) << names;
        EXPECT_EQ(std::wstring::npos, names.find(L"X-Injected")) << names;
        EXPECT_EQ(std::wstring::npos, names.find(L"X-Note")) << names;
    }
}

TEST_F(XmlHttpRequestTest, TextFollowsTheCharsetOfTheReply) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/latin1"), false));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    EXPECT_EQ(L"caf\u00e9", ReadText(request.get(), &IXMLHTTPRequest::get_responseText));
}

TEST_F(XmlHttpRequestTest, NoContentReadsAs1223) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/empty")));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    PollUntilDone(request.get());
    EXPECT_EQ(1223, Status(request.get()));
    EXPECT_EQ(L"", ReadText(request.get(), &IXMLHTTPRequest::get_responseText));
}

TEST_F(XmlHttpRequestTest, RefusedConnectionCompletesWithWinInetCode) {
    // A port that was just free: nothing listens on it.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    socklen_t length = sizeof(address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/";

    Ref<IXMLHTTPRequest> async = NewRequest();
    ASSERT_EQ(S_OK, Open(async.get(), L"GET", url));
    VARIANT none{};
    ASSERT_EQ(S_OK, async->send(none));
    PollUntilDone(async.get());
    EXPECT_EQ(12029, Status(async.get()));
    // The status text says what the connection met, with the host and port it went to.
    const std::wstring statusText = ReadText(async.get(), &IXMLHTTPRequest::get_statusText);
    EXPECT_NE(std::wstring::npos, statusText.find(L"Connection refused")) << statusText;
    EXPECT_NE(std::wstring::npos,
              statusText.find(L"127.0.0.1 port " + std::to_wstring(ntohs(address.sin_port))))
        << statusText;
    Bstr text;
    EXPECT_EQ(static_cast<HRESULT>(0x80072EFD), async->get_responseText(text.Out()));

    Ref<IXMLHTTPRequest> sync = NewRequest();
    ASSERT_EQ(S_OK, Open(sync.get(), L"GET", url, false));
    EXPECT_EQ(static_cast<HRESULT>(0x80072EFD), sync->send(none));
}

TEST_F(XmlHttpRequestTest, SlowReplyIsPendingUntilItArrives) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/slow")));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    for (int pass = 0; pass < 20; ++pass) {
        LONG state = 0;
        ASSERT_EQ(S_OK, request->get_readyState(&state));
        EXPECT_EQ(1, state);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    LONG status = 0;
    EXPECT_EQ(E_PENDING, request->get_status(&status));
    Bstr text;
    EXPECT_EQ(E_PENDING, request->get_responseText(text.Out()));
    gate_.Open();
    PollUntilDone(request.get());
    EXPECT_EQ(200, Status(request.get()));
    EXPECT_EQ(L"late", ReadText(request.get(), &IXMLHTTPRequest::get_responseText));
}

TEST_F(XmlHttpRequestTest, AbortEndsAPendingRequest) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/slow")));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    LONG state = -1;
    request->get_readyState(&state);
    EXPECT_EQ(1, state);
    ASSERT_EQ(S_OK, request->abort());
    request->get_readyState(&state);
    EXPECT_EQ(0, state);
    LONG status = 0;
    EXPECT_EQ(E_PENDING, request->get_status(&status));
    EXPECT_EQ(E_UNEXPECTED, request->send(none)) << "open comes first";

    gate_.Open();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/latin1")));
    ASSERT_EQ(S_OK, request->send(none));
    PollUntilDone(request.get());
    EXPECT_EQ(200, Status(request.get()));
}

} // namespace
