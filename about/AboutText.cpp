#include "about/AboutText.h"

namespace vantrel {

std::string ProductPage(std::string_view productName) {
    std::string page = "http://" + std::string(kMakerAddress) + "/";
    for (const char letter : productName)
        page += letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    return page;
}

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
