// The body as responseBody hands it out: exactly the bytes received, however the reply delimits them,
// in an array that shares them with the request rather than a copy; and responseXML of a body that
// cannot be a document.
#include "Platform/MsXml.h"
#include "tests/Platform/ComTestSupport.h"
#include "tests/Platform/XmlHttpTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using PlatformTest::NewRequest;
using PlatformTest::Open;
using PlatformTest::Ref;

// Answers every connection with the same raw reply and closes it, so that a test chooses exactly how
// the body is delimited (Content-Length, chunks, or the end of the connection).
class CannedReplyServer {
public:
    explicit CannedReplyServer(std::string reply) : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 4);
        socklen_t size = sizeof(address);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    CannedReplyServer(const CannedReplyServer&) = delete;
    CannedReplyServer& operator=(const CannedReplyServer&) = delete;
    ~CannedReplyServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }

    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/"; }

private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) != 1) {
                continue;
            }
            const int connection = accept(listener_, nullptr, nullptr);
            std::string request;
            char chunk[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = recv(connection, chunk, sizeof(chunk), 0);
                if (got <= 0) {
                    break;
                }
                request.append(chunk, static_cast<std::size_t>(got));
            }
            for (std::size_t sent = 0; sent < reply_.size();) {
                const ssize_t put =
                    send(connection, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
                if (put <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(put);
            }
            shutdown(connection, SHUT_WR);
            close(connection);
        }
    }

    std::string reply_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Bytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    }
    return bytes;
}

std::string Chunked(const std::string& body, std::size_t pieceSize) {
    std::string encoded;
    for (std::size_t at = 0; at < body.size(); at += pieceSize) {
        const std::string piece = body.substr(at, pieceSize);
        char size[32];
        std::snprintf(size, sizeof(size), "%zx\r\n", piece.size());
        encoded += size + piece + "\r\n";
    }
    return encoded + "0\r\n\r\n";
}

struct BodyCase {
    const char* name;
    std::string body;
    enum Framing { kLength, kChunks, kConnectionEnd } framing;
};

std::string RawReply(const BodyCase& c) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    switch (c.framing) {
    case BodyCase::kLength:
        return head + "Content-Length: " + std::to_string(c.body.size()) + "\r\n\r\n" + c.body;
    case BodyCase::kChunks:
        return head + "Transfer-Encoding: chunked\r\n\r\n" + Chunked(c.body, 100000);
    case BodyCase::kConnectionEnd:
        return head + "Connection: close\r\n\r\n" + c.body;
    }
    return head;
}

std::string ArrayBytes(const VARIANT& value) {
    EXPECT_EQ(VT_ARRAY | VT_UI1, value.vt);
    const SAFEARRAY* array = value.parray;
    EXPECT_EQ(1, array->cDims);
    EXPECT_EQ(0, array->rgsabound[0].lLbound);
    return std::string(static_cast<const char*>(array->pvData), array->rgsabound[0].cElements);
}

class XmlHttpBodyTest : public testing::TestWithParam<BodyCase> {};

TEST_P(XmlHttpBodyTest, ResponseBodyHoldsExactlyTheBytesReceived) {
    const BodyCase& c = GetParam();
    CannedReplyServer server(RawReply(c));
    VARIANT body{};
    VARIANT again{};
    {
        Ref<IXMLHTTPRequest> request = NewRequest();
        ASSERT_EQ(S_OK, Open(request.get(), L"GET", server.Url()));
        VARIANT none{};
        ASSERT_EQ(S_OK, request->send(none));
        PlatformTest::PollUntilDone(request.get());
        ASSERT_EQ(200, PlatformTest::Status(request.get()));
        ASSERT_EQ(S_OK, request->get_responseBody(&body));
        ASSERT_EQ(S_OK, request->get_responseBody(&again));
    }
    // The arrays outlive the request that filled them.
    EXPECT_TRUE(ArrayBytes(body) == c.body) << "the first array differs from the body sent";
    EXPECT_TRUE(ArrayBytes(again) == c.body) << "a second read differs from the body sent";
    EXPECT_EQ(S_OK, VariantClear(&body));
    EXPECT_TRUE(ArrayBytes(again) == c.body) << "destroying one array changed the other";
    EXPECT_EQ(S_OK, VariantClear(&again));
}

INSTANTIATE_TEST_SUITE_P(
    Framings, XmlHttpBodyTest,
    testing::Values(BodyCase{"Empty", "", BodyCase::kLength}, BodyCase{"EmptyChunked", "", BodyCase::kChunks},
                    BodyCase{"EmptyToTheEnd", "", BodyCase::kConnectionEnd},
                    BodyCase{"Small", std::string("a\0\xFF\r\n b", 7), BodyCase::kLength},
                    BodyCase{"SmallChunked", std::string("a\0\xFF\r\n b", 7), BodyCase::kChunks},
                    BodyCase{"SmallToTheEnd", std::string("a\0\xFF\r\n b", 7), BodyCase::kConnectionEnd},
                    // Larger than one receive: the buffer is filled over many writes.
                    BodyCase{"Large", Bytes(3u << 20), BodyCase::kLength},
                    BodyCase{"LargeChunked", Bytes(3u << 20), BodyCase::kChunks},
                    BodyCase{"LargeToTheEnd", Bytes(3u << 20), BodyCase::kConnectionEnd}),
    [](const testing::TestParamInfo<BodyCase>& info) { return std::string(info.param.name); });

struct XmlCase {
    const char* name;
    std::string body;
    bool isDocument;
};

class XmlHttpBodyXmlTest : public testing::TestWithParam<XmlCase> {};

TEST_P(XmlHttpBodyXmlTest, OnlyABodyThatCanBeADocumentGivesOne) {
    const XmlCase& c = GetParam();
    CannedReplyServer server(RawReply(BodyCase{c.name, c.body, BodyCase::kLength}));
    Ref<IXMLHTTPRequest> request = NewRequest();
    ASSERT_EQ(S_OK, Open(request.get(), L"GET", server.Url()));
    VARIANT none{};
    ASSERT_EQ(S_OK, request->send(none));
    PlatformTest::PollUntilDone(request.get());
    Ref<IDispatch> xml;
    ASSERT_EQ(S_OK, request->get_responseXML(xml.Out()));
    Ref<IXMLDOMDocument2> document;
    ASSERT_EQ(S_OK, xml->QueryInterface(document.Out()));
    Ref<IXMLDOMElement> root;
    EXPECT_EQ(c.isDocument ? S_OK : S_FALSE, document->get_documentElement(root.Out()));
}

INSTANTIATE_TEST_SUITE_P(
    Starts, XmlHttpBodyXmlTest,
    testing::Values(XmlCase{"Element", "<a/>", true}, XmlCase{"WhiteSpaceFirst", "\r\n\t <a/>", true},
                    XmlCase{"Utf8Mark", "\xEF\xBB\xBF<a/>", true},
                    XmlCase{"Utf16LittleEndianMark", std::string("\xFF\xFE<\0a\0/\0>\0", 10), true},
                    XmlCase{"Utf16BigEndianNoMark", std::string("\0<\0a\0/\0>", 8), true},
                    // A DIME message: its first byte holds the version and record flags.
                    XmlCase{"Dime", std::string("\x0C\x10\x00\x00<a/>", 8), false},
                    XmlCase{"TextFirst", "x<a/>", false}),
    [](const testing::TestParamInfo<XmlCase>& info) { return std::string(info.param.name); });

} // namespace
