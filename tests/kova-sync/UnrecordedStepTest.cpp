// Steps a pass cut short between a request and the journal's record of it may leave without a
// request boundary in between: a download in its place but not recorded, a folder's directory made
// but not recorded, a conflict copy made before the server's version came down. The next pass
// completes each without sending anything again, deleting anything or asking the user.
#include "kova-sync/Sqlite.h"
#include "tests/kova-sync/TwoWayFixture.h"

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class UnrecordedStepTest : public TwoWayFixture {
protected:
    // Forgets the journal's item of that local name (and what is below it), as if it was never stored.
    void Unrecord(const std::string& localName) {
        KovaSync::Database journal(Local(".kova-sync/journal.db"), "PRAGMA foreign_keys = ON;");
        KovaSync::Statement forget(journal, "DELETE FROM items WHERE local_name = ?");
        forget.Bind(1, localName).Run();
    }

    std::size_t Containers() {
        std::size_t count = 0;
        Server().ChangeRepository(
            [&](DemoMeridio::Repository& repository) { count = repository.ChildContainers(1).size(); });
        return count;
    }
};

TEST_F(UnrecordedStepTest, ADownloadOrAFolderTheJournalDidNotRecordIsPairedNotSent) {
    for (const std::string item : {"notes.txt", "Sub"}) {
        SCOPED_TRACE(item);
        Reset();
        ServeLibrary();
        const std::map<std::string, std::string> files = MirrorFiles();
        const std::size_t documents = ServerDocuments(1).size();
        const std::size_t containers = Containers();
        Unrecord(item);

        const std::size_t mark = Mark();
        const DriverResult pass = Sync();
        EXPECT_EQ(pass.exitCode, 0) << Printed();
        EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
        EXPECT_EQ(ServerDocuments(1).size(), documents);
        EXPECT_EQ(Containers(), containers);
        EXPECT_EQ(MirrorFiles(), files) << Printed();
        ExpectQuietPass();
    }
}

TEST_F(UnrecordedStepTest, AConflictCopyMadeBeforeTheServersVersionCameDownDeletesNothing) {
    ServeLibrary();
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(101, "their notes", "2025-02-01T10:00:00Z", "", "someone else");
    });
    WriteText(Local("notes (conflict 2025-02-01 1100).txt"), "my notes");
    fs::remove(Local("notes.txt"));

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed(); // the conflict copy waits for the user
    EXPECT_THAT(pass.out, HasSubstr("conflict copy notes (conflict 2025-02-01 1100).txt"));
    EXPECT_FALSE(ServerDocument(101).markedForDelete);
    EXPECT_EQ(ServerDocument(101).content, "their notes");
    EXPECT_EQ(ReadText(Local("notes.txt")), "their notes");
    EXPECT_EQ(ReadText(Local("notes (conflict 2025-02-01 1100).txt")), "my notes");
    ExpectQuietPass(1);
}

TEST_F(UnrecordedStepTest, AReferenceRemovedBeforeTheJournalHeardOfItIsADeletionDone) {
    ServeLibrary();
    ASSERT_EQ(Run({"config", "set", "MeridioSync.DeleteType", "2", "--dword"}).exitCode, 0);
    fs::remove(Local("notes.txt"));
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { repository.RemoveReference(1, 101); });

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("removed  notes.txt"));
    ExpectQuietPass();
    // The name is free again: a new file of it is a new document.
    WriteText(Local("notes.txt"), "new notes");
    const std::size_t mark = Mark();
    EXPECT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_EQ(CountAction(mark, "AddObject2"), 1u);
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(::testing::Pair("notes", "new notes")));
}

} // namespace
} // namespace KovaSyncTest
