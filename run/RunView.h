#pragma once

#include <chrono>
#include <string_view>

#include "queue/ListBox.h"
#include "queue/Notice.h"

namespace vantrel {

/// Captions of the Start/Stop button in each phase of the run.
inline constexpr std::string_view kStartCaption = "Start";
inline constexpr std::string_view kStopCaption = "Stop";
inline constexpr std::string_view kFinishedCaption = "Finished, Start Again";

/// How often the launch tick and the completion monitor tick.
inline constexpr std::chrono::milliseconds kLaunchTickInterval{30};
inline constexpr std::chrono::milliseconds kMonitorTickInterval{3000};

/// What the run controller shows on the main window. The window is only
/// written to: what the run decides on is kept in the core.
class RunView : public Notice {
public:
    virtual void setRunCaption(std::string_view caption) = 0;
    /// Add and Remove, which may not change the queue while it runs.
    virtual void setEditingEnabled(bool enabled) = 0;
    /// The first status line.
    virtual void setStatus(std::string_view text) = 0;
    /// How many scripts run of how many may, shown while the run messages are
    /// off ("Running:  2 of 3"); empty hides it.
    virtual void setRunningText(std::string_view text) = 0;
    /// The queue, whose rows show their scripts' progress.
    virtual ListBox& queueList() = 0;
    /// The launch tick.
    virtual void setLaunchTimerOn(bool on) = 0;
    /// The completion monitor.
    virtual void setMonitorTimerOn(bool on) = 0;
    /// Tells the desktop, through its notification service where it has one,
    /// and nothing otherwise.
    virtual void notifyDesktop(std::string_view text) = 0;
    /// Closes the main window, which ends the program.
    virtual void closeWindow() = 0;
};

}  // namespace vantrel
