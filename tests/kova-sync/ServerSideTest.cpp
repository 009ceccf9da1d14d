// What the server did comes down to the mirror: a folder deleted there while this mirror holds new
// or edited files in it is kept, reported, and goes up again with them; a title changed there renames
// the file; a document moved there moves the file, and an edit of it goes to that document.
#include "tests/kova-sync/TwoWayFixture.h"

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
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

TEST_F(ServerSideTest, ATitleChangedThereRenamesTheFile) {
    ServeLibrary();
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.FindDocument(101)->title = "meeting notes";
        repository.FindDocument(102)->title = "the new plan";
    });
    WriteText(Local("plan.md"), "the plan, edited here");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("renamed  notes.txt -> meeting notes.txt (renamed on the server)"));
    EXPECT_EQ(ReadText(Local("meeting notes.txt")), "notes");
    EXPECT_FALSE(fs::exists(Local("notes.txt")));
    // Changed here: the local name stays, the edit goes up.
    EXPECT_EQ(ReadText(Local("plan.md")), "the plan, edited here");
    EXPECT_EQ(ServerDocument(102).content, "the plan, edited here");
    ExpectQuietPass();
}

struct ServerMoveCase {
    const char* label;
    long id;
    long from;
    long to;
    const char* before; // below the mirror
    const char* after;
    const char* edit; // nullptr: unchanged here
};

void PrintTo(const ServerMoveCase& c, std::ostream* out) {
    *out << c.label;
}

class ServerMoveTest : public ServerSideTest, public ::testing::WithParamInterface<ServerMoveCase> {};

TEST_P(ServerMoveTest, MovesTheFileAndSendsTheEditToTheMovedDocument) {
    const ServerMoveCase& c = GetParam();
    ServeLibrary();
    const std::string content = ServerDocument(c.id).content;
    const std::size_t versions = ServerDocument(c.id).versions.size();
    Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        repository.RemoveReference(c.from, c.id);
        repository.FindContainer(c.to)->documentIds.push_back(c.id);
    });
    if (c.edit) {
        WriteText(Local(c.before), c.edit);
    }

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out,
                HasSubstr("moved    " + std::string(c.before) + " -> " + c.after + " (moved on the server)"));
    EXPECT_FALSE(fs::exists(Local(c.before)));
    EXPECT_EQ(ReadText(Local(c.after)), c.edit ? c.edit : content);
    const DemoMeridio::Document document = ServerDocument(c.id);
    EXPECT_EQ(document.content, c.edit ? c.edit : content);
    EXPECT_EQ(document.versions.size(), versions + (c.edit ? 1 : 0));
    EXPECT_TRUE(ContainerReferences(c.to, c.id));
    EXPECT_FALSE(ContainerReferences(c.from, c.id));
    EXPECT_EQ(CountAction(mark, "AddObject2"), c.edit ? 1u : 0u); // no new document
    ExpectQuietPass();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerMoveTest,
    ::testing::Values(ServerMoveCase{"IntoALaterFolder", 101, 1, 2, "notes.txt", "Sub/notes.txt", nullptr},
                      ServerMoveCase{"IntoALaterFolderEditedHere", 101, 1, 2, "notes.txt", "Sub/notes.txt",
                                     "notes, edited here"},
                      ServerMoveCase{"IntoAnEarlierFolder", 201, 2, 1, "Sub/inner.txt", "inner.txt", nullptr},
                      ServerMoveCase{"IntoAnEarlierFolderEditedHere", 201, 2, 1, "Sub/inner.txt", "inner.txt",
                                     "inner, edited here"}),
    [](const auto& info) { return std::string(info.param.label); });

// A document can be in several folders at once: one the server adds to another folder while its
// first one keeps it is no move, whichever folder the pass lists first.
TEST_F(ServerSideTest, ADocumentAddedToASecondFolderComesDownInBothAndMovesNothing) {
    ServeLibrary();
    const std::string notes = ServerDocument(101).content;
    const std::string inner = ServerDocument(201).content;
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.FindContainer(2)->documentIds.push_back(101); // into a later folder
        repository.FindContainer(1)->documentIds.push_back(201); // into an earlier folder
    });

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, Not(HasSubstr("moved on the server")));
    EXPECT_EQ(ReadText(Local("notes.txt")), notes);
    EXPECT_EQ(ReadText(Local("Sub/notes.txt")), notes);
    EXPECT_EQ(ReadText(Local("Sub/inner.txt")), inner);
    EXPECT_EQ(ReadText(Local("inner.txt")), inner);
    EXPECT_TRUE(ContainerReferences(1, 101) && ContainerReferences(2, 101));
    EXPECT_TRUE(ContainerReferences(1, 201) && ContainerReferences(2, 201));
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
