// The two-way pass knows a file by its inode: a file renamed or moved (also over the size limit, also
// edited) keeps its document, a directory renamed keeps its container, content alone pairs nothing
// ambiguous; a save while the pass runs is kept; symbolic links are neither sent nor followed.
#include "tests/kova-sync/TwoWayFixture.h"

#include <unistd.h>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

// report.txt (105) in the library: 3000 bytes, over a size limit of 1 KB.
const std::string kReport(3000, 'r');

class LocalIdentityTest : public TwoWayFixture {
protected:
    void ServeWithReport(const std::string& extraDocuments = {},
                         const std::map<std::string, std::string>& extraFiles = {}) {
        std::map<std::string, std::string> files = {{"lib/report.txt", kReport}};
        files.insert(extraFiles.begin(), extraFiles.end());
        ServeLibrary(DocumentXml(105, "report.txt") + extraDocuments, files);
    }
};

struct RelocationCase {
    const char* label;
    const char* to;   // where report.txt goes, below the mirror
    const char* edit; // its new content; nullptr: unchanged
    bool sizeLimit;   // MeridioSync.MaxFileSizeInKB is 1 from the second pass on
    bool copied;      // copied and deleted (a new inode) instead of renamed
    long container;
    const char* title;
};

void PrintTo(const RelocationCase& c, std::ostream* out) {
    *out << c.label;
}

class RelocationTest : public LocalIdentityTest, public ::testing::WithParamInterface<RelocationCase> {};

TEST_P(RelocationTest, KeepsTheDocumentWithItsHistory) {
    const RelocationCase& c = GetParam();
    ServeWithReport();
    if (c.sizeLimit) {
        ASSERT_EQ(Run({"config", "set", "MeridioSync.MaxFileSizeInKB", "1", "--dword"}).exitCode, 0);
    }
    const std::size_t versions = ServerDocument(105).versions.size();
    if (c.edit) {
        WriteText(Local("report.txt"), c.edit);
    }
    if (c.copied) {
        fs::copy_file(Local("report.txt"), Local(c.to));
        fs::remove(Local("report.txt"));
    } else {
        fs::rename(Local("report.txt"), Local(c.to));
    }

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    const DemoMeridio::Document document = ServerDocument(105);
    EXPECT_FALSE(document.markedForDelete) << Printed();
    EXPECT_TRUE(ContainerReferences(c.container, 105)) << Printed();
    EXPECT_EQ(ContainerReferences(1, 105), c.container == 1);
    EXPECT_EQ(document.title, c.title);
    EXPECT_EQ(document.content, c.edit ? c.edit : kReport);
    EXPECT_EQ(document.versions.size(), versions + (c.edit ? 1 : 0));
    // Only a new version goes up; no new document.
    EXPECT_EQ(CountAction(mark, "AddObject2"), c.edit ? 1u : 0u);
    EXPECT_EQ(ServerDocuments(c.container).count(c.title), 1u);
    EXPECT_FALSE(fs::exists(Local("report.txt")));
    EXPECT_EQ(ReadText(Local(c.to)), c.edit ? c.edit : kReport);
    ExpectQuietPass();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RelocationTest,
    ::testing::Values(
        RelocationCase{"Rename", "minutes.txt", nullptr, false, false, 1, "minutes"},
        RelocationCase{"RenameAndEdit", "minutes.txt", "edited", false, false, 1, "minutes"},
        RelocationCase{"MoveUnderANewName", "Sub/minutes.txt", nullptr, false, false, 2, "minutes"},
        RelocationCase{"MoveAndEdit", "Sub/report.txt", "edited", false, false, 2, "report"},
        RelocationCase{"MoveEditAndRename", "Sub/minutes.txt", "edited", false, false, 2, "minutes"},
        RelocationCase{"RenameOverTheSizeLimit", "minutes.txt", nullptr, true, false, 1, "minutes"},
        RelocationCase{"MoveOverTheSizeLimit", "Sub/report.txt", nullptr, true, false, 2, "report"},
        RelocationCase{"CopiedAndDeleted", "minutes.txt", nullptr, false, true, 1, "minutes"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(LocalIdentityTest, FilesOfOneContentRenamedTogetherKeepTheirOwnDocuments) {
    ServeLibrary(DocumentXml(106, "a.txt") + DocumentXml(107, "b.txt"),
                 {{"lib/a.txt", "from the template"}, {"lib/b.txt", "from the template"}});
    fs::rename(Local("a.txt"), Local("first.txt"));
    fs::rename(Local("b.txt"), Local("Sub/second.txt"));

    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_EQ(ServerDocument(106).title, "first");
    EXPECT_TRUE(ContainerReferences(1, 106));
    EXPECT_EQ(ServerDocument(107).title, "second");
    EXPECT_TRUE(ContainerReferences(2, 107));
    ExpectQuietPass();
}

TEST_F(LocalIdentityTest, AnEmptyFileIsNoMoveOfADeletedEmptyDocument) {
    ServeLibrary(DocumentXml(106, "empty.txt"), {{"lib/empty.txt", ""}});
    fs::remove(Local("empty.txt"));
    WriteText(Local("Sub/other.txt"), "");

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, Not(HasSubstr("moved    ")));
    EXPECT_FALSE(ContainerReferences(1, 106));
    EXPECT_FALSE(ContainerReferences(2, 106));
    EXPECT_THAT(ServerDocuments(2), ::testing::Contains(Pair("other", "")));
    ExpectQuietPass();
}

TEST_F(LocalIdentityTest, ARenamedDirectoryKeepsItsContainerAndDocuments) {
    ServeLibrary();
    fs::rename(Local("Sub"), Local("Subsection"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("renamed  folder Sub -> Subsection (renamed here only: the server keeps "
                                    "the title \"Sub\")"));
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_EQ(ChildContainer(1, "Sub"), 2);
    EXPECT_TRUE(ContainerReferences(2, 201));
    EXPECT_FALSE(ServerDocument(201).markedForDelete);
    EXPECT_EQ(ReadText(Local("Subsection/inner.txt")), "inner");
    EXPECT_FALSE(fs::exists(Local("Sub")));
    ExpectQuietPass();

    // It keeps syncing with its container under the new name.
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(201, "inner, saved by someone else", kLaterDate);
    });
    ASSERT_EQ(Sync().exitCode, 0) << Printed();
    EXPECT_EQ(ReadText(Local("Subsection/inner.txt")), "inner, saved by someone else");
    EXPECT_FALSE(fs::exists(Local("Sub")));
}

TEST_F(LocalIdentityTest, AMovedDirectoryMovesItsDocuments) {
    ServeLibrary();
    fs::create_directory(Local("Archive"));
    fs::rename(Local("Sub"), Local("Archive/Sub"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    const long archive = ChildContainer(1, "Archive");
    ASSERT_NE(archive, 0) << Printed();
    const long sub = ChildContainer(archive, "Sub");
    ASSERT_NE(sub, 0) << Printed();
    EXPECT_TRUE(ContainerReferences(sub, 201));
    EXPECT_FALSE(ServerDocument(201).markedForDelete);
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_EQ(repository.FindContainer(2), nullptr); });
    EXPECT_EQ(ReadText(Local("Archive/Sub/inner.txt")), "inner");
    ExpectQuietPass();
}

TEST_F(LocalIdentityTest, FilesMovedOutOfARemovedDirectoryAreMoves) {
    ServeLibrary();
    fs::rename(Local("Sub/inner.txt"), Local("inner.txt"));
    fs::remove(Local("Sub"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_TRUE(ContainerReferences(1, 201));
    EXPECT_FALSE(ServerDocument(201).markedForDelete);
    Server().ChangeRepository(
        [](DemoMeridio::Repository& repository) { EXPECT_EQ(repository.FindContainer(2), nullptr); });
    EXPECT_EQ(ReadText(Local("inner.txt")), "inner");
    ExpectQuietPass();
}

// A save after the listing and before the download: the server's slow reply gives the window.
struct SaveDuringPassCase {
    const char* label;
    const char* file;
    std::function<void(DemoMeridio::Repository&)> change;
    const char* fromServer;
};

void PrintTo(const SaveDuringPassCase& c, std::ostream* out) {
    *out << c.label;
}

class SaveDuringPassTest : public LocalIdentityTest,
                           public ::testing::WithParamInterface<SaveDuringPassCase> {};

TEST_P(SaveDuringPassTest, KeepsBothVersions) {
    const SaveDuringPassCase& c = GetParam();
    ServeLibrary();
    Server().ChangeRepository(c.change);
    Server().BeforeNextRequest("GetLatestVersionFile",
                               [&] { WriteText(Local(c.file), "saved here meanwhile"); });

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed(); // a conflict copy waits for the user
    EXPECT_THAT(pass.out, HasSubstr("conflict " + std::string(c.file) + ": saved here while the pass ran"));
    EXPECT_EQ(ReadText(Local(c.file)), c.fromServer);
    std::size_t kept = 0;
    for (const auto& [path, content] : MirrorFiles()) {
        kept += content == "saved here meanwhile" && path.find("(conflict ") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(kept, 1u) << Printed();
    ExpectQuietPass(1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveDuringPassTest,
                         ::testing::Values(SaveDuringPassCase{"NewVersion", "notes.txt",
                                                              [](DemoMeridio::Repository& repository) {
                                                                  repository.AddVersion(101, "their notes",
                                                                                        kLaterDate);
                                                              },
                                                              "their notes"},
                                           SaveDuringPassCase{"NewDocument", "fresh.txt",
                                                              [](DemoMeridio::Repository& repository) {
                                                                  AddDocumentTo(repository, 1, "fresh.txt",
                                                                                "fresh from the server");
                                                              },
                                                              "fresh from the server"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(LocalIdentityTest, LinksAreNeitherSentNorFollowed) {
    ServeLibrary();
    const fs::path outside = work_.path() / "outside";
    WriteText(outside / "secret.txt", "outside the mirror");
    fs::create_symlink(outside / "secret.txt", Local("secret.txt"));
    fs::create_directory_symlink(outside, Local("Elsewhere"));

    const std::size_t mark = Mark();
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, HasSubstr("link     secret.txt: a symbolic link; not synced and not followed"));
    EXPECT_THAT(pass.out, HasSubstr("link     Elsewhere: a symbolic link"));
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    EXPECT_EQ(ChildContainer(1, "Elsewhere"), 0);
    EXPECT_EQ(ServerDocuments(1).count("secret"), 0u);
    ExpectQuietPass();
    EXPECT_EQ(ReadText(outside / "secret.txt"), "outside the mirror");
}

TEST_F(LocalIdentityTest, ASyncedDirectoryReplacedByALinkIsKeptOnBothSides) {
    ServeLibrary();
    const fs::path moved = work_.path() / "other disk" / "Sub";
    fs::create_directories(moved.parent_path());
    fs::rename(Local("Sub"), moved);
    fs::create_directory_symlink(moved, Local("Sub"));
    Server().ChangeRepository([](DemoMeridio::Repository& repository) {
        repository.AddVersion(201, "inner, saved by someone else", kLaterDate);
    });

    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr("folder Sub: a symbolic link"));
    EXPECT_NE(ChildContainer(1, "Sub"), 0);
    EXPECT_TRUE(ContainerReferences(2, 201));
    EXPECT_EQ(ReadText(moved / "inner.txt"), "inner");
    EXPECT_TRUE(fs::is_symlink(Local("Sub")));
    ExpectQuietPass(1);
}

TEST_F(LocalIdentityTest, AnUnreadableDirectoryOrFileIsReportedAndThePassGoesOn) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every directory";
    }
    ServeLibrary();
    WriteText(Local("after.txt"), "sent all the same");
    WriteText(Local("notes.txt"), "notes, edited and then locked away");
    fs::permissions(Local("notes.txt"), fs::perms::none);
    fs::permissions(Local("Sub"), fs::perms::none);

    const DriverResult pass = Sync();
    fs::permissions(Local("Sub"), fs::perms::owner_all);
    fs::permissions(Local("notes.txt"), fs::perms::owner_all);
    EXPECT_EQ(pass.exitCode, 1) << Printed();
    EXPECT_THAT(pass.err, HasSubstr("folder Sub: permission denied"));
    EXPECT_THAT(pass.err, HasSubstr("notes.txt: permission denied"));
    EXPECT_THAT(pass.err, Not(HasSubstr("before: ;")));
    EXPECT_EQ(ServerDocument(101).content, "notes");
    EXPECT_EQ(ReadText(Local("notes.txt")), "notes, edited and then locked away");
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(Pair("after", "sent all the same")));
    EXPECT_TRUE(ContainerReferences(2, 201));
}

} // namespace
} // namespace KovaSyncTest

namespace KovaSyncTest {
namespace {

// A lock that came and went is no change of the document: it leaves no trace in the mirror's map.
using RepositoryChange = std::function<void(DemoMeridio::Repository&)>;

struct LockCase {
    const char* label;
    const char* file;
    long id;
    RepositoryChange lock;   // a pass follows; nullptr: none
    RepositoryChange unlock; // a pass follows
    bool checkoutHere;       // checked out through the mirror instead
};

void PrintTo(const LockCase& c, std::ostream* out) {
    *out << c.label;
}

class LockTest : public LocalIdentityTest, public ::testing::WithParamInterface<LockCase> {};

TEST_P(LockTest, LeavesNoFalseConflict) {
    const LockCase& c = GetParam();
    ServeLibrary();
    for (const RepositoryChange& change : {c.lock, c.unlock}) {
        if (change) {
            Server().ChangeRepository(change);
            ASSERT_EQ(Sync().exitCode, 0) << Printed();
        }
    }
    if (c.checkoutHere) {
        ASSERT_EQ(Run({"checkout", Local(c.file).string()}).exitCode, 0) << Printed();
    }
    const std::size_t versions = ServerDocument(c.id).versions.size();
    ExpectQuietPass();

    WriteText(Local(c.file), "edited after the lock");
    const DriverResult pass = Sync();
    EXPECT_EQ(pass.exitCode, 0) << Printed();
    EXPECT_THAT(pass.out, Not(HasSubstr("conflict")));
    EXPECT_EQ(ServerDocument(c.id).content, "edited after the lock");
    EXPECT_EQ(ServerDocument(c.id).versions.size(), versions + 1);
    ExpectQuietPass();
}

const RepositoryChange kLockNotes = [](DemoMeridio::Repository& repository) {
    repository.FindDocument(101)->lock = DemoMeridio::Lock{"someone else", kLaterDate};
};

RepositoryChange Unlock(long id) {
    return [id](DemoMeridio::Repository& repository) { repository.FindDocument(id)->lock.reset(); };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LockTest,
    ::testing::Values(LockCase{"UnlockedByItsHolder", "locked.txt", 104, nullptr, Unlock(104), false},
                      LockCase{"LockedAndUnlockedByAnother", "notes.txt", 101, kLockNotes, Unlock(101),
                               false},
                      LockCase{"CheckedOutHere", "plan.md", 102, nullptr, nullptr, true}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace KovaSyncTest
