// A thin RAII layer over the sqlite3 C API: a database connection, a prepared statement with typed
// binds and columns, and a transaction that rolls back unless committed. Failures throw SqliteError
// with the database's own message.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace KovaSync {

class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Database {
public:
    // Opens (and creates) the database file, then runs the setup statements (pragmas, tables) and
    // the upgrade of a database that an earlier version wrote.
    Database(const std::filesystem::path& file, const char* setup,
             const std::function<void(Database&)>& upgrade = nullptr);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs SQL without results (one or more statements).
    void Execute(const char* sql);
    // Adds the column to the table unless the table has it already.
    void AddColumnIfMissing(const char* table, const char* column, const char* type);
    sqlite3* handle() const { return db_; }
    [[noreturn]] void Fail(const std::string& what) const;

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Database& db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds by 1-based position; returns *this so binds chain.
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::int64_t number);
    Statement& BindNull(int index);
    Statement& Bind(int index, const std::optional<std::int64_t>& number);

    // Steps once: true while a row is there.
    bool Step();
    // Steps a statement without rows to its end, then resets it for the next use.
    void Run();
    // Resets for the next use and clears the binds.
    void Reset();

    std::string Text(int column) const;
    std::int64_t Number(int column) const;
    bool IsNull(int column) const;

private:
    Database& db_;
    sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK unless Commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace KovaSync
