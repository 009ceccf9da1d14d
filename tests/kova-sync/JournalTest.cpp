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

} // namespace
} // namespace KovaSync
