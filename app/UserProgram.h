#pragma once

#include <memory>

#include "app/MainWindowLogic.h"
#include "run/Launcher.h"
#include "run/WindowList.h"
#include "settings/Store.h"

namespace vantrel {

/// The program's parts for the current user, composed the same way for both
/// front ends: the user's store (or what stands in for it, and why), the
/// desktop's window list and the platform's launcher.
class UserProgram {
public:
    /// The script runner is the one beside the program unless `runner` names
    /// another. Throws std::runtime_error when there is no desktop to talk to.
    explicit UserProgram(ProgramOptions options = {},
                         std::optional<std::filesystem::path> runner = std::nullopt);

    ProgramParts parts();

private:
    ProgramOptions options_;
    OpenedStore opened_;
    ProgramState state_;
    std::unique_ptr<WindowList> windows_;
    std::unique_ptr<Launcher> launcher_;
};

}  // namespace vantrel
