#pragma once

#include <string>
#include <string_view>

#include "queue/ListBox.h"
#include "queue/Notice.h"

namespace vantrel {

/// Captions of the Start/Stop button, which also tell the run's state.
inline constexpr std::string_view kStartCaption = "Start";
inline constexpr std::string_view kStopCaption = "Stop";
inline constexpr std::string_view kFinishedCaption = "Finished, Start Again";

/// What the run controller reads from and shows on the main window.
class RunView : public Notice {
public:
    /// The concurrency as the user picked it.
    virtual std::string concurrencyText() = 0;
    /// The partial window title that running scripts' windows carry.
    virtual std::string partialWindowTitle() = 0;
    /// Whether the hidden "Starts With" choice (rather than "Contains") is made.
    virtual bool startsWithChosen() = 0;

    virtual std::string runCaption() = 0;
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
    /// The 30 ms launch tick.
    virtual void setLaunchTimerOn(bool on) = 0;
    /// The 3 s completion monitor.
    virtual void setMonitorTimerOn(bool on) = 0;
    /// Closes the main window, which ends the program.
    virtual void closeWindow() = 0;
};

}  // namespace vantrel
