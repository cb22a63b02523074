#pragma once

#include <string>
#include <vector>

namespace vantrel::win32 {

/// What an installed program checks of itself: its version information
/// matches the build, its icon and logo load, and the user's settings can be
/// read. Each problem found is one line; none means the program is whole.
std::vector<std::string> SelfCheckProblems();

}  // namespace vantrel::win32
