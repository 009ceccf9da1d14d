// Failures are told with the host call, the item, the filter's own text and the cause its records
// tell, and the exit code says whether the pass ran.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

class FailureMessageTest : public DriverFixture {};

TEST_F(FailureMessageTest, AFailedDownloadNamesTheDocumentAndTheServersText) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "good.txt") +
              DocumentXml(12, "broken.txt", "Broken",
                          "downloadFault=\"API Error 24002: The file store is offline.\"") +
              "</container>",
          {{"lib/good.txt", "good"}, {"lib/broken.txt", "never sent"}});
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 1) << Printed();
    EXPECT_THAT(result.err, HasSubstr("raw_RetrieveItemToPath failed for \"Broken.txt\": "));
    EXPECT_THAT(result.err, HasSubstr("The file store is offline."));
    EXPECT_THAT(result.err, HasSubstr("(0x8"));
    EXPECT_THAT(result.out, HasSubstr("documents: 1 downloaded, 0 unchanged, 0 removed, 1 failed"));
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("good.txt", "good")));
}

TEST_F(FailureMessageTest, AFailedLoginStopsThePassAndNamesTheStartPoint) {
    SetPassword("another password");
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "good.txt") + "</container>",
          {{"lib/good.txt", "good"}});
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 2) << Printed();
    EXPECT_THAT(result.err, HasSubstr("raw_SetSyncStartPointByString failed for \"" + StartPoint() + "\": "));
    EXPECT_THAT(result.err, HasSubstr("(0x80004005 Unspecified error)"));
    EXPECT_FALSE(fs::exists(MirrorDir())); // the first pass made it, and takes it away again
}

TEST_F(FailureMessageTest, AServerThatIsGoneIsNamedAndTheMirrorStays) {
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "good.txt") + "</container>",
          {{"lib/good.txt", "good"}});
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    const std::string startPoint = StartPoint();
    const std::string port = std::to_string(Server().Port());
    Server().Stop();
    const DriverResult result = Run({"sync", startPoint, "--into", MirrorDir().string()});
    EXPECT_EQ(result.exitCode, 2) << Printed();
    // The refused connection in the system's words, with the host and port it went to.
    EXPECT_THAT(result.err, HasSubstr("(0x80004005 Unspecified error): "));
    EXPECT_THAT(result.err, HasSubstr("127.0.0.1 port " + port));
    EXPECT_THAT(result.err, HasSubstr("Connection refused"));
    EXPECT_EQ(ReadText(MirrorDir() / "good.txt"), "good"); // nothing of the mirror goes
}

} // namespace
} // namespace KovaSyncTest
