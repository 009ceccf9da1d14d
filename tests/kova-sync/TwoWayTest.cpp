// A two-way pass sends the mirror's local changes up through the filter: edits, new files (also mail
// files with their header rows), deletions by MeridioSync.DeleteType, renames, moves between folders,
// new and removed directories; each test reads back what the server holds, and a further pass
// transfers nothing.
#include "tests/kova-sync/TwoWayFixture.h"

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

class TwoWayTest : public TwoWayFixture {};

TEST_F(TwoWayTest, AnEditGoesUpAsANewVersion) {
    ServeLibrary();
    const std::size_t versions = ServerDocument(101).versions.size();
    WriteText(Local("notes.txt"), "notes, edited here");

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("sent     notes.txt (new version"));
    const DemoMeridio::Document document = ServerDocument(101);
    EXPECT_EQ(document.content, "notes, edited here");
    EXPECT_EQ(document.versions.size(), versions + 1);
    EXPECT_FALSE(document.lock.has_value());
    EXPECT_EQ(CountAction(mark, "AddObject2"), 1u);
    EXPECT_EQ(ReadText(Local("notes.txt")), "notes, edited here");
    ExpectQuietPass();
}

TEST_F(TwoWayTest, NewFilesBecomeDocumentsOfTheirFolder) {
    ServeLibrary();
    WriteText(Local("Quarterly report.final.txt"), "numbers");
    WriteText(Local("Sub/inner two.txt"), "more");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(Pair("Quarterly report.final", "numbers")));
    EXPECT_THAT(ServerDocuments(2), ::testing::Contains(Pair("inner two", "more"))) << Printed();
    EXPECT_EQ(ReadText(Local("Quarterly report.final.txt")), "numbers");
    ExpectQuietPass();
}

TEST_F(TwoWayTest, AMailFileGoesUpAsAMailWithItsHeaderRows) {
    ServeLibrary();
    WriteText(Local("budget.eml"), "From: Jonas Ek <jonas@example.com>\r\n"
                                   "To: Anna Berg <anna@example.com>\r\n"
                                   "Subject: Quarterly budget\r\n"
                                   "Date: Tue, 05 Mar 2024 07:08:09 +0000\r\n"
                                   "Message-ID: <budget-1@example.com>\r\n"
                                   "MIME-Version: 1.0\r\n"
                                   "Content-Type: text/plain; charset=utf-8\r\n\r\n"
                                   "The budget is attached in spirit.\r\n");
    ASSERT_EQ(Sync().exitCode, 0) << Printed();

    DemoMeridio::Document mail;
    Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        for (const DemoMeridio::Document* document : repository.DocumentsIn(*repository.FindContainer(1))) {
            if (document->title == "budget") {
                mail = *document;
            }
        }
    });
    EXPECT_EQ(mail.categoryId, 5);
    const DemoMeridio::CustomValue* subject = mail.Property(3, 106);
    ASSERT_NE(subject, nullptr) << Printed();
    EXPECT_EQ(subject->value, "Quarterly budget");
    const DemoMeridio::CustomValue* from = mail.Property(3, 104);
    ASSERT_NE(from, nullptr);
    EXPECT_EQ(from->value, "Jonas Ek");
    ExpectQuietPass();
}

struct DeleteTypeCase {
    const char* label;
    int deleteType;
    bool marked;
    bool referenced;
};

class DeleteTypeTest : public TwoWayFixture, public ::testing::WithParamInterface<DeleteTypeCase> {};

TEST_P(DeleteTypeTest, ALocalDeletionDeletesTheDocumentAsTheSettingSays) {
    const DeleteTypeCase& c = GetParam();
    ServeLibrary();
    ASSERT_EQ(
        Run({"config", "set", "MeridioSync.DeleteType", std::to_string(c.deleteType), "--dword"}).exitCode,
        0);
    fs::remove(Local("notes.txt"));

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("deleted  notes.txt on the server"));
    EXPECT_EQ(ServerDocument(101).markedForDelete, c.marked);
    EXPECT_EQ(ContainerReferences(1, 101), c.referenced);
    EXPECT_FALSE(fs::exists(Local("notes.txt")));
    ExpectQuietPass();
}

TEST_F(TwoWayTest, AFileReplacedByADirectoryIsADeletionAndANewFolder) {
    ServeLibrary();
    fs::remove(Local("notes.txt"));
    WriteText(Local("notes.txt/first.txt"), "first");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("deleted  notes.txt on the server"));
    EXPECT_THAT(pass.out, HasSubstr("created  folder notes.txt on the server"));
    EXPECT_FALSE(ContainerReferences(1, 101));
    const long created = ChildContainer(1, "notes.txt");
    ASSERT_NE(created, 0);
    EXPECT_THAT(ServerDocuments(created), ::testing::ElementsAre(Pair("first", "first")));
    EXPECT_EQ(ReadText(Local("notes.txt/first.txt")), "first");
    ExpectQuietPass();
}

INSTANTIATE_TEST_SUITE_P(Settings, DeleteTypeTest,
                         ::testing::Values(DeleteTypeCase{"documentAndReference", 0, true, false},
                                           DeleteTypeCase{"documentOnly", 1, true, true},
                                           DeleteTypeCase{"referenceOnly", 2, false, false},
                                           DeleteTypeCase{"lastReference", 3, true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(TwoWayTest, ARenamedFileRenamesItsDocument) {
    ServeLibrary();
    fs::rename(Local("notes.txt"), Local("meeting notes.txt"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("renamed  notes.txt -> meeting notes.txt"));
    const DemoMeridio::Document document = ServerDocument(101);
    EXPECT_EQ(document.title, "meeting notes");
    EXPECT_EQ(document.content, "notes");
    EXPECT_FALSE(document.markedForDelete);
    EXPECT_TRUE(ContainerReferences(1, 101));
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_FALSE(fs::exists(Local("notes.txt")));
    ExpectQuietPass();
}

TEST_F(TwoWayTest, AFileMovedToAnotherFolderIsMovedOnTheServer) {
    ServeLibrary();
    fs::rename(Local("notes.txt"), Local("Sub/notes.txt"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("moved    notes.txt -> Sub/notes.txt"));
    EXPECT_TRUE(ContainerReferences(2, 101));
    EXPECT_FALSE(ContainerReferences(1, 101));
    EXPECT_FALSE(ServerDocument(101).markedForDelete);
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    std::size_t links = 0;
    std::size_t removals = 0;
    for (const auto& request : RequestsSince(mark)) {
        if (request.body.find("CONTAINER_DOCUMENTREFS") == std::string::npos) {
            continue;
        }
        (request.body.find("diffgr:before") == std::string::npos ? links : removals) += 1;
    }
    EXPECT_EQ(links, 1u);
    EXPECT_EQ(removals, 1u);
    EXPECT_EQ(ReadText(Local("Sub/notes.txt")), "notes");
    ExpectQuietPass();
}

TEST_F(TwoWayTest, ANewDirectoryBecomesAContainerWithItsFiles) {
    ServeLibrary();
    WriteText(Local("Minutes/2024/january.txt"), "january");

    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    long minutes = 0;
    long year = 0;
    Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
        for (const DemoMeridio::Container* child : repository.ChildContainers(1)) {
            minutes = child->title == "Minutes" ? child->id : minutes;
        }
        for (const DemoMeridio::Container* child : repository.ChildContainers(minutes)) {
            year = child->title == "2024" ? child->id : year;
        }
    });
    ASSERT_NE(minutes, 0) << Printed();
    ASSERT_NE(year, 0) << Printed();
    EXPECT_THAT(ServerDocuments(year), ::testing::ElementsAre(Pair("january", "january")));
    ExpectQuietPass();
}

TEST_F(TwoWayTest, ARemovedDirectoryDeletesItsContainer) {
    ServeLibrary();
    fs::remove_all(Local("Sub"));

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_EQ(repository.FindContainer(2), nullptr); });
    EXPECT_FALSE(fs::exists(Local("Sub")));
    ExpectQuietPass();
}

// The filter reports a refused upload by its return code; the pass names the server's reason, and
// the file goes up on the next pass.
TEST_F(TwoWayTest, AnUploadTheServerRefusesIsReportedWithItsReasonAndSentLater) {
    ServeLibrary();
    WriteText(Local("minutes.txt"), "minutes");
    Server().RefuseNextRequest("/dmws/", "AddObject2", "API Error 21050: The disk is full.");

    const DriverResult refused = Sync();
    EXPECT_EQ(refused.exitCode, 1) << Printed();
    EXPECT_THAT(refused.err, HasSubstr("The disk is full.")) << Printed();
    EXPECT_THAT(ServerDocuments(1), Not(::testing::Contains(Pair("minutes", "minutes"))));

    const DriverResult sent = Sync();
    EXPECT_EQ(sent.exitCode, 0) << Printed();
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(Pair("minutes", "minutes")));
    ExpectQuietPass();
}

TEST_F(TwoWayTest, ARemovedRecordsFolderIsRefusedAndComesBack) {
    ServeLibrary();
    fs::remove_all(Local("Records/Folder"));

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr("refused  deletion of folder \"Records/Folder\""));
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_NE(repository.FindContainer(21), nullptr); });
    EXPECT_EQ(ReadText(Local("Records/Folder/contract.txt")), "signed") << Printed();
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
