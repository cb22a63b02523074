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

/// The maker's web address as the about box's link shows it.
inline constexpr std::string_view kMakerAddress = "www.dravell.example";

/// The product's page, which a click on the link opens in the browser. The
/// address names no scheme; the browser needs one.
std::string ProductPage(std::string_view productName);

/// The about box's thank-you and disclaimer text, ending in the version as
/// major.minor.revision (the build field is not shown).
std::string AboutText(std::string_view productName, const FileVersion& version);

}  // namespace vantrel
