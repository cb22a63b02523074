#pragma once

#include <string>

#include "run/LaunchTracker.h"

namespace vantrel {

/// What the desktop is told when a run has come to its end, for example
/// "12 scripts run, 11 succeeded, 1 failed (03-calc-q3.txt)": the scripts
/// that ran for an entry still queued, and the entries of those that failed.
std::string RunSummaryText(const LaunchTracker& launches, bool stoppedByFailure);

}  // namespace vantrel
