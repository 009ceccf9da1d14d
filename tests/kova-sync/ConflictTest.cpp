// Nothing is lost when both sides changed: a conflict keeps both versions, an edit beats a deletion
// on either side, a refused change leaves the local file alone, excluded files are left out,
// --download-only sends nothing and overwrites no local edit, and a mass deletion is held both ways.
#include "tests/kova-sync/TwoWayFixture.h"

#include <regex>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Pair;

class ConflictTest : public TwoWayFixture {
protected:
    void ChangeOnServer(long id, const std::string& content) {
        Server().ChangeRepository([&](DemoMeridio::Repository& repository) {
            repository.AddVersion(id, content, "2025-02-01T10:00:00Z", "", "someone else");
        });
    }

    // The mirror's files whose names mark them as conflict copies of the name's stem.
    std::map<std::string, std::string> ConflictCopies(const std::string& stem) {
        std::map<std::string, std::string> copies;
        const std::regex name(stem + R"( \(conflict \d{4}-\d{2}-\d{2} \d{4}\)\.txt)");
        for (const auto& [path, content] : MirrorFiles()) {
            if (std::regex_match(path, name)) {
                copies[path] = content;
            }
        }
        return copies;
    }
};

TEST_F(ConflictTest, BothVersionsAreKeptAndTheCopyIsNeverSent) {
    ServeLibrary();
    WriteText(Local("notes.txt"), "my notes");
    ChangeOnServer(101, "their notes");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_EQ(ReadText(Local("notes.txt")), "their notes");
    const auto copies = ConflictCopies("notes");
    ASSERT_EQ(copies.size(), 1u) << Printed();
    EXPECT_EQ(copies.begin()->second, "my notes");
    EXPECT_EQ(ServerDocument(101).content, "their notes");

    // Every pass lists the copy until the user deals with it; it is never sent.
    const std::size_t mark = Mark();
    const DriverResult again = Sync();
    EXPECT_EQ(again.exitCode, 1) << Printed();
    EXPECT_THAT(again.out, HasSubstr("conflict copy " + copies.begin()->first));
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);

    // Renamed to an ordinary name, it is a new file like any other.
    fs::rename(Local(copies.begin()->first), Local("my notes.txt"));
    EXPECT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(Pair("my notes", "my notes")));
    ExpectQuietPass();
}

TEST_F(ConflictTest, AnEditOfADocumentDeletedOnTheServerGoesUpAsANewDocument) {
    ServeLibrary();
    WriteText(Local("notes.txt"), "still needed");
    Server().ChangeRepository([](DemoMeridio::Repository& repository) { repository.DeleteDocument(101); });

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(Pair("notes", "still needed")));
    EXPECT_EQ(ReadText(Local("notes.txt")), "still needed");
    ExpectQuietPass();
}

TEST_F(ConflictTest, AFileDeletedHereComesBackWhenTheServerChangedIt) {
    ServeLibrary();
    fs::remove(Local("notes.txt"));
    ChangeOnServer(101, "changed there");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_EQ(ReadText(Local("notes.txt")), "changed there");
    EXPECT_FALSE(ServerDocument(101).markedForDelete);
    EXPECT_TRUE(ContainerReferences(1, 101));
    ExpectQuietPass();
}

TEST_F(ConflictTest, ADeletedRecordIsDownloadedAgain) {
    ServeLibrary();
    fs::remove(Local("Records/Folder/contract.txt"));

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr("refused  deletion of \"Records/Folder/contract.txt\""));
    EXPECT_EQ(ReadText(Local("Records/Folder/contract.txt")), "signed");
    EXPECT_FALSE(ServerDocument(301).markedForDelete);
    ExpectQuietPass();
}

struct RefusedCase {
    const char* label;
    const char* file;
    long id;
    const char* reason;
};

class RefusedChangeTest : public ConflictTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedChangeTest, LeavesTheFileAloneAndIsTriedAgainOnlyAfterTheNextEdit) {
    const RefusedCase& c = GetParam();
    ServeLibrary();
    const std::string before = ServerDocument(c.id).content;
    WriteText(Local(c.file), "an edit");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr(std::string("refused  the new version of \"") + c.file + "\""));
    EXPECT_THAT(pass.err, HasSubstr(c.reason));
    EXPECT_EQ(ReadText(Local(c.file)), "an edit");
    EXPECT_EQ(ServerDocument(c.id).content, before);

    const std::size_t mark = Mark();
    const DriverResult again = Sync();
    EXPECT_THAT(again.err, HasSubstr("it is sent again when it changes")) << Printed();
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_EQ(CountAction(mark, "ApplyChanges"), 0u);
    EXPECT_EQ(ReadText(Local(c.file)), "an edit");
}

INSTANTIATE_TEST_SUITE_P(Documents, RefusedChangeTest,
                         ::testing::Values(RefusedCase{"readOnly", "read-only.txt", 103, "read-only"},
                                           RefusedCase{"locked", "locked.txt", 104, "locked"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ConflictTest, ExcludedFilesAreNeitherSentNorErrors) {
    ServeLibrary();
    ASSERT_EQ(Run({"config", "set", "MeridioSync.ExcludeFileRegEx", "^~\\$\\n\\.TMP$"}).exitCode, 0);
    ASSERT_EQ(Run({"config", "set", "MeridioSync.MaxFileSizeInKB", "1", "--dword"}).exitCode, 0);
    WriteText(Local("~$notes.txt"), "lock file");
    WriteText(Local("draft.tmp"), "scratch");
    WriteText(Local("big.txt"), std::string(2048, 'x'));
    WriteText(Local("kept.txt"), "small");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("3 excluded"));
    EXPECT_THAT(pass.out, HasSubstr("excluded big.txt (larger than MeridioSync.MaxFileSizeInKB"));
    const auto documents = ServerDocuments(1);
    EXPECT_EQ(documents.count("~$notes"), 0u);
    EXPECT_EQ(documents.count("draft"), 0u);
    EXPECT_EQ(documents.count("big"), 0u);
    EXPECT_THAT(documents, ::testing::Contains(Pair("kept", "small")));
}

TEST_F(ConflictTest, DownloadOnlySendsNothingAndOverwritesNoLocalEdit) {
    ServeLibrary();
    WriteText(Local("notes.txt"), "my notes");
    WriteText(Local("plan.md"), "my plan");
    WriteText(Local("new.txt"), "not sent");
    fs::remove(Local("Sub/inner.txt"));
    ChangeOnServer(102, "their plan");
    ChangeOnServer(201, "inner, changed there");

    const std::size_t mark = Mark();
    const DriverResult pass = Sync({"--download-only"});
    EXPECT_EQ(pass.exitCode, 1) << Printed(); // the conflict of plan.md
    EXPECT_THAT(pass.out, HasSubstr("kept     notes.txt: changed here; not sent (--download-only)"));
    EXPECT_EQ(ReadText(Local("notes.txt")), "my notes");
    EXPECT_EQ(ReadText(Local("plan.md")), "their plan");
    EXPECT_EQ(ReadText(Local("Sub/inner.txt")), "inner, changed there");
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_EQ(ServerDocument(101).content, "notes");
    EXPECT_EQ(ServerDocument(102).content, "their plan");
    EXPECT_EQ(ServerDocuments(1).count("new"), 0u);
    bool mine = false;
    for (const auto& [path, content] : MirrorFiles()) {
        mine = mine || (path.rfind("plan (conflict ", 0) == 0 && content == "my plan");
    }
    EXPECT_TRUE(mine) << Printed();
}

TEST_F(ConflictTest, EmptyingTheMirrorDeletesNothingUntilTheUserAllowsIt) {
    std::string documents;
    std::map<std::string, std::string> files;
    for (int i = 1; i <= 12; ++i) {
        documents += DocumentXml(400 + i, "doc" + std::to_string(i) + ".txt");
        files["lib/doc" + std::to_string(i) + ".txt"] = "document " + std::to_string(i);
    }
    ServeLibrary(documents, files);
    for (int i = 1; i <= 12; ++i) {
        fs::remove(Local("doc" + std::to_string(i) + ".txt"));
    }
    ChangeOnServer(401, "changed there");

    const std::size_t mark = Mark();
    const DriverResult held = Sync();
    EXPECT_EQ(held.exitCode, 2) << Printed();
    EXPECT_THAT(held.err, HasSubstr("not deleting 12 of the mirror's"));
    EXPECT_THAT(held.err, HasSubstr("--allow-mass-delete"));
    EXPECT_EQ(CountAction(mark, "ApplyChanges"), 0u);
    EXPECT_FALSE(fs::exists(Local("doc1.txt")));
    for (int i = 2; i <= 12; ++i) {
        EXPECT_FALSE(ServerDocument(400 + i).markedForDelete);
    }

    const DriverResult allowed = Sync({"--allow-mass-delete"});
    EXPECT_EQ(allowed.exitCode, 0) << Printed();
    for (int i = 2; i <= 12; ++i) {
        EXPECT_TRUE(ServerDocument(400 + i).markedForDelete) << i;
    }
    // The one the server changed comes back instead.
    EXPECT_EQ(ReadText(Local("doc1.txt")), "changed there");
    EXPECT_FALSE(ServerDocument(401).markedForDelete);
}

} // namespace
} // namespace KovaSyncTest
