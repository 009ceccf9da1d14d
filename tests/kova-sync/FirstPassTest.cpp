// A first pass into a directory that holds the user's files is refused and touches nothing; a
// directory mirrored from another start point is refused too.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

class FirstPassTest : public DriverFixture {
protected:
    void SetUp() override {
        Serve("<container id=\"1\" title=\"Library\" dir=\"lib\">" + DocumentXml(11, "Welcome.txt") +
                  "</container>",
              {{"lib/Welcome.txt", "the server's welcome"}});
    }
};

TEST_F(FirstPassTest, ADirectoryHoldingTheUsersFilesIsRefusedWithNothingTouched) {
    WriteText(MirrorDir() / "Welcome.txt", "my own notes");
    const DriverResult result = Sync();
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err,
                HasSubstr("already holds files and is not a kova-sync mirror; nothing was changed"));
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("Welcome.txt", "my own notes")));
    EXPECT_FALSE(fs::exists(MirrorDir() / ".kova-sync"));
}

TEST_F(FirstPassTest, AnEmptyDirectoryIsMirroredAndThenRefusesAnotherStartPoint) {
    fs::create_directories(MirrorDir());
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("Welcome.txt", "the server's welcome")));
    const DriverResult other =
        Run({"sync", StartPoint() + "0", "--into", MirrorDir().string()}); // container 10
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_THAT(other.err, HasSubstr("mirrors " + StartPoint() + ", not"));
}

TEST_F(FirstPassTest, OptionsMayComeFirstAndTheProgressSaysWhatItDoes) {
    const DriverResult result = Run({"sync", "--into", MirrorDir().string(), StartPoint()});
    ASSERT_EQ(result.exitCode, 0) << Printed();
    EXPECT_THAT(result.out, HasSubstr("Connecting to " + StartPoint() + "\n"));
    EXPECT_THAT(result.out, HasSubstr("  new      Welcome.txt (20 bytes)\n"));
    EXPECT_THAT(result.out, HasSubstr("; 20 bytes downloaded\n"));
}

TEST_F(FirstPassTest, AMirrorRefusesAnotherStartPointEvenOfAServerThatDoesNotExist) {
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    const std::string other = "Meridio://127.0.0.1:1/container/3";
    const DriverResult result = Run({"sync", other, "--into", MirrorDir().string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, HasSubstr(MirrorDir().string() + " mirrors " + StartPoint() + ", not " + other +
                                      "; nothing was changed."));
    EXPECT_THAT(MirrorFiles(), ElementsAre(Pair("Welcome.txt", "the server's welcome")));
}

// A first pass that cannot run takes away the directory it made, and keeps one the user made.
TEST_F(FirstPassTest, AFailedFirstPassLeavesNoDirectoryItMade) {
    const struct {
        std::string startPoint;
        std::string says;
    } cases[] = {
        {"Meridio://127.0.0.1:" + std::to_string(Server().Port()) + "/container", "see kova-sync help sync"},
        {"Meridio://127.0.0.1:1/container/1", "raw_SetSyncStartPointByString failed"},
        {"Meridio://127.0.0.1:" + std::to_string(Server().Port()) + "/container/99",
         "raw_SetSyncStartPointByString failed"},
    };
    for (const auto& c : cases) {
        const DriverResult result = Run({"sync", c.startPoint, "--into", MirrorDir().string()});
        EXPECT_EQ(result.exitCode, 2) << Printed();
        EXPECT_THAT(result.err, HasSubstr(c.says)) << Printed();
        EXPECT_THAT(result.err, Not(HasSubstr("turn the filter's log on")));
        EXPECT_FALSE(fs::exists(MirrorDir())) << c.startPoint;
    }
    fs::create_directories(MirrorDir());
    EXPECT_EQ(Run({"sync", cases[1].startPoint, "--into", MirrorDir().string()}).exitCode, 2);
    EXPECT_TRUE(fs::is_empty(MirrorDir()));
}

TEST_F(FirstPassTest, WithLoggingOnTheLastLineNamesTheLogFile) {
    ASSERT_EQ(Run({"config", "set", "KOVA.LogDir", (work_.path() / "logs").string()}).exitCode, 0);
    ASSERT_EQ(Run({"config", "set", "KOVA.Log.Error", "1"}).exitCode, 0);
    const DriverResult result = Sync();
    ASSERT_EQ(result.exitCode, 0) << Printed();
    const std::string folder = (work_.path() / "logs" / "KOVA Logs").string();
    const std::size_t named = result.out.rfind("\nLog: " + folder + "/kova-sync-");
    ASSERT_NE(named, std::string::npos) << Printed();
    EXPECT_EQ(result.out.back(), '\n');
    // The pass's file holds what the user's setting adds: here the log's set-up record.
    const std::string file = result.out.substr(named + 6, result.out.size() - named - 7);
    EXPECT_THAT(ReadText(file), HasSubstr("Logging initialised for "));
}

TEST_F(FirstPassTest, BadArgumentsExitWithTwo) {
    EXPECT_EQ(Run({"sync", StartPoint()}).exitCode, 2);
    EXPECT_EQ(Run({"sync", StartPoint(), "--into", MirrorDir().string(), "--bogus"}).exitCode, 2);
    const DriverResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("130  stopped by Ctrl-C"));
}

} // namespace
} // namespace KovaSyncTest
