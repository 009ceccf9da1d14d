// A run recorded against the live server replays unchanged without it; the response files' format
// and its edge cases on real files.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHttpRequestFactory.h"
#include "tests/KOVACommon/TransportTestServer.h"
#include "tests/KOVACommon/TransportTestSupport.h"
#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace TransportTest {
namespace {

using LSHttpRequestMocks::exchangeCounter;

// What a caller saw of one exchange.
struct Outcome {
    long status = 0;
    std::string body;
    std::wstring contentType;
    long errorStatus = 0;
    std::wstring errorMessage;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Outcome& outcome) {
    return stream << outcome.status << "/" << outcome.errorStatus << " body of " << outcome.body.size();
}

struct Exchange {
    const wchar_t* method;
    std::string path;
    const wchar_t* soapAction; // none for nullptr
};

std::string Bytes(const _variant_t& body) {
    if (body.vt != (VT_ARRAY | VT_UI1)) {
        return {};
    }
    return std::string(static_cast<const char*>(body.parray->pvData), body.parray->rgsabound[0].cElements);
}

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class RecordingTest : public TransportFixture {
protected:
    RecordingTest() {
        LSDiag::runningUnderTests = true;
        SetStringSetting(L"Mock.ILSHttpRequest.BaseRecordingDirectory", directory.path().wstring().c_str());
        SetStringSetting(L"Mock.ILSHttpRequest.Config", L"run one/x");
        exchangeCounter = 0;
    }
    ~RecordingTest() override {
        LSDiag::runningUnderTests = false;
        DeleteSetting(L"Mock.ILSHttpRequest");
        DeleteSetting(L"Mock.ILSHttpRequest.Config");
    }

    std::filesystem::path RunDirectory() const { return directory.path() / "run_one_x"; }

    std::unique_ptr<ILSHttpRequest> Request(DWORD mode, const Exchange& exchange) {
        SetDwordSetting(L"Mock.ILSHttpRequest", mode);
        std::unique_ptr<ILSHttpRequest> request;
        LSHttpRequestFactory::Create(request);
        EXPECT_EQ(S_OK, request->Open(exchange.method, server.Url(exchange.path).c_str(), _variant_t(true),
                                      _variant_t(), _variant_t()));
        if (exchange.soapAction != nullptr) {
            EXPECT_EQ(S_OK, request->SetRequestHeader(L"SOAPAction", exchange.soapAction));
        }
        return request;
    }

    Outcome Run(DWORD mode, const Exchange& exchange) {
        auto request = Request(mode, exchange);
        Outcome outcome;
        try {
            CLSBaseWS::PerformAsyncSend(request, L"call", L"<Body/>", informer, false);
            outcome.status = request->GetStatus();
            outcome.body = Bytes(request->GetResponseBody());
            outcome.contentType = CStdStr<wchar_t>(request->GetResponseHeader(L"content-type"));
        } catch (const LSHttpError& error) {
            outcome.errorStatus = error.status;
            outcome.errorMessage = error.message;
        }
        return outcome;
    }

    TestSupport::TempDirectory directory;
    TransportTestServer server;
};

const std::string kBinary("PK\x03\x04\n\n\r\n\x00\xff tail", 16);

TEST_F(RecordingTest, RecordedRunReplaysUnchangedWithoutTheServer) {
    server.Script({{200, {}, "<LoginResult>t\xc3\xa9</LoginResult>"},
                   {200, {}, kBinary, "application/octet-stream"},
                   {204, {}, ""},
                   {500,
                    {},
                    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                    "<soap:Fault><faultstring>No such document</faultstring></soap:Fault></soap:Body>"
                    "</soap:Envelope>"},
                   {503, {{"Retry-After", "5"}}, "", "text/plain"}});
    const std::vector<Exchange> run = {{L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/Login"},
                                       {L"GET", "/files/doc%201.bin?version=2", nullptr},
                                       {L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/DeleteDocument"},
                                       {L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/GetDocument"},
                                       {L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/GetDocument"}};
    std::vector<Outcome> recorded;
    for (const Exchange& exchange : run) {
        recorded.push_back(Run(1, exchange));
    }
    ASSERT_EQ(9u, server.Received().size()); // the busy reply was tried five times
    EXPECT_EQ(200, recorded[0].status);
    EXPECT_EQ(kBinary, recorded[1].body);
    EXPECT_EQ(204, recorded[2].status);
    EXPECT_EQ(500, recorded[3].errorStatus);
    EXPECT_EQ(L"No such document", recorded[3].errorMessage);
    EXPECT_EQ(503, recorded[4].errorStatus);

    EXPECT_EQ("POST\n" + Narrow(server.Url("/dmws/meridiodmws.asmx")) + "\nLogin\n\n",
              FileText(RunDirectory() / "kovacommon_tests_000001_req_POST_Login.txt"));
    EXPECT_TRUE(std::filesystem::exists(RunDirectory() / "kovacommon_tests_000002_res_GET_doc_201_bin.txt"));
    EXPECT_EQ("!!!HttpError!!!\n503\tService Unavailable",
              FileText(RunDirectory() / "kovacommon_tests_000005_res_POST_GetDocument.txt"));

    exchangeCounter = 0;
    const auto delaysBefore = informer->DelaysBegun().size();
    for (std::size_t at = 0; at < run.size(); ++at) {
        EXPECT_EQ(recorded[at], Run(2, run[at])) << at;
    }
    EXPECT_EQ(9u, server.Received().size());
    EXPECT_EQ(delaysBefore, informer->DelaysBegun().size()); // a replayed 503 is not retried
}

TEST_F(RecordingTest, ReplayInAnotherOrderFails) {
    server.Script({{200, {}, "<A/>"}});
    const Exchange first{L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/Login"};
    const Exchange second{L"POST", "/dmws/meridiodmws.asmx", L"urn:dmws/Logout"};
    Run(1, first);
    Run(1, second);
    exchangeCounter = 0;
    auto request = Request(2, second);
    try {
        request->PerformAsyncVariantSend(L"call", _variant_t(), false, nullptr, false, false, true);
        FAIL() << "an exchange replayed out of order";
    } catch (long hr) {
        EXPECT_EQ(E_FAIL, static_cast<HRESULT>(hr));
    }
}

// The player on files written by hand.
class PlayerFileTest : public RecordingTest {
protected:
    PlayerFileTest() {
        std::filesystem::create_directories(RunDirectory());
        WriteFile(RunDirectory() / "kovacommon_tests_000001_req_POST_Get.txt",
                  "POST\n" + Narrow(server.Url("/s")) + "\nGet\n\n");
    }
    std::filesystem::path ResponseFile() const {
        return RunDirectory() / "kovacommon_tests_000001_res_POST_Get.txt";
    }

    std::unique_ptr<ILSHttpRequest> Replayed() {
        auto request = Request(2, {L"POST", "/s", L"urn:x/Get"});
        request->PerformAsyncVariantSend(L"call", _variant_t(), false, nullptr, false, false, true);
        return request;
    }
};

HRESULT ThrownHResult(const std::function<void()>& action) {
    try {
        action();
    } catch (long hr) {
        return static_cast<HRESULT>(hr);
    }
    return S_OK;
}

TEST_F(PlayerFileTest, ResponseWithoutHeadersCountsAsNotLoaded) {
    WriteFile(ResponseFile(), "HTTP/1.1 200 OK\n\n");
    auto request = Replayed();
    EXPECT_EQ(E_FAIL, ThrownHResult([&] { request->GetStatus(); }));
    EXPECT_EQ(E_PENDING, ThrownHResult([&] { request->GetResponseBody(); }));
    EXPECT_EQ(E_PENDING, ThrownHResult([&] { request->GetResponseText(); }));
}

TEST_F(PlayerFileTest, HeadersAndBodyAreReadBackExactly) {
    WriteFile(ResponseFile(),
              "HTTP/1.1 200   All fine\nX-Empty: \nContent-Type: text/xml\r\nNoColon\n\nbody\n\nmore");
    auto request = Replayed();
    EXPECT_EQ(200, request->GetStatus());
    EXPECT_EQ(std::wstring(L"All fine"), std::wstring(request->GetStatusText()));
    EXPECT_EQ(std::wstring(L""), std::wstring(request->GetResponseHeader(L"x-empty")));
    EXPECT_EQ(std::wstring(L"text/xml"), std::wstring(request->GetResponseHeader(L"CONTENT-TYPE")));
    EXPECT_EQ(std::wstring(L"NoColon"), std::wstring(request->GetResponseHeader(L"NoColon")));
    EXPECT_EQ(nullptr, static_cast<const wchar_t*>(request->GetResponseHeader(L"Missing")));
    EXPECT_EQ(std::wstring(L"X-Empty: \nContent-Type: text/xml\nNoColon: NoColon\n\n"),
              std::wstring(request->GetAllResponseHeaders()));
    EXPECT_EQ("body\n\nmore", Bytes(request->GetResponseBody()));
    EXPECT_EQ(std::wstring(L"body\n\nmore"), std::wstring(request->GetResponseText()));
    const _variant_t stream = request->GetResponseStream();
    ASSERT_EQ(VT_UNKNOWN, stream.vt);
}

TEST_F(PlayerFileTest, RecordedErrorIsThrownWithoutRetry) {
    WriteFile(ResponseFile(), "!!!HttpError!!!\n503\tServer busy\tnow");
    try {
        Replayed();
        FAIL() << "the error was not replayed";
    } catch (const LSHttpError& error) {
        EXPECT_EQ(503, error.status);
        EXPECT_EQ(L"Server busy\tnow", error.message);
        EXPECT_EQ(0u, error.retryAfterSeconds);
    }
}

TEST_F(PlayerFileTest, MalformedResponseFilesFail) {
    const struct {
        std::string text;
        HRESULT expected;
    } cases[] = {{"\xef\xbb\xbfHTTP/1.1 200 OK\nA: b\n\n", E_FAIL},
                 {"HTTP/1.0 200 OK\nA: b\n\n", E_FAIL},
                 {"HTTP/1.1 200 OK", E_FAIL},
                 {"HTTP/1.1 OK\nA: b\n\n", E_FAIL},
                 {"!!!HttpError!!!\n503 no tab", E_INVALIDARG},
                 {"!!!HttpError!!!\n  \tmessage", E_INVALIDARG},
                 {"!!!HttpError!!!", E_INVALIDARG},
                 {"!!!HttpError!!!\n", E_INVALIDARG}};
    for (const auto& entry : cases) {
        WriteFile(ResponseFile(), entry.text);
        exchangeCounter = 0;
        EXPECT_EQ(entry.expected, ThrownHResult([&] { Replayed(); })) << entry.text;
    }
}

TEST_F(PlayerFileTest, RecordingFilesThatAreNotUtf8Fail) {
    WriteFile(ResponseFile(), "HTTP/1.1 200 OK\nX-Name: \xff\xfe\n\nbody");
    EXPECT_EQ(E_FAIL, ThrownHResult([&] { Replayed(); }));
    exchangeCounter = 0;
    WriteFile(ResponseFile(), "HTTP/1.1 200 OK\nA: b\n\n");
    WriteFile(RunDirectory() / "kovacommon_tests_000001_req_POST_Get.txt", "POST\n\xc3\n");
    EXPECT_EQ(E_FAIL, ThrownHResult([&] { Replayed(); }));
}

TEST_F(PlayerFileTest, MissingResponseFileLeavesNothingLoaded) {
    LogRecords log;
    auto request = Replayed();
    EXPECT_TRUE(log.Contains("Failed to read binary file ")) << log.All();
    EXPECT_EQ(E_FAIL, ThrownHResult([&] { request->GetStatus(); }));
    EXPECT_EQ(E_PENDING, ThrownHResult([&] { request->GetResponseBody(); }));
}

TEST_F(PlayerFileTest, MissingRequestFileDoesNotMatch) {
    std::filesystem::remove(RunDirectory() / "kovacommon_tests_000001_req_POST_Get.txt");
    EXPECT_EQ(E_FAIL, ThrownHResult([&] { Replayed(); }));
}

TEST(RecordingFormatTest, HeaderLinesRoundTrip) {
    using namespace LSHttpRequestMocks;
    EXPECT_EQ(L"\n", FormatHeaderLines({}));
    const HeaderPairs headers = {{L"A", L"1"}, {L"A", L"2"}, {L"Empty", L""}};
    EXPECT_EQ(L"A: 1\nA: 2\nEmpty: \n\n", FormatHeaderLines(headers));
    EXPECT_EQ(headers, ParseHeaderLines(FormatHeaderLines(headers)));
    EXPECT_EQ((HeaderPairs{{L"B", L"x:y"}, {L" lead", L"lead"}}),
              ParseHeaderLines(L"B:x:y\r\r\n lead\n\nC: z\n"));
}

TEST(RecordingFormatTest, ErrorRecordsRoundTrip) {
    using namespace LSHttpRequestMocks;
    EXPECT_EQ(L"500\tNo such document", HttpErrorToString(LSHttpError(500, L"No such document", L"{}", 9)));
    const LSHttpError parsed = HttpErrorFromString(L"500\tNo such document");
    EXPECT_EQ(500, parsed.status);
    EXPECT_EQ(L"No such document", parsed.message);
    EXPECT_EQ(0, HttpErrorFromString(L"abc\tx").status);
    EXPECT_THROW(HttpErrorFromString(L"no tab"), long);
}

TEST(RecordingFormatTest, BlankInTheUrlNeverMatches) {
    using namespace LSHttpRequestMocks;
    const RecordedRequest current{L"POST", L"http://h/a b", L"Get"};
    EXPECT_FALSE(MatchesRecordedRequest({L"POST", L"http://h/a", L"b"}, current));
    EXPECT_TRUE(MatchesRecordedRequest({L"GET", L"http://h/a?x=1", L""}, {L"GET", L"http://h/a?x=2", L""}));
    EXPECT_FALSE(MatchesRecordedRequest({L"PUT", L"http://h/a?x=1", L""}, {L"PUT", L"http://h/a?x=2", L""}));
}

} // namespace
} // namespace TransportTest
