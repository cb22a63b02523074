#pragma once

#include <string>

namespace vantrel {

/// Modal message boxes titled with the product name that carry an icon.
/// Each returns when the user has closed its box.
class Prompt {
public:
    virtual ~Prompt() = default;
    /// The information icon and the OK button alone.
    virtual void showInformation(const std::string& text) = 0;
    /// The question icon with OK and Cancel; true for OK. Escape and the
    /// close box answer Cancel.
    virtual bool confirm(const std::string& text) = 0;
};

}  // namespace vantrel
