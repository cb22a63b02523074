#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/ScriptTable.h"
#include "run/Processes.h"
#include "run/ScriptOutcome.h"

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

/// One launch of a run, or one entry skipped in it, as the record keeps it.
struct RecordedLaunch {
    std::string entryText;
    EntryKey key;
    WallTime startedAt{};
    /// None (id 0) until the process has been started.
    ProcessIdentity process;
    std::filesystem::path outcomeFile;
    std::filesystem::path logFile;
    std::optional<WallTime> windowSeenAt;
    /// Set once it has ended; a launch whose process went without an outcome
    /// has ended, how is not known (endedAt without outcome).
    std::optional<WallTime> endedAt;
    std::optional<ScriptOutcome> outcome;
    /// Marked as done without running.
    bool skipped = false;
    /// No longer stands for an entry: made unrun again (Run Again), or its entry was removed.
    bool superseded = false;
    /// Its line is in the journal.
    bool journaled = false;

    bool ended() const { return endedAt.has_value() || skipped; }
    bool operator==(const RecordedLaunch&) const = default;
};

/// What a run has started, from its first launch on.
struct RunRecord {
    std::string runId;
    WallTime startedAt{};
    /// Every entry started and ended, or given up at the next start.
    bool finished = false;
    std::vector<RecordedLaunch> launches;

    bool operator==(const RunRecord&) const = default;
};

/// The launch that stands for the entry with this key, if any.
const RecordedLaunch* LaunchFor(const RunRecord& run, const EntryKey& key);

/// The record as text: versioned, one launch per line, and a checksum line
/// that tells a file cut short or changed by hand.
std::string FormatRunRecord(const RunRecord& run);
/// nullopt for any text FormatRunRecord did not write.
std::optional<RunRecord> ParseRunRecord(std::string_view text);

/// The record of the last run in a folder of the user's state, rewritten whole
/// and atomically at every change, so that a kill or a power cut at any moment
/// leaves it as it was before the change or after it.
class RunRecordFile {
public:
    explicit RunRecordFile(std::filesystem::path folder) : folder_(std::move(folder)) {}

    struct Loaded {
        std::optional<RunRecord> run;
        /// A record that could not be read was moved here, and why.
        std::optional<std::filesystem::path> setAsideAs;
        std::string problem;
    };
    /// The last run; a damaged record is set aside, never read.
    Loaded load() const;
    /// Throws FileWriteError.
    void save(const RunRecord& run) const;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path file() const { return folder_ / "last-run.txt"; }
    /// The name the files of a launch of the run have, before their extension.
    static std::string launchName(const RunRecord& run, std::size_t launch);

private:
    std::filesystem::path folder_;
};

}  // namespace vantrel
