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

/// The dialogs of the queue commands, answered by the test beforehand and
/// read back afterwards.
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

/// What a user could notice of the queue: the list with its selection, the
/// script table and the saved record.
struct QueueState {
    Texts rows;
    std::vector<bool> selected;
    Texts table;
    Texts record;
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
    ProgramState state;
    MemoryListBox list;
    ScriptedDialogs dialogs;
    QueueEditor editor{state, record, list, dialogs, dialogs, dialogs};

    /// Saves one entry per path, numbered from 01, and loads them as start-up does.
    void startWith(const Texts& paths) {
        StoreTransaction transaction(*store);
        for (std::size_t i = 0; i < paths.size(); ++i)
            record.createEntryKey(EntryKeyName(EntryText(static_cast<int>(i) + 1, paths[i])));
        transaction.commit();
        LoadQueue(record, list, state.scriptTable);
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

    /// Column 0 of the first `rows` table rows.
    Texts tableTexts(int rows) const {
        Texts texts;
        for (int row = 0; row < rows; ++row) texts.push_back(state.scriptTable[row].entryText);
        return texts;
    }

    QueueState queueState() {
        QueueState now{list.texts(), {}, {}, QueueAfterRestart()};
        for (int row = 0; row < list.count(); ++row) now.selected.push_back(list.isSelected(row));
        for (const ScriptRow& row : state.scriptTable)
            now.table.push_back(row.entryText + "|" + row.runState);
        return now;
    }

    void expectUnchangedSince(const QueueState& before) {
        const QueueState now = queueState();
        EXPECT_EQ(now.rows, before.rows);
        EXPECT_EQ(now.selected, before.selected);
        EXPECT_EQ(now.table, before.table);
        EXPECT_EQ(now.record, before.record);
    }
};

}  // namespace vantrel::testing
