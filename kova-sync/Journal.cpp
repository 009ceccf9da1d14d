#include "kova-sync/Journal.h"

#include "Platform/Utf.h"
#include "kova-sync/PropertyCodec.h"

namespace KovaSync {
namespace {

constexpr const char* kSchema = R"(
PRAGMA foreign_keys = ON;
PRAGMA journal_mode = WAL;
CREATE TABLE IF NOT EXISTS settings(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS items(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES items(id) ON DELETE CASCADE,
    is_folder INTEGER NOT NULL,
    unique_id TEXT NOT NULL,
    local_name TEXT NOT NULL,
    properties TEXT NOT NULL,
    size INTEGER,
    modified_ns INTEGER,
    content_hash TEXT);
CREATE UNIQUE INDEX IF NOT EXISTS items_by_parent ON items(parent, is_folder, unique_id);
CREATE UNIQUE INDEX IF NOT EXISTS main_folder ON items(is_folder) WHERE parent IS NULL;
)";

// Columns a journal of an earlier version lacks: they are added when it is opened.
void Upgrade(Database& db) {
    db.AddColumnIfMissing("items", "device", "INTEGER");
    db.AddColumnIfMissing("items", "inode", "INTEGER");
    db.AddColumnIfMissing("items", "birth_ns", "INTEGER");
    db.AddColumnIfMissing("items", "listed_names", "TEXT");
    // Lists a folder's entries in id order from the index alone, without reading the stored maps.
    db.Execute("CREATE INDEX IF NOT EXISTS items_by_unique_id ON items(unique_id);"
               "DROP INDEX IF EXISTS items_entries;"
               "CREATE INDEX IF NOT EXISTS items_entry_rows ON items(parent, id, is_folder, unique_id, "
               "local_name, size, modified_ns, content_hash, device, inode, birth_ns);");
}

// Listed property names are stored one to a line.
std::string JoinNames(const std::vector<std::wstring>& names) {
    std::string joined;
    for (const std::wstring& name : names) {
        joined += Platform::WideToUtf8(name) + "\n";
    }
    return joined;
}

std::vector<std::wstring> SplitNames(const std::string& joined) {
    std::vector<std::wstring> names;
    for (std::size_t begin = 0, end; (end = joined.find('\n', begin)) != std::string::npos; begin = end + 1) {
        names.push_back(Platform::Utf8ToWide(joined.substr(begin, end - begin)));
    }
    return names;
}

// The columns ReadEntry reads; ReadItem reads the properties after them.
const std::string kEntryColumns =
    "id, parent, is_folder, unique_id, local_name, size, modified_ns, content_hash, device, inode, birth_ns";
const std::string kItemColumns = kEntryColumns + ", properties, listed_names";

JournalEntry ReadEntry(const Statement& row) {
    JournalEntry entry;
    entry.id = row.Number(0);
    if (!row.IsNull(1)) {
        entry.parent = row.Number(1);
    }
    entry.isFolder = row.Number(2) != 0;
    entry.uniqueId = Platform::Utf8ToWide(row.Text(3));
    entry.localName = row.Text(4);
    if (!row.IsNull(5)) {
        entry.content = ContentState{row.Number(5), row.Number(6), row.Text(7)};
    }
    if (!row.IsNull(9)) {
        entry.local = {row.Number(8), row.Number(9), row.Number(10)};
    }
    return entry;
}

JournalItem ReadItem(const Statement& row) {
    JournalItem item{ReadEntry(row), MapRef(), std::nullopt};
    DecodeProperties(row.Text(11), item.map);
    if (!row.IsNull(12)) {
        item.listedNames = SplitNames(row.Text(12));
    }
    return item;
}

void BindContent(Statement& statement, int first, const std::optional<ContentState>& content) {
    if (content) {
        statement.Bind(first, content->size)
            .Bind(first + 1, content->modifiedNs)
            .Bind(first + 2, content->hash);
    }
}

void BindLocal(Statement& statement, int first, const LocalIdentity& local) {
    if (local.known()) {
        statement.Bind(first, local.device).Bind(first + 1, local.inode).Bind(first + 2, local.birthNs);
    }
}

void BindNames(Statement& statement, int index, const std::optional<std::vector<std::wstring>>& names) {
    if (names) {
        statement.Bind(index, JoinNames(*names));
    }
}

} // namespace

Journal::Journal(const std::filesystem::path& file)
    : db_(file, kSchema, Upgrade),
      find_(db_, ("SELECT " + kItemColumns + " FROM items WHERE id = ?").c_str()),
      entries_(db_, ("SELECT " + kEntryColumns + " FROM items WHERE parent = ? ORDER BY id").c_str()),
      insert_(
          db_,
          "INSERT INTO items(parent, is_folder, unique_id, local_name, properties, size, modified_ns, "
          "content_hash, device, inode, birth_ns, listed_names) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
      update_(db_, "UPDATE items SET local_name = ?, properties = ?, size = ?, modified_ns = ?, "
                   "content_hash = ?, device = ?, inode = ?, birth_ns = ?, listed_names = ? WHERE id = ?"),
      setContent_(db_, "UPDATE items SET size = ?, modified_ns = ?, content_hash = ? WHERE id = ?"),
      setLocal_(db_, "UPDATE items SET device = ?, inode = ?, birth_ns = ? WHERE id = ?"),
      byUniqueId_(db_,
                  ("SELECT " + kEntryColumns + " FROM items WHERE unique_id = ? AND is_folder = 0").c_str()) {
}

std::optional<JournalItem> Journal::MainFolder() {
    Statement query(db_, ("SELECT " + kItemColumns + " FROM items WHERE parent IS NULL").c_str());
    if (!query.Step()) {
        return std::nullopt;
    }
    return ReadItem(query);
}

std::optional<JournalItem> Journal::Find(std::int64_t id) {
    find_.Reset();
    find_.Bind(1, id);
    std::optional<JournalItem> found;
    if (find_.Step()) {
        found = ReadItem(find_);
    }
    find_.Reset();
    return found;
}

JournalItem Journal::Load(const JournalEntry& entry) {
    std::optional<JournalItem> item = Find(entry.id);
    if (!item) {
        throw SqliteError("journal: the entry of \"" + entry.localName + "\" is no longer stored");
    }
    return std::move(*item);
}

std::vector<JournalEntry> Journal::Entries(std::int64_t folderId) {
    entries_.Reset();
    entries_.Bind(1, folderId);
    std::vector<JournalEntry> children;
    while (entries_.Step()) {
        children.push_back(ReadEntry(entries_));
    }
    entries_.Reset();
    return children;
}

std::vector<JournalEntry> Journal::DocumentsWithUniqueId(const std::wstring& uniqueId) {
    byUniqueId_.Reset();
    byUniqueId_.Bind(1, Platform::WideToUtf8(uniqueId));
    std::vector<JournalEntry> documents;
    while (byUniqueId_.Step()) {
        documents.push_back(ReadEntry(byUniqueId_));
    }
    byUniqueId_.Reset();
    return documents;
}

std::int64_t Journal::Insert(const JournalItem& item) {
    insert_.Reset();
    insert_.Bind(1, item.parent).Bind(2, std::int64_t{item.isFolder ? 1 : 0});
    insert_.Bind(3, Platform::WideToUtf8(item.uniqueId))
        .Bind(4, item.localName)
        .Bind(5, EncodeProperties(item.map));
    BindContent(insert_, 6, item.content);
    BindLocal(insert_, 9, item.local);
    BindNames(insert_, 12, item.listedNames);
    insert_.Run();
    return sqlite3_last_insert_rowid(db_.handle());
}

void Journal::Update(const JournalItem& item) {
    update_.Reset();
    update_.Bind(1, item.localName).Bind(2, EncodeProperties(item.map));
    BindContent(update_, 3, item.content);
    BindLocal(update_, 6, item.local);
    BindNames(update_, 9, item.listedNames);
    update_.Bind(10, item.id).Run();
}

void Journal::SetLocal(std::int64_t id, const LocalIdentity& local) {
    setLocal_.Reset();
    BindLocal(setLocal_, 1, local);
    setLocal_.Bind(4, id).Run();
}

void Journal::SetContent(std::int64_t id, const ContentState& content) {
    setContent_.Reset();
    BindContent(setContent_, 1, content);
    setContent_.Bind(4, id).Run();
}

void Journal::Move(std::int64_t id, std::int64_t parent, const std::string& localName) {
    Statement move(db_, "UPDATE items SET parent = ?, local_name = ? WHERE id = ?");
    move.Bind(1, parent).Bind(2, localName).Bind(3, id).Run();
}

void Journal::Remove(std::int64_t id) {
    Statement remove(db_, "DELETE FROM items WHERE id = ?");
    remove.Bind(1, id).Run();
}

std::int64_t Journal::CountDocuments() {
    Statement count(db_, "SELECT count(*) FROM items WHERE is_folder = 0");
    count.Step();
    return count.Number(0);
}

std::int64_t Journal::CountDocumentsUnder(std::int64_t folderId) {
    Statement count(db_, "WITH RECURSIVE tree(id) AS (SELECT ? UNION SELECT items.id FROM items JOIN tree "
                         "ON items.parent = tree.id WHERE items.is_folder = 1) "
                         "SELECT count(*) FROM items WHERE is_folder = 0 AND parent IN tree");
    count.Bind(1, folderId);
    count.Step();
    return count.Number(0);
}

std::optional<std::string> Journal::Setting(const std::string& key) {
    Statement query(db_, "SELECT value FROM settings WHERE key = ?");
    query.Bind(1, key);
    if (!query.Step()) {
        return std::nullopt;
    }
    return query.Text(0);
}

void Journal::SetSetting(const std::string& key, const std::string& value) {
    Statement upsert(db_, "INSERT INTO settings(key, value) VALUES(?, ?) "
                          "ON CONFLICT(key) DO UPDATE SET value = excluded.value");
    upsert.Bind(1, key).Bind(2, value).Run();
}

} // namespace KovaSync
