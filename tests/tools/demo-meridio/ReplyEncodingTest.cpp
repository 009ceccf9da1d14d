#include "ServerFixture.h"

#include <fstream>
#include <iterator>

namespace DemoMeridio::Testing {
namespace {

struct CodingCase {
    const char* acceptEncoding;
    const char* contentEncoding; // of a text reply; empty: sent as it is
};

class ReplyEncodingTest : public ServerFixture, public testing::WithParamInterface<CodingCase> {
protected:
    httplib::Result PostAccepting(const std::string& action, const std::string& children,
                                  const std::string& token) {
        const ServiceInfo& info = InfoOf(Service::DMWS);
        const httplib::Headers headers{{"SOAPAction", std::string(info.ns) + "/" + action},
                                       {"Accept-Encoding", GetParam().acceptEncoding}};
        return client_->Post(std::string(info.path), headers,
                             RequestEnvelope(info, Operation(Service::DMWS, action, children), token),
                             "text/xml; charset=utf-8");
    }
};

// Text replies come gzip-compressed when gzip is accepted (the client decodes them), never in
// another coding; a DIME download always as it is.
TEST_P(ReplyEncodingTest, TextIsGzippedWhenAcceptedAndDownloadsAreNot) {
    const auto login = PostAccepting(
        "Login", "<userName>demo</userName><password>Demo &amp; Co 2024</password><clientWorkstation/>", "");
    ASSERT_TRUE(login);
    ASSERT_EQ(login->status, 200);
    EXPECT_EQ(login->get_header_value("Content-Encoding"), GetParam().contentEncoding);
    const std::string token = ElementText(login->body, "LoginResult").value_or("");
    ASSERT_FALSE(token.empty()) << login->body;

    const auto download = PostAccepting("GetLatestVersionFile", "<docId>101</docId>", token);
    ASSERT_TRUE(download);
    ASSERT_EQ(download->status, 200);
    EXPECT_FALSE(download->has_header("Content-Encoding"));
    const std::vector<ReadDimeRecord> records = ReadDime(download->body);
    ASSERT_EQ(records.size(), 2u);
    std::ifstream sample(DEMO_MERIDIO_SAMPLE_DIR "/Demo Library/Welcome.txt", std::ios::binary);
    EXPECT_EQ(records[1].data, std::string(std::istreambuf_iterator<char>(sample), {}));
}

INSTANTIATE_TEST_SUITE_P(AcceptEncoding, ReplyEncodingTest,
                         testing::Values(CodingCase{"gzip, deflate, br", "gzip"},
                                         CodingCase{"GZip;q=0.5", "gzip"}, CodingCase{"br", ""},
                                         CodingCase{"br, gzip;q=0", ""}, CodingCase{"identity", ""}));

} // namespace
} // namespace DemoMeridio::Testing
