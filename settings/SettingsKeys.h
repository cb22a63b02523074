#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/Store.h"

namespace vantrel {

/// The key and value routines through which the program reaches the store.
/// A missing key reads as no subkeys and a missing value as the default; a
/// failure of the store itself throws StoreError, so that a command can fail
/// whole instead of deciding on an answer the store never gave. Only the
/// caller knows whether a default may stand in for a value it could not read.
class SettingsKeys {
public:
    explicit SettingsKeys(Store& store) : store_(store) {}

    std::vector<std::string> subkeyNames(std::string_view keyPath);
    void createKey(std::string_view keyPath);
    /// False when there is no such key.
    bool deleteKey(std::string_view keyPath);
    std::string stringValue(std::string_view keyPath, std::string_view valueName,
                            std::string_view defaultText);
    void setStringValue(std::string_view keyPath, std::string_view valueName,
                        std::string_view text);

    /// The store behind the routines, for commands that group their changes
    /// into one transaction.
    Store& store() { return store_; }

private:
    Store& store_;
};

}  // namespace vantrel
