// What the server did comes down to the mirror: a folder deleted there while this mirror holds new
// or edited files in it is kept, reported, and goes up again with them; a title changed there renames
// the file; a document moved there moves the file, and an edit of it goes to that document.
#include "tests/kova-sync/TwoWayFixture.h"

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

class ServerSideTest : public TwoWayFixture {};

TEST_F(ServerSideTest, AFolderDeletedThereWithFilesChangedHereGoesUpAgain) {
    ServeLibrary();
    WriteText(Local("Minutes/january.txt"), "january");
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    const long minutes = ChildContainer(1, "Minutes");
    ASSERT_NE(minutes, 0);
    Server().ChangeRepository(
        [&](DemoMeridio::Repository& repository) { repository.DeleteContainer(minutes); });
    WriteText(Local("Minutes/january.txt"), "january, edited");
    WriteText(Local("Minutes/february.txt"), "february");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err,
                HasSubstr("kept     folder Minutes: deleted on the server, but it holds files changed or "
                          "made here"));
    EXPECT_EQ(ReadText(Local("Minutes/january.txt")), "january, edited");
    EXPECT_EQ(ReadText(Local("Minutes/february.txt")), "february");

    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    const long again = ChildContainer(1, "Minutes");
    ASSERT_NE(again, 0);
    EXPECT_THAT(ServerDocuments(again),
                UnorderedElementsAre(Pair("january", "january, edited"), Pair("february", "february")));
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
