#include "testing/TempConfigHome.h"
#include "testing/TempUserStore.h"

namespace vantrel::testing {

struct TempUserStore::StandIn {
    TempConfigHome home;
};

TempUserStore::TempUserStore() : standIn_(std::make_unique<StandIn>()) {}

TempUserStore::~TempUserStore() = default;

std::string NativePath(std::string_view slashed) { return std::string(slashed); }

}  // namespace vantrel::testing
