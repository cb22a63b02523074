#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/Store.h"

namespace vantrel {

/// The key and value routines through which start-up and the concurrency
/// reach the store. None reports a failure: a missing key reads as no
/// subkeys, a missing value as the default, and a change the store refuses
/// simply does not happen.
class SettingsKeys {
public:
    explicit SettingsKeys(Store& store) : store_(store) {}

    std::vector<std::string> subkeyNames(std::string_view keyPath);
    void createKey(std::string_view keyPath);
    void deleteKey(std::string_view keyPath);
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
