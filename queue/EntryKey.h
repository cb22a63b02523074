#pragma once

#include <string>
#include <vector>

namespace vantrel {

/// An entry as a run knows it: by its script path and by how many entries of
/// the same path come before it in the queue. Moves, removals and imports
/// keep it, so a script started once is known as started wherever it goes.
struct EntryKey {
    std::string scriptPath;
    int occurrence = 0;
    bool operator==(const EntryKey&) const = default;
};

/// The keys of the entries, in queue order.
std::vector<EntryKey> EntryKeys(const std::vector<std::string>& entryTexts);

/// For each entry of `after`, the index of the entry of `before` with the
/// same key, or -1 when `before` has none: how a queue changed as a whole
/// (imported, or changed by another program) is told entry by entry.
std::vector<int> SameEntries(const std::vector<std::string>& before,
                             const std::vector<std::string>& after);

}  // namespace vantrel
