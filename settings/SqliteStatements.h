#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel {

struct SqliteCloser {
    void operator()(sqlite3* db) const;
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const;
};
using SqliteConnection = std::unique_ptr<sqlite3, SqliteCloser>;
using PreparedStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

/// Throws the connection's last error as a StoreError.
[[noreturn]] void FailWith(sqlite3* db);

/// One use of a prepared statement that no other use shares; when the use
/// ends the statement is reset and goes back to its cache.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, PreparedStatement statement, std::vector<PreparedStatement>& idle)
        : db_(db), statement_(std::move(statement)), idle_(&idle) {}
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, long long value);
    SqliteStatement& bind(int index, std::string_view text);
    /// True while a row is available.
    bool step();
    long long integer(int column);
    std::string text(int column);

private:
    void check(int rc);
    sqlite3* db_;
    PreparedStatement statement_;
    std::vector<PreparedStatement>* idle_;
};

/// The prepared statements of one connection, kept by their SQL text. Every
/// change runs a handful of statements; preparing each once keeps a command of
/// a hundred changes within a few milliseconds. A statement is lent to one use
/// at a time, so a use of some SQL inside another use of the same SQL gets a
/// statement of its own.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db) : db_(db) {}
    SqliteStatement prepare(std::string_view sql);

private:
    struct Statements {
        std::vector<PreparedStatement> idle;
        std::size_t made = 0;
    };
    sqlite3* db_;
    std::map<std::string, Statements, std::less<>> bySql_;
};

}  // namespace vantrel
