#include <algorithm>

#include "testing/TempRegistryKey_windows.h"
#include "testing/TempUserStore.h"

namespace vantrel::testing {

struct TempUserStore::StandIn {
    TempRegistryKey key;
};

TempUserStore::TempUserStore() : standIn_(std::make_unique<StandIn>()) {}

TempUserStore::~TempUserStore() = default;

std::string NativePath(std::string_view slashed) {
    std::string path = "C:" + std::string(slashed);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace vantrel::testing
