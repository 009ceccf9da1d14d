#include "kova-sync/Sqlite.h"

namespace KovaSync {

Database::Database(const std::filesystem::path& file, const char* setup,
                   const std::function<void(Database&)>& upgrade) {
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string message = db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw SqliteError("cannot open the journal " + file.string() + ": " + message);
    }
    // Another pass over the same mirror waits a little for the lock instead of failing at once.
    sqlite3_busy_timeout(db_, 5000);
    try {
        Execute(setup);
        if (upgrade) {
            upgrade(*this);
        }
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error == nullptr ? sqlite3_errmsg(db_) : error;
        sqlite3_free(error);
        throw SqliteError("journal: " + message);
    }
}

void Database::AddColumnIfMissing(const char* table, const char* column, const char* type) {
    {
        Statement exists(*this, "SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
        exists.Bind(1, std::string_view(table)).Bind(2, std::string_view(column));
        if (exists.Step()) {
            return;
        }
    }
    Execute(("ALTER TABLE " + std::string(table) + " ADD COLUMN " + column + " " + type).c_str());
}

void Database::Fail(const std::string& what) const {
    throw SqliteError("journal: " + what + ": " + sqlite3_errmsg(db_));
}

Statement::Statement(Database& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &statement_, nullptr) != SQLITE_OK) {
        db.Fail(std::string("cannot prepare ") + sql);
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK) {
        db_.Fail("bind");
    }
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t number) {
    if (sqlite3_bind_int64(statement_, index, number) != SQLITE_OK) {
        db_.Fail("bind");
    }
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK) {
        db_.Fail("bind");
    }
    return *this;
}

Statement& Statement::Bind(int index, const std::optional<std::int64_t>& number) {
    return number ? Bind(index, *number) : BindNull(index);
}

bool Statement::Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result != SQLITE_DONE) {
        db_.Fail(std::string("step of ") + sqlite3_sql(statement_));
    }
    return false;
}

void Statement::Run() {
    while (Step()) {
    }
    Reset();
}

void Statement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::string Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text == nullptr
               ? std::string()
               : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t Statement::Number(int column) const {
    return sqlite3_column_int64(statement_, column);
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.Execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

} // namespace KovaSync
