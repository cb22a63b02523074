#pragma once

#include <optional>
#include <string>

#include "run/LaunchTracker.h"
#include "run/RunJournal.h"
#include "run/RunRecord.h"

namespace vantrel {

/// What a run leaves behind: the record of its launches, which the next
/// start reads to resume it, and the journal, which people read. The record
/// is written before each launch starts and at every change after.
class RunHistory {
public:
    /// The record and the runners' outcomes go to runs/ in the state folder,
    /// the scripts' logs to logs/, and the journal where it is kept.
    RunHistory(const std::filesystem::path& stateFolder, RunJournal& journal)
        : record_(stateFolder / "runs"), logs_(stateFolder / "logs"), journal_(journal) {}

    /// The record of the last run; a damaged one is set aside, never read.
    RunRecordFile::Loaded loadLast() const { return record_.load(); }
    /// Carries on with a run the record holds.
    void carryOn(const RunRecord& run);
    /// Begins a new run unless one is going on.
    void beginUnlessGoing(WallTime now);
    bool going() const { return !run_.runId.empty(); }
    const RunRecord& run() const { return run_; }

    /// The files the next launch's runner writes.
    std::filesystem::path outcomeFileFor(int launch) const;
    std::filesystem::path logFileFor(int launch) const;

    /// Writes the record as the tracker has it. Throws FileWriteError.
    void save(const LaunchTracker& tracker);
    /// The same, for a run that has come to its end: the next start finds nothing to resume.
    void finish(const LaunchTracker& tracker);

    /// Writes the journal line of every launch that has ended and has none
    /// yet (with `unended` true, of those still running too, without an end),
    /// then the record. Throws JournalError or FileWriteError.
    void journal(LaunchTracker& tracker, bool unended = false);
    const std::filesystem::path& journalFolder() const { return journal_.folder(); }

private:
    RunRecordFile record_;
    std::filesystem::path logs_;
    RunJournal& journal_;
    RunRecord run_;
};

}  // namespace vantrel
