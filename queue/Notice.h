#pragma once

#include <string>

namespace vantrel {

/// Shows the user a notice: a modal message box titled with the product name,
/// an OK button and no icon. Returns when the user has closed it; the window's
/// events, timer ticks included, go on meanwhile.
class Notice {
public:
    virtual ~Notice() = default;
    virtual void showNotice(const std::string& text) = 0;
};

}  // namespace vantrel
