#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "settings/SqliteStore.h"
#include "settings/Store.h"
#include "settings/UserStoreLocation.h"

namespace vantrel {

std::filesystem::path UserStorePath() {
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (configHome != nullptr && std::filesystem::path(configHome).is_absolute()) {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".config";
    }
    return base / "vantrel" / "registry.sqlite3";
}

OpenedStore OpenUserStore() {
    const std::filesystem::path path = UserStorePath();
    try {
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) throw StoreError("cannot create its folder: " + error.message());
        return {SqliteStore::open(path.string()), path.string(), std::nullopt};
    } catch (const StoreError& error) {
        return {SqliteStore::inMemory(), path.string(), error.what()};
    }
}

}  // namespace vantrel
