#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/Store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel {

/// The store kept in one SQLite database: a table of keys, each under its
/// parent, and a table of string values. Names are unique per parent by
/// their upper-cased form, which is also the enumeration order.
class SqliteStore final : public Store {
public:
    /// Opens (creating when missing) the database file. Checks that it is a
    /// sound database of this store before it writes anything to it, so a
    /// damaged or foreign file is never changed. Throws StoreError with the reason.
    static std::unique_ptr<SqliteStore> open(const std::string& path);
    /// An empty store that lives in memory only.
    static std::unique_ptr<SqliteStore> inMemory();

    ~SqliteStore() override;

    std::vector<std::string> subKeys(std::string_view keyPath) override;
    bool keyExists(std::string_view keyPath) override;
    void createKey(std::string_view keyPath) override;
    bool deleteKey(std::string_view keyPath) override;
    std::optional<std::string> stringValue(std::string_view keyPath,
                                           std::string_view valueName) override;
    std::vector<NamedValue> stringValues(std::string_view keyPath) override;
    void setStringValue(std::string_view keyPath, std::string_view valueName,
                        std::string_view data) override;
    bool deleteValue(std::string_view keyPath, std::string_view valueName) override;
    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

private:
    class Statement;
    explicit SqliteStore(sqlite3* db);

    void execute(const char* sql);
    Statement prepare(const char* sql);
    void run(const char* sql);
    void createSchema();
    template <typename Change>
    void atomically(Change&& change);
    std::optional<long long> findKey(std::string_view keyPath);
    long long createKeyId(std::string_view keyPath);
    std::optional<long long> findChild(long long parentId, std::string_view name);

    sqlite3* db_;
    std::unordered_map<std::string_view, sqlite3_stmt*> statements_;
};

}  // namespace vantrel
