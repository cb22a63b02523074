#pragma once

#include <string>
#include <vector>

#include "queue/ListBox.h"
#include "queue/QueueRecord.h"
#include "queue/ScriptTable.h"

namespace vantrel {

enum class MoveDirection { Up, Down };

/// The queue as one editing command changes it: the list's rows with their
/// selection and progress. Each change writes the queue record at once
/// (inside the command's transaction); the list and the script table see the
/// draft only when it is shown, after the record has been committed.
///
/// A script's progress, which the list shows, belongs to its entry: it
/// moves and goes with it, so a script that has run is never started again
/// because the queue was edited, and an entry that has not run is never
/// passed over.
class QueueDraft {
public:
    QueueDraft(const ListBox& list, const ScriptTable& table);

    /// Appends one entry per path, numbered on from the last row, not yet run.
    void appendEntries(QueueRecord& record, const std::vector<std::string>& paths);
    /// Removes the selected rows from the bottom up, renumbering the rows below
    /// each one.
    void removeSelected(QueueRecord& record);
    /// Moves every selected row one place, scanning from the edge it moves
    /// towards, so a block moves as a block. The numbers stay with the
    /// positions; the scripts and their progress change places. False, with
    /// nothing moved, when the first selected row met is at that edge.
    bool moveSelected(QueueRecord& record, MoveDirection direction);
    /// Makes the paths the whole queue, numbered from 01, with no row
    /// selected or current. An entry with the EntryKey of one of the draft
    /// keeps that one's progress; the others have not run.
    void replaceAll(QueueRecord& record, const std::vector<std::string>& paths);

    /// Brings the list and the table in line with the draft.
    void showIn(ListBox& list, ScriptTable& table) const;

private:
    struct Row {
        std::string text;
        bool selected = false;
        ScriptProgress progress;
    };

    int count() const { return static_cast<int>(rows_.size()); }
    void appendEntry(QueueRecord& record, const std::string& path);
    void removeRow(QueueRecord& record, int row);
    bool exchangeScripts(QueueRecord& record, int upper, int lower);

    std::vector<Row> rows_;
    bool replaced_ = false;
};

}  // namespace vantrel
