#pragma once

#include <optional>
#include <string>

#include "about/AboutText.h"

namespace vantrel::win32 {

/// What the about box shows from the program's version information.
struct VersionInfo {
    std::string productName;
    FileVersion fileVersion;
    std::string legalCopyright;
};

/// The version information of the running program's own file; nothing when
/// the file carries none.
std::optional<VersionInfo> ReadOwnVersionInfo();

}  // namespace vantrel::win32
