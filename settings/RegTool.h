#pragma once

#include <optional>
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

/// One vantrel-reg command, as its arguments give it.
struct RegCommand {
    std::string verb;
    std::string keyPath;
    std::optional<std::string> valueName;
    std::optional<std::string> data;
};

/// The command the arguments (after the program name) give; nothing, with
/// the reason written to `err`, for a usage error (status kRegUsage). Read
/// before the store is opened, so that a usage error changes nothing.
std::optional<RegCommand> ParseRegCommand(const std::vector<std::string>& args, std::ostream& err);

/// Runs the command on the store: the exit status.
int RunRegCommand(const RegCommand& command, Store& store, std::ostream& out, std::ostream& err);

/// Parses and runs one vantrel-reg command (the arguments after the program name) on the
/// store, in the manner of the Windows reg tool:
///   query KEY | add KEY [/v NAME /d DATA] | delete KEY [/v NAME]
int RunRegTool(const std::vector<std::string>& args, Store& store, std::ostream& out,
               std::ostream& err);

}  // namespace vantrel
