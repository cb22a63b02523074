#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "settings/SqliteStore.h"
#include "settings/Store.h"
#include "settings/UserStoreLocation.h"

namespace vantrel {

namespace {

/// Why the store cannot be written: its folder takes the journal beside it,
/// so both must be writable. Nothing when they are.
std::optional<std::string> WhyNotWritable(const std::filesystem::path& file) {
    for (const std::filesystem::path& path : {file.parent_path(), file}) {
        if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT)
            return std::generic_category().message(errno);
    }
    return std::nullopt;
}

OpenedStore OpenForReading(const std::filesystem::path& path, const std::string& whyNotWritable) {
    const std::string problem = "it cannot be written (" + whyNotWritable + ")";
    if (!std::filesystem::exists(path)) throw StoreError(problem);
    return {SqliteStore::open(path.string(), SqliteStore::Access::ReadOnly), path.string(), problem,
            true};
}

}  // namespace

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
        if (const std::optional<std::string> whyNot = WhyNotWritable(path))
            return OpenForReading(path, *whyNot);
        try {
            return {SqliteStore::open(path.string()), path.string(), std::nullopt};
        } catch (const DiskFullError& full) {
            return {SqliteStore::open(path.string(), SqliteStore::Access::ReadAsItStands),
                    path.string(), full.what(), true};
        }
    } catch (const StoreError& error) {
        return {SqliteStore::inMemory(), path.string(), error.what()};
    }
}

OpenedStore OpenUserStoreToRead() {
    const std::filesystem::path path = UserStorePath();
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored))
        return {SqliteStore::inMemory(), path.string(), std::nullopt};
    return OpenUserStore();
}

}  // namespace vantrel
