#pragma once

namespace vantrel {

/// Lets one of the handlers it guards run at a time. A message box re-enters
/// the event loop, so a timer tick can fall due while an earlier handler
/// waits for its box; that tick is skipped rather than acting on a step half
/// done. The next tick finds everything as the finished handler left it.
class ReentryGuard {
public:
    /// Runs the handler unless a guarded handler is already running; true when it ran.
    template <typename Handler>
    bool runAlone(Handler&& handler) {
        if (busy_) return false;
        busy_ = true;
        const Release release{busy_};
        handler();
        return true;
    }

    bool busy() const { return busy_; }

private:
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    };
    bool busy_ = false;
};

}  // namespace vantrel
