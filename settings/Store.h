#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

/// A failure of the store itself (I/O, a damaged file, a lock held too long).
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A string value under a key: its name and its data.
struct NamedValue {
    std::string name;
    std::string data;
    friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

/// The current user's hierarchical settings store, as HKEY_CURRENT_USER is on
/// Windows. Key paths are "\"-separated and relative to that root; key and
/// value names compare without regard to case. Texts are UTF-8 and kept whole.
/// Backends throw StoreError for failures of the store itself.
class Store {
public:
    virtual ~Store() = default;

    /// Names of the direct subkeys, ascending by upper-cased name.
    /// Empty when the key does not exist; never creates it.
    virtual std::vector<std::string> subKeys(std::string_view keyPath) = 0;
    virtual bool keyExists(std::string_view keyPath) = 0;
    /// Makes sure the key exists, creating missing parents; an existing key is kept.
    virtual void createKey(std::string_view keyPath) = 0;
    /// Deletes a key that has no subkeys. False when there is no such key;
    /// StoreError when it still has subkeys.
    virtual bool deleteKey(std::string_view keyPath) = 0;

    /// The string value, or nothing when the key or value is missing.
    virtual std::optional<std::string> stringValue(std::string_view keyPath,
                                                   std::string_view valueName) = 0;
    /// Every string value of the key, ascending by upper-cased name.
    virtual std::vector<NamedValue> stringValues(std::string_view keyPath) = 0;
    /// Writes the value, creating the key and its parents first when needed.
    virtual void setStringValue(std::string_view keyPath, std::string_view valueName,
                                std::string_view data) = 0;
    /// False when there is no such key or value.
    virtual bool deleteValue(std::string_view keyPath, std::string_view valueName) = 0;

    /// Changes between begin and commit reach the store all together or not at all.
    virtual void beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;
};

/// Makes every store change of one command a single transaction: committed by
/// commit(), rolled back when the scope is left without it.
class StoreTransaction {
public:
    explicit StoreTransaction(Store& store);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;
    void commit();

private:
    Store* store_;
    bool open_;
};

/// The outcome of opening the user's store: always a usable store, and, when
/// the real one could not be used, why. The store is then the real one opened
/// for reading only when it can be read but not written (readOnly), else an
/// empty one in memory.
struct OpenedStore {
    std::unique_ptr<Store> store;
    std::string location;
    std::optional<std::string> problem;
    bool readOnly = false;
};

/// Opens the current user's store (the platform backend decides where it lives).
OpenedStore OpenUserStore();

/// Opens the current user's store for looking at: one that does not exist yet
/// is not created, and an empty one in memory stands for it.
OpenedStore OpenUserStoreToRead();

}  // namespace vantrel
