#pragma once

#include <cstdint>
#include <optional>

namespace vantrel {

/// A process as the system knows it: its id, and what tells it from a later
/// process given the same id.
struct ProcessIdentity {
    std::uint64_t id = 0;
    /// Linux: the start time in /proc/<id>/stat (clock ticks since boot);
    /// Windows: the creation time (a FILETIME).
    std::uint64_t startMark = 0;

    bool operator==(const ProcessIdentity&) const = default;
};

/// True only while that very process runs: not once it has ended, not while
/// it is a zombie, and not for a later process that was given the same id.
bool IsProcessAlive(const ProcessIdentity& process);

/// The process that runs with this id now; nullopt when none does.
std::optional<ProcessIdentity> RunningProcess(std::uint64_t id);

}  // namespace vantrel
