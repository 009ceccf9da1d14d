#include "kova-sync/PendingSends.h"

#include <vector>

namespace KovaSync {
namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS pending_sends(
    id INTEGER PRIMARY KEY,
    kind INTEGER NOT NULL,
    folder INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,
    item INTEGER REFERENCES items(id) ON DELETE CASCADE,
    local_name TEXT NOT NULL,
    size INTEGER,
    content_hash TEXT);
CREATE INDEX IF NOT EXISTS pending_sends_by_folder ON pending_sends(folder, kind, local_name);
)";

const char* const kColumns = "SELECT id, kind, folder, item, local_name, size, content_hash "
                             "FROM pending_sends ";

std::optional<PendingSend> ReadFirst(Statement& query) {
    if (!query.Step()) {
        return std::nullopt;
    }
    PendingSend row;
    row.id = query.Number(0);
    row.kind = static_cast<PendingSend::Kind>(query.Number(1));
    row.folder = query.Number(2);
    if (!query.IsNull(3)) {
        row.item = query.Number(3);
    }
    row.localName = query.Text(4);
    row.size = query.Number(5);
    row.hash = query.Text(6);
    return row;
}

} // namespace

PendingSends::PendingSends(Database& db) : db_(db) {
    db_.Execute(kSchema);
}

std::int64_t PendingSends::Record(PendingSend::Kind kind, std::int64_t folder,
                                  std::optional<std::int64_t> item, const std::string& localName,
                                  const std::optional<ContentState>& content) {
    Transaction transaction(db_);
    Statement earlier(db_, "DELETE FROM pending_sends WHERE kind = ? AND folder = ? AND local_name = ? "
                           "OR kind = ? AND item = ?");
    earlier.Bind(1, static_cast<std::int64_t>(kind)).Bind(2, folder).Bind(3, localName);
    earlier.Bind(4, static_cast<std::int64_t>(PendingSend::Kind::Move)).Bind(5, item).Run();
    Statement insert(db_, "INSERT INTO pending_sends(kind, folder, item, local_name, size, content_hash) "
                          "VALUES(?, ?, ?, ?, ?, ?)");
    insert.Bind(1, static_cast<std::int64_t>(kind)).Bind(2, folder).Bind(3, item).Bind(4, localName);
    if (content) {
        insert.Bind(5, content->size).Bind(6, content->hash);
    }
    insert.Run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_.handle());
    transaction.Commit();
    return id;
}

std::optional<PendingSend> PendingSends::Find(PendingSend::Kind kind, std::int64_t folder,
                                              const std::string& localName) {
    Statement query(db_, (std::string(kColumns) +
                          "WHERE folder = ? AND kind = ? AND local_name = ? ORDER BY id DESC LIMIT 1")
                             .c_str());
    query.Bind(1, folder).Bind(2, static_cast<std::int64_t>(kind)).Bind(3, localName);
    return ReadFirst(query);
}

std::optional<PendingSend> PendingSends::FindMove(std::int64_t item) {
    Statement query(db_,
                    (std::string(kColumns) + "WHERE item = ? AND kind = ? ORDER BY id DESC LIMIT 1").c_str());
    query.Bind(1, item).Bind(2, static_cast<std::int64_t>(PendingSend::Kind::Move));
    return ReadFirst(query);
}

void PendingSends::Forget(std::int64_t id) {
    Statement remove(db_, "DELETE FROM pending_sends WHERE id = ?");
    remove.Bind(1, id).Run();
}

void PendingSends::ForgetNewExcept(std::int64_t folder, const std::set<std::string>& waiting) {
    Statement query(db_, (std::string(kColumns) + "WHERE folder = ? AND kind IN (?, ?)").c_str());
    query.Bind(1, folder)
        .Bind(2, static_cast<std::int64_t>(PendingSend::Kind::Document))
        .Bind(3, static_cast<std::int64_t>(PendingSend::Kind::Folder));
    std::vector<std::int64_t> stale;
    while (std::optional<PendingSend> row = ReadFirst(query)) {
        if (waiting.count(row->localName) == 0) {
            stale.push_back(row->id);
        }
    }
    query.Reset();
    for (const std::int64_t id : stale) {
        Forget(id);
    }
}

} // namespace KovaSync
