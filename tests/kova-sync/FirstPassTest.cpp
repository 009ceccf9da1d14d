// A first pass into a directory that holds the user's files is refused and touches nothing; a
// directory mirrored from another start point is refused too.
#include "tests/kova-sync/DriverFixture.h"

#include <gmock/gmock.h>

namespace KovaSyncTest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
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

TEST_F(FirstPassTest, BadArgumentsExitWithTwo) {
    EXPECT_EQ(Run({"sync", StartPoint()}).exitCode, 2);
    EXPECT_EQ(Run({"sync", StartPoint(), "--into", MirrorDir().string(), "--bogus"}).exitCode, 2);
    const DriverResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("130  stopped by Ctrl-C"));
}

} // namespace
} // namespace KovaSyncTest
