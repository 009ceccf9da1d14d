// A hostile or broken server against the XMLHTTP object: bodies past the limit, endless or foreign
// redirects, replies that stall, a document type in the reply. The limits are set short through the
// environment.
#include "Platform/MsXml.h"
#include "tests/Platform/TestHttpServer.h"
#include "tests/Platform/XmlHttpTestSupport.h"
#include "tests/Support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace {

using PlatformTest::Gate;
using PlatformTest::NewRequest;
using PlatformTest::Open;
using PlatformTest::PollUntilDone;
using PlatformTest::Ref;
using PlatformTest::Status;
using TestSupport::ScopedEnvironment;

constexpr std::size_t kChunk = 64 * 1024;
constexpr HRESULT kInvalidReply = static_cast<HRESULT>(0x80072F78); // HRESULT_FROM_WIN32(12152)

class XmlHttpLimitsTest : public testing::Test {
protected:
    void SetUp() override {
        auto& routes = server_.Routes();
        // Declares a body of 5 GiB and starts sending it.
        routes.Get("/declared-huge", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(std::uint64_t{5} << 30, "application/octet-stream",
                                          [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                              const std::string chunk(kChunk, 'x');
                                              return sink.write(chunk.data(), chunk.size());
                                          });
        });
        // A chunked body of the size the path names, with no declared length.
        routes.Get(R"(/chunked/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
            const std::size_t total = std::stoul(request.matches[1]);
            response.set_chunked_content_provider(
                "application/octet-stream",
                [total, sent = std::size_t{0}](std::size_t, httplib::DataSink& sink) mutable {
                    if (sent == total) {
                        sink.done();
                        return true;
                    }
                    const std::string chunk(std::min(kChunk, total - sent), 'x');
                    sent += chunk.size();
                    return sink.write(chunk.data(), chunk.size());
                });
        });
        // /hop/N redirects to /hop/N-1; /hop/0 answers.
        routes.Get(R"(/hop/(\d+))", [this](const httplib::Request& request, httplib::Response& response) {
            const int left = std::stoi(request.matches[1]);
            if (left == 0) {
                response.set_content("arrived", "text/plain");
            } else {
                response.set_redirect(server_.NarrowUrl("/hop/" + std::to_string(left - 1)));
            }
        });
        routes.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("file:///etc/hostname");
        });
        // Headers and one byte, then nothing until the gate opens.
        routes.Get("/stall-in-body", [this](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
                sink.write("x", 1);
                gate_.Wait();
                sink.done();
                return true;
            });
        });
        // Nothing at all until the gate opens.
        routes.Get("/stall-before-headers", [this](const httplib::Request&, httplib::Response& response) {
            gate_.Wait();
            response.set_content("late", "text/plain");
        });
        routes.Get("/doctype", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<!DOCTYPE a [<!ENTITY x \"x\">]><a>&x;</a>", "text/xml");
        });
        server_.Start();
    }

    void TearDown() override {
        gate_.Open();
        server_.Stop();
    }

    // The finished request's status and the result of reading its body as bytes.
    std::pair<LONG, HRESULT> Get(const std::string& path) {
        Ref<IXMLHTTPRequest> request = NewRequest();
        EXPECT_EQ(S_OK, Open(request.get(), L"GET", server_.Url(path)));
        VARIANT none{};
        EXPECT_EQ(S_OK, request->send(none));
        PollUntilDone(request.get());
        VARIANT body{};
        const HRESULT read = request->get_responseBody(&body);
        if (SUCCEEDED(read)) {
            lastBodySize_ = body.parray->rgsabound[0].cElements;
            SafeArrayDestroy(body.parray);
        }
        return {Status(request.get()), read};
    }

    PlatformTest::TestHttpServer server_;
    Gate gate_;
    ULONG lastBodySize_ = 0;
};

TEST_F(XmlHttpLimitsTest, DeclaredLengthBeyondAByteArrayIsRefusedBeforeTheBodyIsHeld) {
    EXPECT_EQ((std::pair<LONG, HRESULT>{12152, kInvalidReply}), Get("/declared-huge"));
}

TEST_F(XmlHttpLimitsTest, ChunkedBodyIsRefusedOnceItPassesTheLimit) {
    const ScopedEnvironment limit("KOVA_HTTP_MAX_BODY", std::to_string(16 * kChunk));
    EXPECT_EQ((std::pair<LONG, HRESULT>{200, S_OK}), Get("/chunked/" + std::to_string(16 * kChunk)));
    EXPECT_EQ(16 * kChunk, lastBodySize_) << "a body of exactly the limit is whole";
    EXPECT_EQ((std::pair<LONG, HRESULT>{12152, kInvalidReply}),
              Get("/chunked/" + std::to_string(16 * kChunk + 1)));
    EXPECT_EQ((std::pair<LONG, HRESULT>{12152, kInvalidReply}),
              Get("/chunked/" + std::to_string(64 * kChunk)));
}

TEST_F(XmlHttpLimitsTest, RedirectsAreFollowedFiveTimesAtMost) {
    EXPECT_EQ(200, Get("/hop/5").first);
    EXPECT_EQ(12156, Get("/hop/6").first) << "ERROR_HTTP_REDIRECT_FAILED";
}

TEST_F(XmlHttpLimitsTest, RedirectToAnotherSchemeIsRefused) {
    EXPECT_EQ(12006, Get("/to-file").first) << "ERROR_INTERNET_UNRECOGNIZED_SCHEME";
}

TEST_F(XmlHttpLimitsTest, ReplyWithoutProgressEndsAsATimeOut) {
    const ScopedEnvironment stall("KOVA_HTTP_STALL_TIMEOUT", "1");
    EXPECT_EQ(12002, Get("/stall-before-headers").first);
    EXPECT_EQ(12002, Get("/stall-in-body").first);
}

TEST_F(XmlHttpLimitsTest, ConnectionThatIsNeverAcceptedEndsAsATimeOut) {
    // A listening socket whose backlog is full: the kernel leaves further handshakes unanswered.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, listen(listener, 0));
    socklen_t length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int filler = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(0, connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address)));

    const ScopedEnvironment connect("KOVA_HTTP_CONNECT_TIMEOUT", "1");
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET",
                         L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/"));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    PollUntilDone(request.get());
    EXPECT_EQ(12002, Status(request.get()));
    close(filler);
    close(listener);
}

TEST_F(XmlHttpLimitsTest, ReplyWithADocumentTypeParsesToNoDocument) {
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server_.Url("/doctype")));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    PollUntilDone(request.get());
    Ref<IDispatch> xml;
    ASSERT_EQ(S_OK, request->get_responseXML(xml.Out()));
    Ref<IXMLDOMDocument2> document;
    ASSERT_EQ(S_OK, xml->QueryInterface(document.Out()));
    Ref<IXMLDOMElement> root;
    EXPECT_EQ(S_FALSE, document->get_documentElement(root.Out()));
}

} // namespace
