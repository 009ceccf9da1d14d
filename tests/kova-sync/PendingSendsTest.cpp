// The journal's pending sends: a journal written before they existed opens and gets their table; a
// row is replaced by a later one for the same name or document, outlives its pass, and goes with its
// folder or once its file is no longer waiting to go up.
#include "kova-sync/PendingSends.h"

#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

namespace KovaSync {
namespace {

using Kind = PendingSend::Kind;

JournalItem Folder(std::optional<std::int64_t> parent, const std::wstring& uniqueId,
                   const std::string& name) {
    return {{0, parent, true, uniqueId, name, std::nullopt, {}}, MapRef(), std::nullopt};
}

TEST(PendingSendsTest, AJournalOfAnEarlierVersionOpensAndKeepsItsItems) {
    TestSupport::TempDirectory dir;
    const auto file = dir.path() / "journal.db";
    {
        // The tables as an earlier version of the driver wrote them.
        Database earlier(file, "CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                               "CREATE TABLE items(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES "
                               "items(id) ON DELETE CASCADE, is_folder INTEGER NOT NULL, unique_id TEXT NOT "
                               "NULL, local_name TEXT NOT NULL, properties TEXT NOT NULL, size INTEGER, "
                               "modified_ns INTEGER, content_hash TEXT);"
                               "INSERT INTO items(parent, is_folder, unique_id, local_name, properties) "
                               "VALUES(NULL, 1, '{main}', '', '[]');");
    }
    Journal journal(file);
    PendingSends pending(journal.database());
    const std::optional<JournalItem> main = journal.MainFolder();
    ASSERT_TRUE(main);
    const std::int64_t id =
        pending.Record(Kind::Document, main->id, std::nullopt, "a.txt", ContentState{3, 0, "abc"});
    const std::optional<PendingSend> found = pending.Find(Kind::Document, main->id, "a.txt");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, id);
    EXPECT_EQ(found->size, 3);
    EXPECT_EQ(found->hash, "abc");
}

TEST(PendingSendsTest, RowsOutliveTheirPassUntilForgotten) {
    TestSupport::TempDirectory dir;
    const auto file = dir.path() / "journal.db";
    std::int64_t main = 0;
    std::int64_t sub = 0;
    {
        Journal journal(file);
        PendingSends pending(journal.database());
        main = journal.Insert(Folder(std::nullopt, L"{main}", ""));
        sub = journal.Insert(Folder(main, L"{sub}", "Sub"));
        pending.Record(Kind::Document, main, std::nullopt, "a.txt", ContentState{1, 0, "first"});
        pending.Record(Kind::Document, main, std::nullopt, "a.txt", ContentState{2, 0, "second"});
        pending.Record(Kind::Document, main, std::nullopt, "b.txt", ContentState{1, 0, "b"});
        pending.Record(Kind::Folder, main, std::nullopt, "New", std::nullopt);
        pending.Record(Kind::Document, sub, std::nullopt, "c.txt", ContentState{1, 0, "c"});
    }
    Journal journal(file);
    PendingSends pending(journal.database());
    const std::optional<PendingSend> a = pending.Find(Kind::Document, main, "a.txt");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->hash, "second");

    pending.ForgetNewExcept(main, {"a.txt", "New"});
    EXPECT_TRUE(pending.Find(Kind::Document, main, "a.txt"));
    EXPECT_FALSE(pending.Find(Kind::Document, main, "b.txt"));
    EXPECT_TRUE(pending.Find(Kind::Folder, main, "New"));

    journal.Remove(sub);
    EXPECT_FALSE(pending.Find(Kind::Document, sub, "c.txt"));
    pending.Forget(a->id);
    EXPECT_FALSE(pending.Find(Kind::Document, main, "a.txt"));
}

TEST(PendingSendsTest, AMoveIsFoundByItsDocumentAndReplacedByALaterOne) {
    TestSupport::TempDirectory dir;
    Journal journal(dir.path() / "journal.db");
    PendingSends pending(journal.database());
    const std::int64_t main = journal.Insert(Folder(std::nullopt, L"{main}", ""));
    const std::int64_t one = journal.Insert(Folder(main, L"{one}", "One"));
    const std::int64_t two = journal.Insert(Folder(main, L"{two}", "Two"));
    JournalItem document{
        {0, one, false, L"{doc}", "d.txt", ContentState{1, 0, "d"}, {}}, MapRef(), std::nullopt};
    document.id = journal.Insert(document);

    pending.Record(Kind::Move, one, document.id, "d.txt", std::nullopt);
    pending.Record(Kind::Move, two, document.id, "d.txt", std::nullopt);
    const std::optional<PendingSend> move = pending.FindMove(document.id);
    ASSERT_TRUE(move);
    EXPECT_EQ(move->folder, two);
    journal.Remove(document.id);
    EXPECT_FALSE(pending.FindMove(document.id));
}

} // namespace
} // namespace KovaSync
