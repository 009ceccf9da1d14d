// Ctrl-C stops a pass with exit code 130 and no temporary file left; the next pass completes the
// mirror byte for byte.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class InterruptTest : public DriverFixture {};

TEST_F(InterruptTest, AStoppedPassLeavesNoTemporaryFileAndTheNextOneCompletesTheMirror) {
    std::string documents;
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> expected;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "doc" + std::to_string(i) + ".txt";
        documents += DocumentXml(100 + i, name);
        files["lib/" + name] = std::string(1000 * i, static_cast<char>('a' + i));
        expected[name] = files["lib/" + name];
    }
    Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + documents + "</container>", files);
    Server().SetLatency(std::chrono::milliseconds(200));

    const pid_t pid = Start({"sync", StartPoint(), "--into", MirrorDir().string()});
    // Stops once the first document is in place, while others are still to come.
    const fs::path first = MirrorDir() / "doc1.txt";
    for (int i = 0; i < 600 && !fs::exists(first) && !fs::exists(MirrorDir() / "doc6.txt"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGINT);
    const DriverResult stopped = Wait(pid);
    EXPECT_EQ(stopped.exitCode, 130) << Printed();
    EXPECT_THAT(stopped.err, HasSubstr("Stopped: the pass was interrupted"));
    EXPECT_THAT(stopped.err, HasSubstr("the next pass goes on from there"));
    EXPECT_TRUE(fs::is_empty(MirrorDir() / ".kova-sync" / "downloads"));

    Server().SetLatency(std::chrono::milliseconds(0));
    const DriverResult full = Sync();
    ASSERT_EQ(full.exitCode, 0) << Printed();
    EXPECT_TRUE(fs::is_empty(MirrorDir() / ".kova-sync" / "downloads"));
    EXPECT_EQ(MirrorFiles(), expected);
}

} // namespace
} // namespace KovaSyncTest
