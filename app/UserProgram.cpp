#include "app/UserProgram.h"

namespace vantrel {

UserProgram::UserProgram(ProgramOptions options, std::optional<std::filesystem::path> runner)
    : options_(std::move(options)),
      opened_(OpenUserStore()),
      windows_(OpenDesktopWindowList()),
      launcher_(CreateLauncher(std::move(runner))) {}

ProgramParts UserProgram::parts() {
    std::optional<StoreProblem> problem;
    if (opened_.problem) problem = StoreProblem{opened_.location, *opened_.problem, opened_.readOnly};
    ProgramParts parts(state_, *opened_.store, *windows_, *launcher_, problem);
    parts.options = options_;
    return parts;
}

}  // namespace vantrel
