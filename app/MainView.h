#pragma once

#include <string>
#include <string_view>

#include "app/Commands.h"
#include "queue/Prompt.h"
#include "run/RunView.h"

namespace vantrel {

/// The main window as its start-up, its commands and the run see it. The
/// window is only written to; what it shows of the core's state is the core's.
class MainView : public RunView, public Prompt {
public:
    /// Checks or clears a checkable menu item.
    virtual void setCommandChecked(Command command, bool checked) = 0;
    /// Shows the concurrency (1 to the highest choice) without storing it.
    virtual void setConcurrency(int concurrency) = 0;
    virtual void setPartialWindowTitle(std::string_view title) = 0;
    /// How far, in pixels, the queue list can scroll sideways.
    virtual void setListHorizontalExtent(int pixels) = 0;
    /// Twips per pixel of the screen, horizontally (15 at 96 dots per inch).
    virtual double twipsPerPixel() = 0;
    /// Shows a new about box and returns once it is closed.
    virtual void showAboutBox() = 0;
    /// Opens the file in the program the desktop opens it with; false when it cannot.
    virtual bool openFile(const std::string& path) = 0;
};

}  // namespace vantrel
