#include "queue/QueueEditor.h"

#include <optional>

#include "queue/ListFile.h"
#include "queue/QueueEntry.h"

namespace vantrel {

namespace {

const std::string kMaxEntriesText = std::to_string(kMaxEntries);

std::string TooManyToAddText(int queued, std::size_t adding) {
    return "The queue can hold at most " + kMaxEntriesText + " scripts and holds " +
           std::to_string(queued) + " now; adding " + std::to_string(adding) +
           " more would pass that, so none has been added.";
}

std::string StoreFailureText(const char* reason) {
    return "The queue could not be changed in the settings store: " + std::string(reason) +
           ".\n\nThe queue has been left as it was.";
}

std::string ImportFailureText(const std::string& file, const std::string& reason) {
    return "The list file " + file + " cannot be imported: " + reason +
           ".\n\nThe queue has been left as it was.";
}

// Names exactly what OK removes: the selection, whichever row has the focus.
std::string RemoveQuestion(const ListBox& list, const std::vector<int>& selected) {
    if (selected.size() >= 2)
        return "Are you sure you want to remove all " + std::to_string(selected.size()) + " items?";
    return "Are you sure you want to remove " + list.text(selected.front()) + "?";
}

std::vector<std::string> Texts(const ListBox& list) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.count(); ++row) texts.push_back(list.text(row));
    return texts;
}

/// Why the first of the texts that cannot be stored is refused, if any is.
std::optional<std::string> FirstRefusal(const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        if (std::optional<std::string> refusal = PathRefusal(text)) return refusal;
    return std::nullopt;
}

/// The paths the lines of a list file name, in order; empty lines name none.
std::vector<std::string> ListedPaths(const std::vector<std::string>& lines) {
    std::vector<std::string> paths;
    for (const std::string& line : lines)
        if (!line.empty()) paths.push_back(PathOfListLine(line));
    return paths;
}

std::optional<std::string> ImportRefusal(const std::string& file,
                                         const std::vector<std::string>& paths) {
    if (paths.size() > static_cast<std::size_t>(kMaxEntries))
        return "The list file " + file + " names " + std::to_string(paths.size()) +
               " scripts, but the queue can hold at most " + kMaxEntriesText +
               ".\n\nNothing has been imported.";
    if (std::optional<std::string> refusal = FirstRefusal(paths))
        return "The list file " + file + " cannot be imported.\n\n" + *refusal;
    return std::nullopt;
}

}  // namespace

QueueEditor::QueueEditor(ProgramState& state, QueueRecord& record, ListBox& list, Notice& notice,
                         Prompt& prompt, FileChooser& chooser)
    : state_(state),
      record_(record),
      list_(list),
      notice_(notice),
      prompt_(prompt),
      chooser_(&chooser) {}

std::vector<std::string> QueueEditor::shownKeyNames() const {
    std::vector<std::string> shown;
    for (int row = 0; row < list_.count(); ++row) shown.push_back(EntryKeyName(list_.text(row)));
    return shown;
}

QueueEditor::Outcome QueueEditor::commit(const std::function<bool(QueueDraft&)>& edit,
                                         QueueDraft& draft, std::vector<std::string>& kept) {
    StoreTransaction transaction(record_.settings().store());
    // Another window or program may have changed the record since the list
    // was shown; an edit on top of that would number entries twice.
    kept = record_.names();
    if (kept != shownKeyNames()) return Outcome::ChangedElsewhere;
    if (!edit(draft)) return Outcome::Unchanged;
    transaction.commit();
    return Outcome::Committed;
}

void QueueEditor::change(const std::function<bool(QueueDraft&)>& edit) {
    if (const std::optional<std::string> problem = changed(edit)) notice_.showNotice(*problem);
}

std::optional<std::string> QueueEditor::changed(const std::function<bool(QueueDraft&)>& edit) {
    QueueDraft draft(list_, state_.scriptTable);
    std::vector<std::string> kept;
    Outcome outcome;
    try {
        outcome = commit(edit, draft, kept);
    } catch (const StoreError& error) {
        // A read fails the command as a write does: deciding on an answer the
        // store never gave could wipe the list and run a script again.
        return StoreFailureText(error.what());
    }
    switch (outcome) {
        case Outcome::Committed:
            draft.showIn(list_, state_.scriptTable);
            break;
        case Outcome::ChangedElsewhere:
            ShowQueue(kept, list_, state_.scriptTable);
            return std::string(kQueueChangedText);
        case Outcome::Unchanged:
            break;
    }
    return std::nullopt;
}

void QueueEditor::addScripts() {
    const std::vector<std::string> paths = chooser_->chooseScriptFiles();
    if (!paths.empty()) appendScripts(paths);
}

void QueueEditor::dropFiles(const std::vector<std::string>& paths) {
    if (!paths.empty()) appendScripts(paths);
}

void QueueEditor::appendScripts(const std::vector<std::string>& paths) {
    if (std::optional<std::string> refusal = FirstRefusal(paths)) {
        notice_.showNotice(*refusal + "\n\nNothing has been added.");
        return;
    }
    // Entry numbers keep their two digits, and the record its order, only up to the limit.
    if (list_.count() + paths.size() > static_cast<std::size_t>(kMaxEntries)) {
        notice_.showNotice(TooManyToAddText(list_.count(), paths.size()));
        return;
    }
    change([&](QueueDraft& draft) {
        draft.appendEntries(record_, paths);
        return true;
    });
}

void QueueEditor::removeSelected() {
    const std::vector<int> selected = SelectedRows(list_);
    if (selected.empty()) {
        prompt_.showInformation(std::string(kNothingToRemoveText));
        return;
    }
    if (!prompt_.confirm(RemoveQuestion(list_, selected))) return;
    change([&](QueueDraft& draft) {
        draft.removeSelected(record_);
        return true;
    });
}

void QueueEditor::moveSelectedUp() {
    change([&](QueueDraft& draft) { return draft.moveSelected(record_, MoveDirection::Up); });
}

void QueueEditor::moveSelectedDown() {
    change([&](QueueDraft& draft) { return draft.moveSelected(record_, MoveDirection::Down); });
}

void QueueEditor::exportList() {
    const std::string file = chooser_->chooseListFileToSave();
    if (file.empty()) return;
    try {
        WriteListFile(file, Texts(list_));
    } catch (const ListFileError& error) {
        notice_.showNotice("The list could not be saved to " + file + ": " + error.what() + ".");
        return;
    }
    notice_.showNotice(" Your list has been saved to " + file + ".");
}

void QueueEditor::importList() {
    const std::string file = chooser_->chooseListFileToOpen();
    if (file.empty()) return;
    if (const std::optional<std::string> problem = importListFile(file)) notice_.showNotice(*problem);
}

std::optional<std::string> QueueEditor::importListFile(const std::string& file) {
    std::vector<std::string> paths;
    try {
        paths = ListedPaths(ReadListFile(file));
    } catch (const ListFileError& error) {
        return ImportFailureText(file, error.what());
    }
    if (std::optional<std::string> refusal = ImportRefusal(file, paths)) return refusal;
    return changed([&](QueueDraft& draft) {
        draft.replaceAll(record_, paths);
        return true;
    });
}

}  // namespace vantrel
