#include "app/UserProgram.h"

namespace vantrel {

UserProgram::UserProgram()
    : opened_(OpenUserStore()),
      windows_(OpenDesktopWindowList()),
      launcher_(CreateLauncher()) {}

ProgramParts UserProgram::parts() {
    std::optional<StoreProblem> problem;
    if (opened_.problem) problem = StoreProblem{opened_.location, *opened_.problem, opened_.readOnly};
    return {state_, *opened_.store, *windows_, *launcher_, problem};
}

}  // namespace vantrel
