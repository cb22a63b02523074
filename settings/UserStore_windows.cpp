#include "settings/RegistryStore.h"
#include "settings/Store.h"

namespace vantrel {

// The registry is always there for the current user; there is nothing to fall back from.
OpenedStore OpenUserStore() {
    return {std::make_unique<RegistryStore>(), "HKEY_CURRENT_USER", std::nullopt};
}

OpenedStore OpenUserStoreToRead() { return OpenUserStore(); }

}  // namespace vantrel
