#include "app/UserProgram.h"

namespace vantrel {

UserProgram::UserProgram(std::optional<std::filesystem::path> runner)
    : opened_(OpenUserStore()),
      windows_(OpenDesktopWindowList()),
      launcher_(CreateLauncher(std::move(runner))) {}

ProgramParts UserProgram::parts() {
    std::optional<StoreProblem> problem;
    if (opened_.problem) problem = StoreProblem{opened_.location, *opened_.problem, opened_.readOnly};
    return {state_, *opened_.store, *windows_, *launcher_, problem};
}

}  // namespace vantrel
