// Session expiry and the fault switches.

#include "ServerFixture.h"

#include <chrono>
#include <gmock/gmock.h>

namespace DemoMeridio::Testing {
namespace {

using ::testing::HasSubstr;

class SessionAndFaultTest : public ServerFixture {
protected:
    httplib::Result Listing(const std::string& token) {
        return Post(Service::SCWS, "OutlookGetContainerFullEx",
                    Operation(Service::SCWS, "OutlookGetContainerFullEx", "<containerId>2</containerId>"),
                    token);
    }
    httplib::Result Download(const std::string& token) {
        return Post(Service::DMWS, "GetLatestVersionFile",
                    Operation(Service::DMWS, "GetLatestVersionFile", "<docId>102</docId>"), token);
    }
};

TEST_F(SessionAndFaultTest, UnknownTokenIsAnExpiredSessionInEachServicesWords) {
    const auto scws = Listing("no-such-token");
    ASSERT_TRUE(scws);
    EXPECT_EQ(scws->status, 500);
    EXPECT_THAT(ElementText(scws->body, "faultstring").value_or(""),
                HasSubstr("The Session Key you specified does not exist"));
    const auto dmws = Download("no-such-token");
    ASSERT_TRUE(dmws);
    EXPECT_EQ(dmws->status, 500);
    EXPECT_THAT(ElementText(dmws->body, "faultstring").value_or(""),
                HasSubstr("API Error 23031: The session key you specified does not exist or has expired."));
}

TEST_F(SessionAndFaultTest, SessionExpiresAfterItsRequestsAndANewLoginServesAgain) {
    server_->ExpireSessionsAfter(2);
    const std::string token = Login();
    EXPECT_EQ(Listing(token)->status, 200);
    EXPECT_EQ(Download(token)->status, 200);
    const auto expired = Listing(token);
    EXPECT_EQ(expired->status, 500);
    EXPECT_THAT(ElementText(expired->body, "faultstring").value_or(""), HasSubstr("does not exist"));
    EXPECT_EQ(Listing(Login())->status, 200);
    server_->ExpireSessionsAfter(std::nullopt);
    EXPECT_EQ(Listing(token)->status, 200);
}

TEST_F(SessionAndFaultTest, BusyRepliesWithAndWithoutRetryAfterThenNormalService) {
    const std::string token = Login();
    server_->FailNextRequests(2, 503, 7);
    for (int i = 0; i < 2; ++i) {
        const auto busy = Listing(token);
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->status, 503);
        EXPECT_EQ(busy->get_header_value("Retry-After"), "7");
    }
    server_->FailNextRequests(1, 429);
    const auto tooMany = Listing(token);
    EXPECT_EQ(tooMany->status, 429);
    EXPECT_FALSE(tooMany->has_header("Retry-After"));
    EXPECT_EQ(Listing(token)->status, 200);
}

TEST_F(SessionAndFaultTest, HealthScoreHeaderOnEveryReplyUntilCleared) {
    server_->SetHealthScore(9);
    const auto reply = Listing(Login());
    EXPECT_EQ(reply->get_header_value("X-SharePointHealthScore"), "9");
    server_->SetHealthScore(std::nullopt);
    EXPECT_FALSE(Listing(Login())->has_header("X-SharePointHealthScore"));
}

TEST_F(SessionAndFaultTest, CutOffReplyEndsBeforeItsAnnouncedLength) {
    const std::string token = Login();
    server_->CutOffNextReplies(1);
    const auto cut = Listing(token);
    EXPECT_FALSE(cut) << "a reply shorter than its Content-Length must fail on the client";
    const auto whole = Listing(token);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->status, 200);
}

TEST_F(SessionAndFaultTest, LatencyDelaysTheReply) {
    const std::string token = Login();
    server_->SetLatency(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Listing(token)->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
}

TEST_F(SessionAndFaultTest, RepositoryChangesShowInLaterReplies) {
    server_->ChangeRepository([](Repository& repository) {
        repository.AddVersion(102, "new plan", "2024-05-01T12:00:00Z");
        repository.DeleteDocument(103);
    });
    const std::string token = Login();
    const auto listing = Listing(token);
    const auto rows = ElementText(listing->body, "OutlookGetContainerFullExResult").value_or("");
    EXPECT_THAT(rows, HasSubstr("VERSIONID=\"4\""));
    EXPECT_THAT(rows, HasSubstr("Prop_9_2_20=\"2024-05-01T12:00:00Z\""));
    EXPECT_THAT(rows, ::testing::Not(HasSubstr("DOCID=\"103\"")));

    const auto download = Download(token);
    const auto records = ReadDime(download->body);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].data, "new plan");

    const auto deleted = Post(Service::DMWS, "GetLatestVersionFile",
                              Operation(Service::DMWS, "GetLatestVersionFile", "<docId>103</docId>"), token);
    EXPECT_EQ(deleted->status, 500);
}

} // namespace
} // namespace DemoMeridio::Testing
