#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Store.h"

namespace vantrel {

/// The predefined root a key path starts from. Only the current user's root is used.
enum class RootKey : std::uint32_t { HKEY_CURRENT_USER = 0x80000001 };

/// The five routines through which every settings access goes. None reports
/// a failure: a missing key reads as no subkeys, a missing value as the
/// default, and a change the store refuses simply does not happen.
class Module1 {
public:
    explicit Module1(Store& store) : store_(store) {}

    std::vector<std::string> EnumSubKeys(RootKey root, std::string_view keyPath);
    void CreateKey(RootKey root, std::string_view keyPath);
    void DeleteKey(RootKey root, std::string_view keyPath);
    std::string QueryStringValue(RootKey root, std::string_view keyPath,
                                 std::string_view valueName, std::string_view defaultText);
    void SetStringValue(RootKey root, std::string_view keyPath, std::string_view valueName,
                        std::string_view text);

    /// The store behind the routines, for commands that group their changes
    /// into one transaction.
    Store& store() { return store_; }

private:
    Store& store_;
};

}  // namespace vantrel
