#pragma once

#include <filesystem>

namespace vantrel {

/// Where the current user's store file lives:
/// $XDG_CONFIG_HOME/vantrel/registry.sqlite3, by default under ~/.config.
std::filesystem::path UserStorePath();

}  // namespace vantrel
