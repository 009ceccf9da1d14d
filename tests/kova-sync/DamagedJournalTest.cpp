// A journal that cannot be read is refused, nothing sent, and the message names the way back:
// --readopt makes the journal afresh from the server's listing, pairs each file with the document of
// its content, and keeps every other file as a conflict copy, or sends it with --send-unmatched.
#include "tests/kova-sync/TwoWayFixture.h"

#include <regex>

namespace KovaSyncTest {
namespace {

using ::testing::HasSubstr;

class DamagedJournalTest : public TwoWayFixture {
protected:
    // The library mirrored; then plan.md edited, mine.txt written and the journal overwritten.
    void DamageTheJournal() {
        ServeLibrary();
        WriteText(Local("plan.md"), "my plan");
        WriteText(Local("mine.txt"), "mine");
        WriteText(Local(".kova-sync/journal.db"), std::string(4096, 'x'));
        fs::remove(Local(".kova-sync/journal.db-wal"));
        fs::remove(Local(".kova-sync/journal.db-shm"));
    }

    // The mirror's files with conflict names shown as "NAME (conflict)".
    std::map<std::string, std::string> Files() {
        std::map<std::string, std::string> files;
        for (const auto& [path, content] : MirrorFiles()) {
            files[std::regex_replace(path, std::regex(R"( \(conflict [0-9 -]+\))"), " (conflict)")] = content;
        }
        return files;
    }

    const std::map<std::string, std::string> kServerFiles = {{"notes.txt", "notes"},
                                                             {"read-only.txt", "do not change"},
                                                             {"locked.txt", "in use"},
                                                             {"Sub/inner.txt", "inner"},
                                                             {"Records/Folder/contract.txt", "signed"}};
};

TEST_F(DamagedJournalTest, ItIsRefusedAndReadoptionKeepsEveryFileAsideThatNoDocumentHolds) {
    DamageTheJournal();
    const std::size_t mark = Mark();
    const DriverResult refused = Sync();
    EXPECT_EQ(refused.exitCode, 2) << Printed();
    EXPECT_THAT(refused.err, HasSubstr("cannot be read"));
    EXPECT_THAT(refused.err, HasSubstr("nothing was changed"));
    EXPECT_THAT(refused.err, HasSubstr("--readopt"));
    EXPECT_EQ(Mark(), mark);

    const DriverResult readopted = Sync({"--readopt"});
    EXPECT_EQ(readopted.exitCode, 1) << Printed(); // the conflict copies are listed
    EXPECT_THAT(readopted.out, HasSubstr("paired   notes.txt"));
    EXPECT_THAT(readopted.out, HasSubstr("put aside"));
    EXPECT_EQ(CountAction(mark, "AddObject2"), 0u);
    std::map<std::string, std::string> expected = kServerFiles;
    expected["plan.md"] = "the plan";
    expected["plan (conflict).md"] = "my plan";
    expected["mine (conflict).txt"] = "mine";
    EXPECT_EQ(Files(), expected) << Printed();
    EXPECT_EQ(ServerDocuments(1).size(), 4u);
    ExpectQuietPass(1);
}

TEST_F(DamagedJournalTest, AMissingJournalIsRefusedAndNamesTheWayBack) {
    DamageTheJournal();
    fs::remove(Local(".kova-sync/journal.db"));
    const std::size_t mark = Mark();
    const DriverResult refused = Sync();
    EXPECT_EQ(refused.exitCode, 2) << Printed();
    EXPECT_THAT(refused.err, HasSubstr("is missing; nothing was changed"));
    EXPECT_THAT(refused.err, HasSubstr("--readopt"));
    EXPECT_EQ(Mark(), mark);
    EXPECT_EQ(ReadText(Local("mine.txt")), "mine");
}

TEST_F(DamagedJournalTest, ReadoptionSendsTheFilesNoDocumentHoldsWhenAsked) {
    DamageTheJournal();
    WriteText(Local("plan.md"), "the plan");
    const std::size_t mark = Mark();
    const DriverResult readopted = Sync({"--readopt", "--send-unmatched"});
    EXPECT_EQ(readopted.exitCode, 0) << Printed();
    EXPECT_EQ(CountAction(mark, "AddObject2"), 1u);
    std::map<std::string, std::string> expected = kServerFiles;
    expected["plan.md"] = "the plan";
    expected["mine.txt"] = "mine";
    EXPECT_EQ(Files(), expected) << Printed();
    EXPECT_THAT(ServerDocuments(1), ::testing::Contains(::testing::Pair("mine", "mine")));
    ExpectQuietPass();
}

} // namespace
} // namespace KovaSyncTest
