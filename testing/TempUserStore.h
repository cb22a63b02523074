#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vantrel::testing {

/// A fresh, empty store of the current user's settings while it lives, so no
/// test ever touches the real one: a temporary configuration home on Linux, a
/// temporary registry key standing in for HKEY_CURRENT_USER on Windows.
class TempUserStore {
public:
    TempUserStore();
    ~TempUserStore();
    TempUserStore(const TempUserStore&) = delete;
    TempUserStore& operator=(const TempUserStore&) = delete;

private:
    struct StandIn;
    std::unique_ptr<StandIn> standIn_;
};

/// A full script path as this platform writes it, from one written with "/":
/// "/a/x.txt" stays as it is on Linux and is "C:\a\x.txt" on Windows.
std::string NativePath(std::string_view slashed);

}  // namespace vantrel::testing
