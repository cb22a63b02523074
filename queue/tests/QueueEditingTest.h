#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "queue/QueueEditor.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/MemoryListBox.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {

using Texts = std::vector<std::string>;

/// The dialogs of the queue commands, answered beforehand and read back afterwards.
class ScriptedDialogs : public Notice, public Prompt, public ScriptedFileChooser {
public:
    Texts notices;
    Texts informations;
    Texts questions;
    bool answerOk = true;

    void showNotice(const std::string& text) override { notices.push_back(text); }
    void showInformation(const std::string& text) override { informations.push_back(text); }
    bool confirm(const std::string& text) override {
        questions.push_back(text);
        return answerOk;
    }
};

/// The queue a fresh start shows: a new connection to the store file, loaded into a new list.
inline Texts QueueAfterRestart() {
    const std::unique_ptr<Store> reopened = OpenUserStore().store;
    Module1 registry(*reopened);
    QueueRecord record(registry, kQueueRecordKeyPath);
    MemoryListBox reloaded;
    ScriptTable table{};
    LoadQueue(record, reloaded, table);
    return reloaded.texts();
}

/// A queue editor over a real store file in a temporary configuration home,
/// a list without a window, and scripted dialogs.
class QueueEditingTest : public ::testing::Test {
protected:
    TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 registry{*store};
    QueueRecord record{registry, kQueueRecordKeyPath};
    ProgramState program;
    MemoryListBox list;
    ScriptedDialogs dialogs;
    QueueEditor editor{program, record, list, dialogs, dialogs, dialogs};

    /// Saves one entry per path, numbered from 01, and loads them as start-up does.
    void startWith(const Texts& paths) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            record.createEntryKey(EntryKeyName(EntryText(static_cast<int>(i) + 1, paths[i])));
        LoadQueue(record, list, program.scriptTable);
    }

    /// Selects exactly these rows; the first becomes the current row.
    void select(std::initializer_list<int> rows) {
        for (int row = 0; row < list.count(); ++row) list.setSelected(row, false);
        for (const int row : rows) list.setSelected(row, true);
        list.setCurrentIndex(rows.size() > 0 ? *rows.begin() : -1);
    }

    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (int row = 0; row < list.count(); ++row)
            if (list.isSelected(row)) rows.push_back(row);
        return rows;
    }

    /// Table rows "text|run state" of the first `rows` rows.
    Texts table(int rows) const {
        Texts texts;
        for (int row = 0; row < rows; ++row)
            texts.push_back(program.scriptTable[row].entryText + "|" +
                            program.scriptTable[row].runState);
        return texts;
    }

    /// All a user could notice of the queue: list rows with their selection,
    /// table rows and the queue a restart shows.
    Texts queueState() const {
        Texts state = table(kScriptTableRows);
        for (int row = 0; row < list.count(); ++row)
            state.push_back("row " + list.text(row) + (list.isSelected(row) ? " selected" : ""));
        for (const std::string& entry : QueueAfterRestart()) state.push_back("saved " + entry);
        return state;
    }
};

}  // namespace vantrel::testing
