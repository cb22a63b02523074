#include "settings/SqliteStore.h"

#include <sqlite3.h>

#include "settings/UpperCase.h"

namespace vantrel {

namespace {

constexpr long long kRootKeyId = 1;
// Marks a database as this program's store ("VTRL"), so a foreign file is refused.
constexpr int kApplicationId = 0x5654524C;
constexpr int kBusyTimeoutMs = 2000;

[[noreturn]] void Fail(sqlite3* db) {
    throw StoreError(db ? sqlite3_errmsg(db) : "out of memory");
}

std::vector<std::string_view> SplitKeyPath(std::string_view keyPath) {
    std::vector<std::string_view> names;
    if (keyPath.empty()) return names;
    for (std::size_t start = 0;;) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view name = keyPath.substr(start, end - start);
        if (name.empty()) throw StoreError("invalid key path (empty key name): " + std::string(keyPath));
        names.push_back(name);
        if (end == std::string_view::npos) return names;
        start = end + 1;
    }
}

}  // namespace

/// One use of a cached prepared statement; it is reset for the next use when done.
class SqliteStore::Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, long long value) {
        check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    /// True while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) Fail(db_);
        return false;
    }
    long long integer(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string text(int column) {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return std::string(data ? data : "", sqlite3_column_bytes(stmt_, column));
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) Fail(db_);
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

SqliteStore::SqliteStore(sqlite3* db) : db_(db) {}

SqliteStore::~SqliteStore() {
    for (const auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
}

std::unique_ptr<SqliteStore> SqliteStore::open(const std::string& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                   nullptr);
    std::unique_ptr<SqliteStore> store(new SqliteStore(db));
    if (rc != SQLITE_OK) Fail(db);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    store->createSchema();
    return store;
}

std::unique_ptr<SqliteStore> SqliteStore::inMemory() { return open(":memory:"); }

void SqliteStore::createSchema() {
    {
        Statement check = prepare("PRAGMA quick_check");
        if (!check.step() || check.text(0) != "ok") throw StoreError("the database is damaged");
    }
    {
        Statement id = prepare("PRAGMA application_id");
        id.step();
        const long long applicationId = id.integer(0);
        if (applicationId != 0 && applicationId != kApplicationId)
            throw StoreError("the file belongs to another program");
    }
    execute("PRAGMA journal_mode=WAL");
    beginTransaction();
    execute("CREATE TABLE IF NOT EXISTS keys ("
            " id INTEGER PRIMARY KEY,"
            " parent_id INTEGER REFERENCES keys(id),"
            " name TEXT NOT NULL,"
            " name_upper TEXT NOT NULL,"
            " UNIQUE (parent_id, name_upper))");
    execute("CREATE TABLE IF NOT EXISTS string_values ("
            " key_id INTEGER NOT NULL REFERENCES keys(id),"
            " name TEXT NOT NULL,"
            " name_upper TEXT NOT NULL,"
            " data TEXT NOT NULL,"
            " PRIMARY KEY (key_id, name_upper)) WITHOUT ROWID");
    execute("INSERT OR IGNORE INTO keys (id, parent_id, name, name_upper) VALUES (1, NULL, '', '')");
    execute(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
    commitTransaction();
}

void SqliteStore::execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return;
    const std::string reason = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw StoreError(reason);
}

SqliteStore::Statement SqliteStore::prepare(const char* sql) {
    // Every change runs a handful of statements; preparing them once keeps a
    // command of a hundred changes within a few milliseconds.
    auto [cached, inserted] = statements_.try_emplace(sql, nullptr);
    if (inserted &&
        sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &cached->second, nullptr) !=
            SQLITE_OK) {
        statements_.erase(cached);
        Fail(db_);
    }
    return Statement(db_, cached->second);
}

void SqliteStore::run(const char* sql) { prepare(sql).step(); }

std::optional<long long> SqliteStore::findChild(long long parentId, std::string_view name) {
    Statement find = prepare("SELECT id FROM keys WHERE parent_id = ?1 AND name_upper = ?2");
    find.bind(1, parentId).bind(2, UpperCase(name));
    if (!find.step()) return std::nullopt;
    return find.integer(0);
}

std::optional<long long> SqliteStore::findKey(std::string_view keyPath) {
    long long id = kRootKeyId;
    for (const std::string_view name : SplitKeyPath(keyPath)) {
        const auto child = findChild(id, name);
        if (!child) return std::nullopt;
        id = *child;
    }
    return id;
}

long long SqliteStore::createKeyId(std::string_view keyPath) {
    long long id = kRootKeyId;
    for (const std::string_view name : SplitKeyPath(keyPath)) {
        if (const auto child = findChild(id, name)) {
            id = *child;
            continue;
        }
        Statement insert = prepare("INSERT INTO keys (parent_id, name, name_upper) VALUES (?1, ?2, ?3)");
        insert.bind(1, id).bind(2, name).bind(3, UpperCase(name)).step();
        id = sqlite3_last_insert_rowid(db_);
    }
    return id;
}

std::vector<std::string> SqliteStore::subKeys(std::string_view keyPath) {
    std::vector<std::string> names;
    const auto id = findKey(keyPath);
    if (!id) return names;
    Statement list = prepare("SELECT name FROM keys WHERE parent_id = ?1 ORDER BY name_upper");
    list.bind(1, *id);
    while (list.step()) names.push_back(list.text(0));
    return names;
}

bool SqliteStore::keyExists(std::string_view keyPath) { return findKey(keyPath).has_value(); }

template <typename Change>
void SqliteStore::atomically(Change&& change) {
    // A savepoint nests inside a caller's transaction and stands alone outside one.
    run("SAVEPOINT change");
    try {
        change();
    } catch (...) {
        run("ROLLBACK TO change");
        run("RELEASE change");
        throw;
    }
    run("RELEASE change");
}

void SqliteStore::createKey(std::string_view keyPath) {
    atomically([&] { createKeyId(keyPath); });
}

bool SqliteStore::deleteKey(std::string_view keyPath) {
    const auto id = findKey(keyPath);
    if (!id) return false;
    if (*id == kRootKeyId) throw StoreError("the root key cannot be deleted");
    Statement children = prepare("SELECT 1 FROM keys WHERE parent_id = ?1 LIMIT 1");
    if (children.bind(1, *id).step())
        throw StoreError("key has subkeys: " + std::string(keyPath));
    atomically([&] {
        prepare("DELETE FROM string_values WHERE key_id = ?1").bind(1, *id).step();
        prepare("DELETE FROM keys WHERE id = ?1").bind(1, *id).step();
    });
    return true;
}

std::optional<std::string> SqliteStore::stringValue(std::string_view keyPath,
                                                    std::string_view valueName) {
    const auto id = findKey(keyPath);
    if (!id) return std::nullopt;
    Statement read = prepare("SELECT data FROM string_values WHERE key_id = ?1 AND name_upper = ?2");
    read.bind(1, *id).bind(2, UpperCase(valueName));
    if (!read.step()) return std::nullopt;
    return read.text(0);
}

std::vector<NamedValue> SqliteStore::stringValues(std::string_view keyPath) {
    std::vector<NamedValue> values;
    const auto id = findKey(keyPath);
    if (!id) return values;
    Statement list = prepare("SELECT name, data FROM string_values WHERE key_id = ?1 ORDER BY name_upper");
    list.bind(1, *id);
    while (list.step()) values.push_back({list.text(0), list.text(1)});
    return values;
}

void SqliteStore::setStringValue(std::string_view keyPath, std::string_view valueName,
                                 std::string_view data) {
    atomically([&] {
        const long long id = createKeyId(keyPath);
        prepare("INSERT INTO string_values (key_id, name, name_upper, data) VALUES (?1, ?2, ?3, ?4)"
                " ON CONFLICT (key_id, name_upper) DO UPDATE SET data = ?4")
            .bind(1, id).bind(2, valueName).bind(3, UpperCase(valueName)).bind(4, data).step();
    });
}

bool SqliteStore::deleteValue(std::string_view keyPath, std::string_view valueName) {
    const auto id = findKey(keyPath);
    if (!id) return false;
    prepare("DELETE FROM string_values WHERE key_id = ?1 AND name_upper = ?2")
        .bind(1, *id).bind(2, UpperCase(valueName)).step();
    return sqlite3_changes(db_) > 0;
}

void SqliteStore::beginTransaction() { run("BEGIN IMMEDIATE"); }

void SqliteStore::commitTransaction() {
    try {
        run("COMMIT");
    } catch (const StoreError&) {
        rollbackTransaction();
        throw;
    }
}

void SqliteStore::rollbackTransaction() {
    if (!sqlite3_get_autocommit(db_)) run("ROLLBACK");
}

}  // namespace vantrel
