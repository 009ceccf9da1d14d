#include "kova-sync/Journal.h"

#include "Platform/Utf.h"
#include "kova-sync/PropertyCodec.h"

namespace KovaSync {
namespace {

constexpr const char* kSchema = R"(
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

constexpr const char* kColumns =
    "id, parent, is_folder, unique_id, local_name, properties, size, modified_ns, content_hash";

} // namespace

Journal::Journal(const std::filesystem::path& file) : db_(file) {
    db_.Execute("PRAGMA foreign_keys = ON");
    db_.Execute(kSchema);
}

JournalItem Journal::Read(const Statement& row) const {
    JournalItem item;
    item.id = row.Number(0);
    if (!row.IsNull(1)) {
        item.parent = row.Number(1);
    }
    item.isFolder = row.Number(2) != 0;
    item.uniqueId = Platform::Utf8ToWide(row.Text(3));
    item.localName = row.Text(4);
    DecodeProperties(row.Text(5), item.map);
    if (!row.IsNull(6)) {
        item.content = ContentState{row.Number(6), row.Number(7), row.Text(8)};
    }
    return item;
}

std::optional<JournalItem> Journal::MainFolder() {
    Statement query(db_, (std::string("SELECT ") + kColumns + " FROM items WHERE parent IS NULL").c_str());
    if (!query.Step()) {
        return std::nullopt;
    }
    return Read(query);
}

std::optional<JournalItem> Journal::Find(std::int64_t id) {
    Statement query(db_, (std::string("SELECT ") + kColumns + " FROM items WHERE id = ?").c_str());
    query.Bind(1, id);
    if (!query.Step()) {
        return std::nullopt;
    }
    return Read(query);
}

std::vector<JournalItem> Journal::Children(std::int64_t folderId) {
    Statement query(db_,
                    (std::string("SELECT ") + kColumns + " FROM items WHERE parent = ? ORDER BY id").c_str());
    query.Bind(1, folderId);
    std::vector<JournalItem> children;
    while (query.Step()) {
        children.push_back(Read(query));
    }
    return children;
}

std::int64_t Journal::Insert(const JournalItem& item) {
    Statement insert(db_, "INSERT INTO items(parent, is_folder, unique_id, local_name, properties, size, "
                          "modified_ns, content_hash) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, item.parent).Bind(2, std::int64_t{item.isFolder ? 1 : 0});
    insert.Bind(3, Platform::WideToUtf8(item.uniqueId))
        .Bind(4, item.localName)
        .Bind(5, EncodeProperties(item.map));
    if (item.content) {
        insert.Bind(6, item.content->size).Bind(7, item.content->modifiedNs).Bind(8, item.content->hash);
    }
    insert.Run();
    return sqlite3_last_insert_rowid(db_.handle());
}

void Journal::Update(const JournalItem& item) {
    Statement update(db_, "UPDATE items SET local_name = ?, properties = ?, size = ?, modified_ns = ?, "
                          "content_hash = ? WHERE id = ?");
    update.Bind(1, item.localName).Bind(2, EncodeProperties(item.map));
    if (item.content) {
        update.Bind(3, item.content->size).Bind(4, item.content->modifiedNs).Bind(5, item.content->hash);
    }
    update.Bind(6, item.id).Run();
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
