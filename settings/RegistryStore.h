#pragma once

#include "settings/Store.h"

namespace vantrel {

/// The store kept in the Windows registry under HKEY_CURRENT_USER, through the
/// wide (UTF-16) registry functions so that every character is kept. Each call
/// opens the keys it needs and closes them before it returns.
///
/// What the registry itself decides: a key name is limited to 255 characters
/// (longer ones are refused with StoreError); a string value ends at its first
/// zero character; values of other types read as absent. Text that is not
/// valid UTF-8 is refused with StoreError rather than stored altered.
/// Transactions group nothing: each change reaches the registry at once.
class RegistryStore final : public Store {
public:
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
};

}  // namespace vantrel
