#pragma once

#include <string>
#include <vector>

#include "queue/ListBox.h"
#include "queue/QueueRecord.h"
#include "queue/ScriptTable.h"

namespace vantrel {

enum class MoveDirection { Up, Down };

/// The queue as one editing command changes it: the list's rows with their
/// selection, and the script table. Each change writes the queue record at
/// once (inside the command's transaction); the list and the table see the
/// draft only when it is shown, after the record has been committed.
class QueueDraft {
public:
    QueueDraft(const ListBox& list, const ScriptTable& table);

    /// Appends one entry per path, numbered on from the last row; the table is
    /// left alone, so the run meets the new entries only after the next start.
    void appendEntries(QueueRecord& record, const std::vector<std::string>& paths);
    /// Removes the selected rows from the bottom up, renumbering the rows below
    /// each one; the row that falls vacant is cleared in both table columns.
    void removeSelected(QueueRecord& record);
    /// Moves every selected row one place, scanning from the edge it moves
    /// towards, so a block moves as a block. The scripts change places and the
    /// numbers and run states stay with the positions. False, with nothing
    /// moved, when the first selected row met is at that edge.
    bool moveSelected(QueueRecord& record, MoveDirection direction);
    /// Makes the entry texts the whole queue, with no row selected or current
    /// and an empty table.
    void replaceAll(QueueRecord& record, const std::vector<std::string>& entryTexts);

    /// Brings the list and the table in line with the draft.
    void showIn(ListBox& list, ScriptTable& table) const;

private:
    struct Row {
        std::string text;
        bool selected = false;
    };

    int count() const { return static_cast<int>(rows_.size()); }
    void removeRow(QueueRecord& record, int row);
    bool exchangeScripts(QueueRecord& record, int upper, int lower);
    void setTableText(int row, const std::string& text);

    std::vector<Row> rows_;
    ScriptTable table_;
    bool replaced_ = false;
};

}  // namespace vantrel
