#pragma once

#include <string>
#include <string_view>

#include "queue/ListBox.h"
#include "run/RunView.h"

namespace vantrel {

/// The main window as its start-up and the run see it.
class MainView : public RunView {
public:
    /// Checks or clears the menu item that switches the run messages on.
    virtual void setRunMessagesChecked(bool checked) = 0;
    /// Shows the concurrency without storing it.
    virtual void setConcurrencyText(std::string_view text) = 0;
    virtual void setPartialWindowTitle(std::string_view title) = 0;
    /// How far, in pixels, the queue list can scroll sideways.
    virtual void setListHorizontalExtent(int pixels) = 0;
    /// Twips per pixel of the screen, horizontally (15 at 96 dots per inch).
    virtual double twipsPerPixel() = 0;
};

}  // namespace vantrel
