#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace vantrel {

/// What /proc/<pid>/stat says of a process that the identity needs.
struct ProcessStat {
    char state = '?';  ///< 'Z' for a zombie
    std::uint64_t startTime = 0;  ///< clock ticks after boot
};

/// nullopt when there is no such process. Async-signal-safe (it allocates
/// nothing), so a child forked from a program with threads may call it.
std::optional<ProcessStat> ReadProcessStat(pid_t pid);

}  // namespace vantrel
