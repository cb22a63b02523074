#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "settings/Store.h"

namespace vantrel {

/// Exit statuses of vantrel-reg.
enum RegToolStatus : int {
    kRegOk = 0,
    kRegNotFound = 1,
    kRegUsage = 2,
    kRegStoreFailure = 3,
};

/// Runs one vantrel-reg command (the arguments after the program name) on the
/// store, in the manner of the Windows reg tool:
///   query KEY | add KEY [/v NAME /d DATA] | delete KEY [/v NAME]
int RunRegTool(const std::vector<std::string>& args, Store& store, std::ostream& out,
               std::ostream& err);

}  // namespace vantrel
