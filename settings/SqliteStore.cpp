#include "settings/SqliteStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/FileDescriptor_linux.h"
#include "settings/UpperCase.h"

namespace vantrel {

namespace {

constexpr long long kRootKeyId = 1;
// Marks a database as this program's store ("VTRL"), so a foreign file is refused.
constexpr std::uint32_t kApplicationId = 0x5654524C;
constexpr int kBusyTimeoutMs = 2000;
// Where SQLite's file header keeps what the store checks before it opens a file.
constexpr char kDatabaseMagic[16] = "SQLite format 3";
constexpr std::size_t kHeaderSize = 100;
constexpr std::size_t kApplicationIdOffset = 68;

std::string SystemReason(int error) {
    return error == ENOSPC ? "the disk is full" : std::generic_category().message(error);
}

std::vector<std::string_view> SplitKeyPath(std::string_view keyPath) {
    std::vector<std::string_view> names;
    if (keyPath.empty()) return names;
    for (std::size_t start = 0;;) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view name = keyPath.substr(start, end - start);
        if (name.empty())
            throw StoreError("invalid key path (empty key name): " + std::string(keyPath));
        names.push_back(name);
        if (end == std::string_view::npos) return names;
        start = end + 1;
    }
}

enum class FileState { Missing, Empty, Present };

FileState StateOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return status.st_size == 0 ? FileState::Empty : FileState::Present;
    if (errno == ENOENT) return FileState::Missing;
    throw StoreError("the file cannot be read: " + SystemReason(errno));
}

/// Refuses, from its header alone and before SQLite opens it, a file that is
/// not this store: SQLite writes to any database it opens for writing.
void CheckIsThisStore(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) throw StoreError("the file cannot be read: " + SystemReason(errno));
    unsigned char header[kHeaderSize];
    const ssize_t got = ::pread(file.get(), header, sizeof header, 0);
    if (got < 0) throw StoreError("the file cannot be read: " + SystemReason(errno));
    if (got == 0) throw StoreError("the file is empty");
    if (static_cast<std::size_t>(got) < sizeof header ||
        std::memcmp(header, kDatabaseMagic, sizeof kDatabaseMagic) != 0)
        throw StoreError("the file is not a database");
    std::uint32_t applicationId = 0;
    for (std::size_t i = 0; i < 4; ++i)
        applicationId = applicationId << 8 | header[kApplicationIdOffset + i];
    if (applicationId != kApplicationId)
        throw StoreError("the file is another program's database, not a Vantrel store");
}

/// Holds the folder's lock while it lives, so that processes starting together
/// make the store one at a time and the later ones find it made.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : folder_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (!folder_.valid())
            throw StoreError("its folder cannot be opened: " + SystemReason(errno));
        while (::flock(folder_.get(), LOCK_EX) != 0)
            if (errno != EINTR)
                throw StoreError("its folder cannot be locked: " + SystemReason(errno));
    }

private:
    FileDescriptor folder_;
};

/// The path as an SQLite file URI that opens the file as one that never changes.
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '?' || c == '#' || c == '%') {
            constexpr char kHex[] = "0123456789ABCDEF";
            uri += {'%', kHex[(c >> 4) & 0xF], kHex[c & 0xF]};
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

void RemoveWithJournals(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace

std::unique_ptr<SqliteStore> SqliteStore::connect(const std::string& path, int flags) {
    sqlite3* opened = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &opened, flags, nullptr);
    SqliteConnection db(opened);
    if (rc != SQLITE_OK) FailWith(db.get());
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return std::unique_ptr<SqliteStore>(new SqliteStore(std::move(db)));
}

void SqliteStore::createFile(const std::string& path) {
    if (StateOf(path) == FileState::Present) return;
    const FolderLock lock(std::filesystem::path(path).parent_path());
    const FileState state = StateOf(path);
    if (state == FileState::Present) return;
    std::string temporary = path + ".new-XXXXXX";
    const FileDescriptor made(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!made.valid()) throw StoreError("it cannot be created: " + SystemReason(errno));
    try {
        connect(temporary, SQLITE_OPEN_READWRITE)->createSchema();
        // A link never replaces a file that another program put there meanwhile.
        const bool placed = state == FileState::Missing
                                ? ::link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST
                                : ::rename(temporary.c_str(), path.c_str()) == 0;
        if (!placed) throw StoreError("it cannot be created: " + SystemReason(errno));
    } catch (const StoreError&) {
        RemoveWithJournals(temporary);
        throw;
    }
    RemoveWithJournals(temporary);
}

std::unique_ptr<SqliteStore> SqliteStore::open(const std::string& path, Access access) {
    if (access == Access::ReadWrite) createFile(path);
    CheckIsThisStore(path);
    if (access == Access::ReadOnly) return openForReading(path);
    std::unique_ptr<SqliteStore> store = connect(path, SQLITE_OPEN_READWRITE);
    store->checkSound();
    return store;
}

std::unique_ptr<SqliteStore> SqliteStore::openForReading(const std::string& path) {
    std::unique_ptr<SqliteStore> store = connect(path, SQLITE_OPEN_READONLY);
    try {
        store->checkSound();
        return store;
    } catch (const StoreError&) {
        // In a folder that cannot be written SQLite cannot make the shared
        // index a journaled store needs even to be read. Without a journal
        // the file holds everything, and nothing can change it meanwhile.
        if (sqlite3_errcode(store->db_.get()) != SQLITE_CANTOPEN ||
            std::filesystem::exists(path + "-wal"))
            throw;
    }
    store = connect(ImmutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    store->checkSound();
    return store;
}

std::unique_ptr<SqliteStore> SqliteStore::inMemory() {
    std::unique_ptr<SqliteStore> store =
        connect(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    store->createSchema();
    return store;
}

void SqliteStore::checkSound() {
    SqliteStatement check = prepare("PRAGMA quick_check");
    if (!check.step() || check.text(0) != "ok") throw StoreError("the database is damaged");
}

void SqliteStore::createSchema() {
    execute("PRAGMA journal_mode=WAL");
    beginTransaction();
    execute(
        "CREATE TABLE keys ("
        " id INTEGER PRIMARY KEY,"
        " parent_id INTEGER REFERENCES keys(id),"
        " name TEXT NOT NULL,"
        " name_upper TEXT NOT NULL,"
        " UNIQUE (parent_id, name_upper))");
    execute(
        "CREATE TABLE string_values ("
        " key_id INTEGER NOT NULL REFERENCES keys(id),"
        " name TEXT NOT NULL,"
        " name_upper TEXT NOT NULL,"
        " data TEXT NOT NULL,"
        " PRIMARY KEY (key_id, name_upper)) WITHOUT ROWID");
    execute("INSERT INTO keys (id, parent_id, name, name_upper) VALUES (1, NULL, '', '')");
    execute(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
    commitTransaction();
}

void SqliteStore::execute(const char* sql) {
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) FailWith(db_.get());
}

void SqliteStore::run(const char* sql) { prepare(sql).step(); }

std::optional<long long> SqliteStore::findChild(long long parentId, std::string_view name) {
    SqliteStatement find = prepare("SELECT id FROM keys WHERE parent_id = ?1 AND name_upper = ?2");
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
        SqliteStatement insert =
            prepare("INSERT INTO keys (parent_id, name, name_upper) VALUES (?1, ?2, ?3)");
        insert.bind(1, id).bind(2, name).bind(3, UpperCase(name)).step();
        id = sqlite3_last_insert_rowid(db_.get());
    }
    return id;
}

std::vector<std::string> SqliteStore::subKeys(std::string_view keyPath) {
    std::vector<std::string> names;
    const auto id = findKey(keyPath);
    if (!id) return names;
    SqliteStatement list =
        prepare("SELECT name FROM keys WHERE parent_id = ?1 ORDER BY name_upper");
    list.bind(1, *id);
    while (list.step()) names.push_back(list.text(0));
    return names;
}

bool SqliteStore::keyExists(std::string_view keyPath) { return findKey(keyPath).has_value(); }

template <typename Change>
bool SqliteStore::atomically(Change&& change) {
    // Alone, a change takes the write lock before it reads, so a writer
    // elsewhere is waited for (the busy timeout) instead of failing the change
    // at once; inside a caller's transaction a savepoint nests.
    if (sqlite3_get_autocommit(db_.get())) {
        StoreTransaction transaction(*this);
        const bool changed = change();
        transaction.commit();
        return changed;
    }
    run("SAVEPOINT change");
    try {
        const bool changed = change();
        run("RELEASE change");
        return changed;
    } catch (...) {
        // Some failures (a full disk) end the whole transaction themselves.
        if (!sqlite3_get_autocommit(db_.get())) {
            run("ROLLBACK TO change");
            run("RELEASE change");
        }
        throw;
    }
}

void SqliteStore::createKey(std::string_view keyPath) {
    atomically([&] {
        createKeyId(keyPath);
        return true;
    });
}

bool SqliteStore::deleteKey(std::string_view keyPath) {
    return atomically([&] {
        const auto id = findKey(keyPath);
        if (!id) return false;
        if (*id == kRootKeyId) throw StoreError("the root key cannot be deleted");
        SqliteStatement children = prepare("SELECT 1 FROM keys WHERE parent_id = ?1 LIMIT 1");
        if (children.bind(1, *id).step())
            throw StoreError("key has subkeys: " + std::string(keyPath));
        prepare("DELETE FROM string_values WHERE key_id = ?1").bind(1, *id).step();
        prepare("DELETE FROM keys WHERE id = ?1").bind(1, *id).step();
        return true;
    });
}

std::optional<std::string> SqliteStore::stringValue(std::string_view keyPath,
                                                    std::string_view valueName) {
    const auto id = findKey(keyPath);
    if (!id) return std::nullopt;
    SqliteStatement read =
        prepare("SELECT data FROM string_values WHERE key_id = ?1 AND name_upper = ?2");
    read.bind(1, *id).bind(2, UpperCase(valueName));
    if (!read.step()) return std::nullopt;
    return read.text(0);
}

std::vector<NamedValue> SqliteStore::stringValues(std::string_view keyPath) {
    std::vector<NamedValue> values;
    const auto id = findKey(keyPath);
    if (!id) return values;
    SqliteStatement list =
        prepare("SELECT name, data FROM string_values WHERE key_id = ?1 ORDER BY name_upper");
    list.bind(1, *id);
    while (list.step()) values.push_back({list.text(0), list.text(1)});
    return values;
}

void SqliteStore::setStringValue(std::string_view keyPath, std::string_view valueName,
                                 std::string_view data) {
    atomically([&] {
        const long long id = createKeyId(keyPath);
        prepare(
            "INSERT INTO string_values (key_id, name, name_upper, data) VALUES (?1, ?2, ?3, ?4)"
            " ON CONFLICT (key_id, name_upper) DO UPDATE SET data = ?4")
            .bind(1, id)
            .bind(2, valueName)
            .bind(3, UpperCase(valueName))
            .bind(4, data)
            .step();
        return true;
    });
}

bool SqliteStore::deleteValue(std::string_view keyPath, std::string_view valueName) {
    return atomically([&] {
        const auto id = findKey(keyPath);
        if (!id) return false;
        prepare("DELETE FROM string_values WHERE key_id = ?1 AND name_upper = ?2")
            .bind(1, *id)
            .bind(2, UpperCase(valueName))
            .step();
        return sqlite3_changes(db_.get()) > 0;
    });
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
    if (!sqlite3_get_autocommit(db_.get())) run("ROLLBACK");
}

}  // namespace vantrel
