#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "settings/SqliteStatements.h"
#include "settings/Store.h"

namespace vantrel {

/// The store kept in one SQLite database: a table of keys, each under its
/// parent, and a table of string values. Names are unique per parent by
/// their upper-cased form, which is also the enumeration order.
class SqliteStore final : public Store {
public:
    enum class Access { ReadWrite, ReadOnly };

    /// Opens the store file. For writing, a missing or empty file is first
    /// made a store: built whole under a temporary name beside it and then put
    /// in its place, so no other process ever sees half a store and a failure
    /// leaves nothing behind. Any other file must carry this store's
    /// application id and pass a check before it is used, so a damaged or
    /// foreign file is never changed. Throws StoreError with the reason.
    static std::unique_ptr<SqliteStore> open(const std::string& path,
                                             Access access = Access::ReadWrite);
    /// An empty store that lives in memory only.
    static std::unique_ptr<SqliteStore> inMemory();

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
    explicit SqliteStore(SqliteConnection db) : db_(std::move(db)), statements_(db_.get()) {}
    static std::unique_ptr<SqliteStore> connect(const std::string& path, int flags);
    static void createFile(const std::string& path);
    static std::unique_ptr<SqliteStore> openForReading(const std::string& path);

    void execute(const char* sql);
    SqliteStatement prepare(const char* sql) { return statements_.prepare(sql); }
    void run(const char* sql);
    void createSchema();
    void checkSound();
    template <typename Change>
    bool atomically(Change&& change);
    std::optional<long long> findKey(std::string_view keyPath);
    long long createKeyId(std::string_view keyPath);
    std::optional<long long> findChild(long long parentId, std::string_view name);

    // Declared after the connection, the statements are finalized before it closes.
    SqliteConnection db_;
    StatementCache statements_;
};

}  // namespace vantrel
