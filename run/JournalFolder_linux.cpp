#include <cstdlib>

#include "run/RunJournal.h"

namespace vantrel {

std::filesystem::path DefaultJournalFolder() {
    // A relative XDG_STATE_HOME is invalid by the XDG rules and is ignored.
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && std::filesystem::path(stateHome).is_absolute())
        return std::filesystem::path(stateHome) / "vantrel";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "state" / "vantrel";
}

}  // namespace vantrel
