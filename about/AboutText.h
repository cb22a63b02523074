#pragma once

#include <string>
#include <string_view>

namespace vantrel {

/// The four fields of the program's file version.
struct FileVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;
};

/// The about box's thank-you and disclaimer text, ending in the version as
/// major.minor.revision (the build field is not shown).
std::string AboutText(std::string_view productName, const FileVersion& version);

}  // namespace vantrel
