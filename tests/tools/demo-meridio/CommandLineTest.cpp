#include "tools/demo-meridio/CommandLine.h"

#include <gmock/gmock.h>

namespace DemoMeridio {
namespace {

using ::testing::HasSubstr;

TEST(CommandLineTest, ReadsEveryOption) {
    const ServerOptions options = ParseCommandLine(
        {"--port",         "0", "--content",          "dir", "--unc-root",          "unc",
         "--busy",         "3", "--busy-status",      "429", "--retry-after",       "10",
         "--health-score", "9", "--latency-ms",       "20",  "--download-delay-ms", "300",
         "--cut-off",      "1", "--session-requests", "5",   "--save-upload",       "up.dime"});
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.contentDir, "dir");
    EXPECT_EQ(options.uncRoot, "unc");
    EXPECT_EQ(options.faults.busyReplies, 3);
    EXPECT_EQ(options.faults.busyStatus, 429);
    EXPECT_EQ(options.faults.retryAfterSeconds, 10);
    EXPECT_EQ(options.faults.healthScore, 9);
    EXPECT_EQ(options.faults.latency, std::chrono::milliseconds(20));
    EXPECT_EQ(options.faults.downloadDelay, std::chrono::milliseconds(300));
    EXPECT_EQ(options.faults.cutOffReplies, 1);
    EXPECT_EQ(options.faults.sessionRequests, 5);
    EXPECT_EQ(options.uploadCopy, "up.dime");
}

TEST(CommandLineTest, RefusesWhatItCannotUse) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--port", "1"}, "--content DIR is required"},
        {{"--content", "d", "--verbose", "1"}, "unknown option --verbose"},
        {{"--content"}, "needs a value"},
        {{"--content", "d", "--port", "70000"}, "--port needs a number"},
        {{"--content", "d", "--busy-status", "500"}, "503 or 429"},
        {{"--content", "d", "--latency-ms", "ten"}, "--latency-ms needs a number"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            ParseCommandLine(arguments);
            ADD_FAILURE() << message;
        } catch (const std::invalid_argument& error) {
            EXPECT_THAT(error.what(), HasSubstr(message));
        }
    }
}

} // namespace
} // namespace DemoMeridio
