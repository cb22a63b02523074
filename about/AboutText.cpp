#include "about/AboutText.h"

namespace vantrel {

std::string AboutText(std::string_view productName, const FileVersion& version) {
    std::string text = "Thank you for using ";
    text += productName;
    text += ", a Dravell ";
    text += "utility. ";
    text += "This software is provided as is, without warranty of any kind. ";
    text += "You are ";
    text += "currently using version  ";
    text += std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
            std::to_string(version.revision);
    text += ".  ";
    return text;
}

}  // namespace vantrel
