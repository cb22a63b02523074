#include "settings/SqliteStatements.h"

#include <sqlite3.h>

#include "settings/Store.h"

namespace vantrel {

void SqliteCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void StatementFinalizer::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

void FailWith(sqlite3* db) {
    if (db == nullptr) throw StoreError("out of memory");
    // The store sets no size limit of its own, so a full database is a full disk.
    if (sqlite3_errcode(db) == SQLITE_FULL) throw StoreError("the disk is full");
    throw StoreError(sqlite3_errmsg(db));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
    idle_->push_back(std::move(statement_));
}

SqliteStatement& SqliteStatement::bind(int index, long long value) {
    check(sqlite3_bind_int64(statement_.get(), index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    check(sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(statement_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) FailWith(db_);
    return false;
}

long long SqliteStatement::integer(int column) {
    return sqlite3_column_int64(statement_.get(), column);
}

std::string SqliteStatement::text(int column) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    return std::string(data ? data : "", sqlite3_column_bytes(statement_.get(), column));
}

void SqliteStatement::check(int rc) {
    if (rc != SQLITE_OK) FailWith(db_);
}

SqliteStatement StatementCache::prepare(std::string_view sql) {
    auto found = bySql_.find(sql);
    if (found == bySql_.end()) found = bySql_.emplace(sql, Statements{}).first;
    Statements& statements = found->second;
    if (!statements.idle.empty()) {
        PreparedStatement statement = std::move(statements.idle.back());
        statements.idle.pop_back();
        return SqliteStatement(db_, std::move(statement), statements.idle);
    }
    // Room for every statement made, so that giving one back never allocates.
    statements.idle.reserve(statements.made + 1);
    sqlite3_stmt* made = nullptr;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &made, nullptr) != SQLITE_OK)
        FailWith(db_);
    statements.made += 1;
    return SqliteStatement(db_, PreparedStatement(made), statements.idle);
}

}  // namespace vantrel
