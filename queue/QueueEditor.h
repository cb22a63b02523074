#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/FileChooser.h"
#include "queue/ListBox.h"
#include "queue/Notice.h"
#include "queue/ProgramState.h"
#include "queue/Prompt.h"
#include "queue/QueueDraft.h"
#include "queue/QueueRecord.h"

namespace vantrel {

inline constexpr std::string_view kNothingToRemoveText = "A script must be selected to be removed.";
inline constexpr std::string_view kQueueChangedText =
    "The queue was changed by another program or window since it was shown here. It has been "
    "shown again as it is now kept, and nothing has been changed: please try again.";

/// The commands that edit the queue. Each changes the list, the script table
/// and the queue record together, and writes the record as one store
/// transaction: a command that is refused, fails or is cut short leaves all
/// three as they were, and the record is never left half changed.
class QueueEditor {
public:
    QueueEditor(ProgramState& state, QueueRecord& record, ListBox& list, Notice& notice,
                Prompt& prompt, FileChooser& chooser);

    /// Lets a window replace the dialogs it was built with.
    void setFileChooser(FileChooser& chooser) { chooser_ = &chooser; }

    /// Appends the script files the user chooses, in the order given.
    void addScripts();
    /// Appends the dropped files and folders (full paths), in the order given.
    void dropFiles(const std::vector<std::string>& paths);
    /// Removes the selected entries once the user has confirmed; with none
    /// selected, says that a script must be selected.
    void removeSelected();
    /// Moves the selected entries one place up.
    void moveSelectedUp();
    /// Moves the selected entries one place down.
    void moveSelectedDown();
    /// Writes the list to a list file of the user's choice and says where.
    void exportList();
    /// Replaces the queue by the scripts a list file of the user's choice
    /// names, one per line: entry texts or bare paths, renumbered by position;
    /// empty lines are passed over.
    void importList();
    /// Imports the list file as importList does; why it was refused, or what
    /// failed, instead of a notice.
    std::optional<std::string> importListFile(const std::string& file);

private:
    void appendScripts(const std::vector<std::string>& paths);
    /// The key names of the entries the list shows, in its order.
    std::vector<std::string> shownKeyNames() const;
    enum class Outcome { Committed, Unchanged, ChangedElsewhere };
    /// Runs one edit on a draft inside a store transaction, unless the record
    /// (its names left in `kept`) no longer holds what the list shows.
    /// Throws StoreError when the store fails a read or a write.
    Outcome commit(const std::function<bool(QueueDraft&)>& edit, QueueDraft& draft,
                   std::vector<std::string>& kept);
    /// Shows the draft once its edit is committed; nothing when the edit says
    /// nothing changed or the store fails (which it says); the record as it is
    /// when another program changed it.
    void change(const std::function<bool(QueueDraft&)>& edit);
    /// The same, saying what to tell instead of telling it.
    std::optional<std::string> changed(const std::function<bool(QueueDraft&)>& edit);

    ProgramState& state_;
    QueueRecord& record_;
    ListBox& list_;
    Notice& notice_;
    Prompt& prompt_;
    FileChooser* chooser_;
};

}  // namespace vantrel
