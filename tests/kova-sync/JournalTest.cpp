// The journal keeps items with their maps, names and content state across openings, refuses a second
// copy of an item under one folder, and forgets a folder with everything below it.
#include "kova-sync/Journal.h"

#include "tests/Support/TempDirectory.h"

#include <gtest/gtest.h>

namespace KovaSync {
namespace {

JournalItem Item(std::optional<std::int64_t> parent, bool isFolder, const std::wstring& uniqueId,
                 const std::string& name) {
    JournalItem item{{0, parent, isFolder, uniqueId, name, std::nullopt, {}}, MapRef(), std::nullopt};
    item.map->Set(L"UniqueId", uniqueId);
    item.map->Set(L"RemoteFileLastModified", Host::DateValue{45321.123456789});
    item.map->Set(L"VersionId", LONG{3});
    return item;
}

TEST(JournalTest, KeepsItemsAcrossOpenings) {
    TestSupport::TempDirectory dir;
    const auto file = dir.path() / "journal.db";
    {
        Journal journal(file);
        const std::int64_t main = journal.Insert(Item(std::nullopt, true, L"{main}", ""));
        JournalItem document = Item(main, false, L"{doc}", "Report (2).txt");
        document.content = ContentState{12, 1700000000123456789, "abc"};
        document.id = journal.Insert(document);
        document.localName = "Report.txt";
        document.map->Set(L"VersionId", LONG{4});
        journal.Update(document);
        journal.SetSetting("start_point", "Meridio://server/container/1");
    }
    Journal journal(file);
    const std::optional<JournalItem> main = journal.MainFolder();
    ASSERT_TRUE(main);
    EXPECT_EQ(main->uniqueId, L"{main}");
    const std::vector<JournalEntry> children = journal.Entries(main->id);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].localName, "Report.txt");
    ASSERT_TRUE(children[0].content);
    EXPECT_EQ(children[0].content->modifiedNs, 1700000000123456789);
    EXPECT_EQ(children[0].content->hash, "abc");
    const JournalItem loaded = journal.Load(children[0]);
    EXPECT_EQ(loaded.localName, "Report.txt");
    EXPECT_EQ(*loaded.map->Find(L"VersionId"), Host::PropertyValue(LONG{4}));
    // Dates read back exactly: the change test compares them for equality.
    EXPECT_EQ(*loaded.map->Find(L"RemoteFileLastModified"),
              Host::PropertyValue(Host::DateValue{45321.123456789}));
    EXPECT_EQ(journal.Setting("start_point"), "Meridio://server/container/1");
    EXPECT_FALSE(journal.Setting("other"));
}

TEST(JournalTest, RefusesASecondCopyOfAnItemInOneFolder) {
    TestSupport::TempDirectory dir;
    Journal journal(dir.path() / "journal.db");
    const std::int64_t main = journal.Insert(Item(std::nullopt, true, L"{main}", ""));
    journal.Insert(Item(main, false, L"{doc}", "a.txt"));
    EXPECT_THROW(journal.Insert(Item(main, false, L"{doc}", "b.txt")), SqliteError);
    EXPECT_THROW(journal.Insert(Item(std::nullopt, true, L"{other main}", "")), SqliteError);
    const std::int64_t folder = journal.Insert(Item(main, true, L"{folder}", "sub"));
    EXPECT_NO_THROW(journal.Insert(Item(folder, false, L"{doc}", "a.txt"))); // one document in two folders
}

TEST(JournalTest, ForgetsAFolderWithEverythingBelowIt) {
    TestSupport::TempDirectory dir;
    Journal journal(dir.path() / "journal.db");
    const std::int64_t main = journal.Insert(Item(std::nullopt, true, L"{main}", ""));
    const std::int64_t folder = journal.Insert(Item(main, true, L"{folder}", "sub"));
    const std::int64_t inner = journal.Insert(Item(folder, true, L"{inner}", "inner"));
    journal.Insert(Item(main, false, L"{a}", "a.txt"));
    journal.Insert(Item(folder, false, L"{b}", "b.txt"));
    journal.Insert(Item(inner, false, L"{c}", "c.txt"));
    EXPECT_EQ(journal.CountDocuments(), 3);
    EXPECT_EQ(journal.CountDocumentsUnder(folder), 2);
    journal.Remove(folder);
    EXPECT_EQ(journal.CountDocuments(), 1);
    EXPECT_EQ(journal.Entries(main).size(), 1u);
    // An entry read before its folder was forgotten is not loaded as an empty item.
    EXPECT_THROW(journal.Load(JournalEntry{inner, folder, true, L"{inner}", "inner", std::nullopt, {}}),
                 SqliteError);
}

TEST(JournalTest, ANewContentStateKeepsTheMap) {
    TestSupport::TempDirectory dir;
    Journal journal(dir.path() / "journal.db");
    const std::int64_t main = journal.Insert(Item(std::nullopt, true, L"{main}", ""));
    JournalItem document = Item(main, false, L"{doc}", "a.txt");
    document.content = ContentState{1, 10, "old"};
    document.id = journal.Insert(document);
    journal.SetContent(document.id, ContentState{1, 20, "old"});
    const JournalItem loaded = journal.Load(document);
    ASSERT_TRUE(loaded.content);
    EXPECT_EQ(loaded.content->modifiedNs, 20);
    EXPECT_TRUE(loaded.map->HasSameProperties(*document.map.get()));
}

TEST(JournalTest, KeepsEachItemsIdentityAndListedNames) {
    TestSupport::TempDirectory dir;
    const auto file = dir.path() / "journal.db";
    std::int64_t id = 0;
    {
        Journal journal(file);
        const std::int64_t main = journal.Insert(Item(std::nullopt, true, L"{main}", ""));
        JournalItem document = Item(main, false, L"{doc}", "a.txt");
        document.local = {2049, 1234, 1700000000000000001};
        document.listedNames = std::vector<std::wstring>{L"DisplayName", L"ows-CheckoutUser"};
        id = journal.Insert(document);
        journal.SetLocal(id, {2049, 5678, 0});
    }
    Journal journal(file);
    const std::optional<JournalItem> loaded = journal.Find(id);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->local.inode, 5678);
    EXPECT_EQ(loaded->local.birthNs, 0);
    EXPECT_TRUE(loaded->local.IsSameFile({2049, 5678, 1700000000000000001}));
    EXPECT_FALSE(loaded->local.IsSameFile({2050, 5678, 0}));
    ASSERT_TRUE(loaded->listedNames);
    EXPECT_EQ(*loaded->listedNames, (std::vector<std::wstring>{L"DisplayName", L"ows-CheckoutUser"}));
    EXPECT_EQ(journal.DocumentsWithUniqueId(L"{doc}").size(), 1u);
}

// A journal an earlier version wrote gets the new columns and keeps its items.
TEST(JournalTest, AnEarlierJournalIsUpgradedWhenOpened) {
    TestSupport::TempDirectory dir;
    const auto file = dir.path() / "journal.db";
    {
        Database earlier(file,
                         "CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                         "CREATE TABLE items(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES items(id) "
                         "ON DELETE CASCADE, is_folder INTEGER NOT NULL, unique_id TEXT NOT NULL, "
                         "local_name TEXT NOT NULL, properties TEXT NOT NULL, size INTEGER, "
                         "modified_ns INTEGER, content_hash TEXT);"
                         "CREATE INDEX items_entries ON items(parent, id, is_folder, unique_id, local_name, "
                         "size, modified_ns, content_hash);");
        earlier.Execute("INSERT INTO items(id, parent, is_folder, unique_id, local_name, properties) "
                        "VALUES(1, NULL, 1, '{main}', '', '[]');"
                        "INSERT INTO items VALUES(2, 1, 0, '{doc}', 'a.txt', '[]', 5, 10, 'abc');");
    }
    Journal journal(file);
    const std::vector<JournalEntry> children = journal.Entries(1);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].localName, "a.txt");
    EXPECT_FALSE(children[0].local.known());
    journal.SetLocal(2, {1, 2, 3});
    EXPECT_EQ(journal.Entries(1)[0].local.inode, 2);
    const std::optional<JournalItem> loaded = journal.Find(2);
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->listedNames);
}

} // namespace
} // namespace KovaSync
