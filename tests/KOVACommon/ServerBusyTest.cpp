// The retry of busy replies and the health-score throttle, with waits on the manual clock.
#include "KOVACommon/LSBaseWS.h"
#include "KOVACommon/LSHttpRequestFactory.h"
#include "tests/KOVACommon/TransportTestServer.h"
#include "tests/KOVACommon/TransportTestSupport.h"
#include "tests/VantrelCommon/ChildScenarios.h"

#include <gtest/gtest.h>

#include <numeric>

namespace TransportTest {
namespace {

constexpr const char* kOk =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body/>"
    "</soap:Envelope>";

class ServerBusyTest : public TransportFixture {
protected:
    std::unique_ptr<ILSHttpRequest> OpenedRequest() {
        std::unique_ptr<ILSHttpRequest> request;
        LSHttpRequestFactory::Create(request);
        Open(*request);
        return request;
    }

    void Open(ILSHttpRequest& request) {
        EXPECT_EQ(S_OK, request.Open(L"POST", server.Url("/scws/meridioscws.asmx").c_str(), _variant_t(true),
                                     _variant_t(L"demo"), _variant_t(L"secret")));
        EXPECT_EQ(S_OK, request.SetRequestHeader(L"SOAPAction", L"urn:scws/OutlookGetContainerFullEx"));
        EXPECT_EQ(S_OK, request.SetRequestHeader(L"X-Twice", L"first"));
        EXPECT_EQ(S_OK, request.SetRequestHeader(L"X-Twice", L"second"));
    }

    static std::vector<std::string> Values(const ReceivedRequest& request, const std::string& name) {
        std::vector<std::string> values;
        for (const auto& [headerName, value] : request.headers) {
            if (headerName == name) {
                values.push_back(value);
            }
        }
        return values;
    }

    void Send(std::unique_ptr<ILSHttpRequest>& request) {
        CLSBaseWS::PerformAsyncSend(request, L"OutlookGetContainerFullEx", L"<Get/>", informer, false);
    }

    bool LightSyncOn() const {
        return !ReadStringSetting(L"SharepointSync.HealthScoreLightSyncEndTime").empty();
    }

    // The clock's waits less the 50 ms passes of the reply wait.
    std::vector<DWORD> DelayPolls() const {
        std::vector<DWORD> polls;
        for (const DWORD sleep : clock.Sleeps()) {
            if (sleep != 50) {
                polls.push_back(sleep);
            }
        }
        return polls;
    }

    TransportTestServer server;
};

TEST_F(ServerBusyTest, FiveBusyRepliesWaitFourTimesThenFail) {
    server.Script({{503, {}, "", "text/plain"}});
    auto request = OpenedRequest();
    try {
        Send(request);
        FAIL() << "the busy replies were accepted";
    } catch (const LSHttpError& error) {
        EXPECT_EQ(503, error.status);
    }
    EXPECT_EQ((std::vector<LONG>{30000, 60000, 120000, 120000}), informer->DelaysBegun());
    EXPECT_EQ(4u, informer->DelaysEnded());
    const auto polls = DelayPolls();
    EXPECT_EQ(330000u, std::accumulate(polls.begin(), polls.end(), 0u));
    EXPECT_TRUE(LightSyncOn());

    // Every try is a new object with the same method, URL and headers.
    const auto received = server.Received();
    ASSERT_EQ(5u, received.size());
    for (const ReceivedRequest& attempt : received) {
        EXPECT_EQ("POST", attempt.method);
        EXPECT_EQ("/scws/meridioscws.asmx", attempt.path);
        EXPECT_EQ("<Get/>", attempt.body);
        EXPECT_EQ("urn:scws/OutlookGetContainerFullEx", attempt.Header("SOAPAction"));
        EXPECT_EQ((std::vector<std::string>{"first", "second"}), Values(attempt, "X-Twice"));
    }
}

TEST_F(ServerBusyTest, RequestOpenedAgainRetriesWithTheHeadersOfItsLastOpenOnly) {
    server.Script({{503, {}, "", "text/plain"}, {200, {}, kOk}});
    auto request = OpenedRequest();
    Open(*request); // as a session renewal re-sends on the same object
    Send(request);
    const auto received = server.Received();
    ASSERT_EQ(2u, received.size());
    for (const ReceivedRequest& attempt : received) {
        EXPECT_EQ((std::vector<std::string>{"first", "second"}), Values(attempt, "X-Twice"));
        EXPECT_EQ((std::vector<std::string>{"urn:scws/OutlookGetContainerFullEx"}),
                  Values(attempt, "SOAPAction"));
    }
}

TEST_F(ServerBusyTest, RetryAfterSetsTheWaitAndLeavesTheFallBackDelay) {
    server.Script(
        {{429, {{"Retry-After", "10"}}, "", "text/plain"}, {503, {}, "", "text/plain"}, {200, {}, kOk}});
    auto request = OpenedRequest();
    Send(request);
    EXPECT_EQ(200, request->GetStatus());
    EXPECT_EQ((std::vector<LONG>{10000, 30000}), informer->DelaysBegun());
    EXPECT_EQ(3u, server.Received().size());
}

TEST_F(ServerBusyTest, RetryAfterOnEveryReplyWaitsItEachTime) {
    server.Script({{429, {{"Retry-After", "120"}}, "", "text/plain"}});
    auto request = OpenedRequest();
    try {
        Send(request);
        FAIL() << "the busy replies were accepted";
    } catch (const LSHttpError& error) {
        EXPECT_EQ(429, error.status);
        EXPECT_EQ(120u, error.retryAfterSeconds);
    }
    EXPECT_EQ((std::vector<LONG>{120000, 120000, 120000, 120000}), informer->DelaysBegun());
}

struct RetryAfterCase {
    const char* header;
    LONG waitMs;
};

class RetryAfterTest : public ServerBusyTest, public ::testing::WithParamInterface<RetryAfterCase> {};

// Only a plain number of seconds counts, and no wait is longer than the retry's longest delay.
TEST_P(RetryAfterTest, WaitIsAPlainNumberOfSecondsAtMostTheLongestDelay) {
    server.Script({{503, {{"Retry-After", GetParam().header}}, "", "text/plain"}, {200, {}, kOk}});
    auto request = OpenedRequest();
    Send(request);
    EXPECT_EQ((std::vector<LONG>{GetParam().waitMs}), informer->DelaysBegun());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, RetryAfterTest,
    ::testing::Values(RetryAfterCase{"10", 10000}, RetryAfterCase{"10 \t", 10000},
                      RetryAfterCase{"120", 120000}, RetryAfterCase{"121", 120000},
                      RetryAfterCase{"2147483647", 120000}, RetryAfterCase{"4294967296000", 120000},
                      RetryAfterCase{"99999999999999999999999", 120000}, RetryAfterCase{"0", 30000},
                      RetryAfterCase{"-5", 30000}, RetryAfterCase{"+10", 30000}, RetryAfterCase{"10s", 30000},
                      RetryAfterCase{"1e3", 30000}, RetryAfterCase{"Wed, 21 Oct 2015 07:28:00 GMT", 30000}));

TEST_F(ServerBusyTest, ShutdownEndsAWaitTheServerAskedForAtOnce) {
    server.Script({{503, {{"Retry-After", "2147483647"}}, "", "text/plain"}});
    clock.OnSleep([this](DWORD milliseconds) {
        if (milliseconds == 100) {
            informer->SetShutdownRequested(true);
        }
    });
    auto request = OpenedRequest();
    EXPECT_THROW(Send(request), long);
    EXPECT_EQ((std::vector<LONG>{120000}), informer->DelaysBegun());
    EXPECT_EQ(1u, informer->DelaysEnded());
    EXPECT_EQ((std::vector<DWORD>{100}), DelayPolls());
}

TEST_F(ServerBusyTest, ServerErrorIsNeverRetried) {
    server.Script({{500, {}, "<soap:Envelope/>"}});
    auto request = OpenedRequest();
    EXPECT_THROW(Send(request), LSHttpError);
    EXPECT_EQ(1u, server.Received().size());
    EXPECT_TRUE(informer->DelaysBegun().empty());
    EXPECT_FALSE(LightSyncOn());
}

TEST_F(ServerBusyTest, ShutdownDuringABusyWaitAbortsAndEndsTheDelay) {
    server.Script({{503, {}, "", "text/plain"}});
    auto request = OpenedRequest();
    // Shutdown comes while the busy wait sleeps.
    clock.OnSleep([this](DWORD milliseconds) {
        if (milliseconds == 100) {
            informer->SetShutdownRequested(true);
        }
    });
    try {
        Send(request);
        FAIL() << "the wait was not interrupted";
    } catch (long hr) {
        EXPECT_EQ(E_ABORT, static_cast<HRESULT>(hr));
    }
    EXPECT_EQ((std::vector<LONG>{30000}), informer->DelaysBegun());
    EXPECT_EQ(1u, informer->DelaysEnded());
}

TEST_F(ServerBusyTest, BusyWaitIsRefusedOnATimer) {
    server.Script({{503, {}, "", "text/plain"}});
    informer->SetOnTimer(true);
    auto request = OpenedRequest();
    try {
        Send(request);
        FAIL() << "the wait ran on a timer";
    } catch (long hr) {
        EXPECT_EQ(E_ABORT, static_cast<HRESULT>(hr));
    }
    EXPECT_EQ(1u, server.Received().size());
    EXPECT_EQ(1u, informer->DelaysEnded());
}

struct HealthCase {
    const char* score;
    bool throttled;
};

class HealthScoreTest : public ServerBusyTest, public ::testing::WithParamInterface<HealthCase> {};

TEST_P(HealthScoreTest, HighScoreSwitchesLightSyncAndPauses) {
    server.Script({{200, {{"X-SharePointHealthScore", GetParam().score}}, kOk}});
    auto request = OpenedRequest();
    Send(request);
    EXPECT_EQ(GetParam().throttled, LightSyncOn());
    const auto polls = DelayPolls();
    EXPECT_EQ(GetParam().throttled ? 5000u : 0u, std::accumulate(polls.begin(), polls.end(), 0u));
    EXPECT_TRUE(informer->DelaysBegun().empty());
}

INSTANTIATE_TEST_SUITE_P(Scores, HealthScoreTest,
                         ::testing::Values(HealthCase{"9", true}, HealthCase{"10", true},
                                           HealthCase{"10 ", true}, HealthCase{"8", false},
                                           HealthCase{"11", false}, HealthCase{"4294967305", false},
                                           HealthCase{"-1", false}, HealthCase{"9x", false},
                                           HealthCase{"busy", false}));

// One reply of score 0 under the threshold setting that the parent gives the child process.
class ThresholdProbe : public ServerBusyTest {
public:
    void TestBody() override {}
    void SendScoreZero() {
        server.Script({{200, {{"X-SharePointHealthScore", "0"}}, kOk}});
        auto request = OpenedRequest();
        Send(request);
        EXPECT_FALSE(LightSyncOn());
        EXPECT_TRUE(DelayPolls().empty());
    }
};

KOVA_CHILD_SCENARIO(HealthThresholdAboveEveryScore) {
    ThresholdProbe().SendScoreZero();
}

TEST(HealthThreshold, AThresholdAboveEveryScoreTurnsTheThrottleOff) {
    for (const std::uint32_t threshold : {11u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(threshold);
        const TestSupport::TempDirectory work;
        ChildScenarios::Options options;
        options.settings = {{"SharePointSync.HealthScoreThreshold", threshold}};
        const ChildScenarios::Result result =
            ChildScenarios::Run("HealthThresholdAboveEveryScore", work, options);
        EXPECT_EQ(result.exitCode, 0) << result.output << result.errors;
    }
}

TEST_F(ServerBusyTest, ZeroDelayReturnsAfterTheTimerCheck) {
    DelayWithShutdownCheck(informer, 0);
    EXPECT_TRUE(clock.Sleeps().empty());
    informer->SetOnTimer(true);
    EXPECT_THROW(DelayWithShutdownCheck(informer, 0), long);
}

TEST_F(ServerBusyTest, DelayWithoutInformerWaitsInStepsOfOneHundred) {
    DelayWithShutdownCheck(nullptr, 250);
    EXPECT_EQ((std::vector<DWORD>{100, 100, 100}), clock.Sleeps());
}

} // namespace
} // namespace TransportTest
