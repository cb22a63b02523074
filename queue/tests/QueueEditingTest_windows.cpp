// The queue's promise on the registry, with Windows paths: after any sequence
// of editing commands the list, the stored queue and what the next start
// loads hold the same entries in the same order, numbered from 01, and a
// list file imports as it was exported.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "base/WideText_windows.h"
#include "queue/QueueEditor.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/MemoryListBox.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempFolder.h"
#include "testing/TempUserStore.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;

// Names beyond the ANSI code page too, which a list file must keep.
const char* const kScriptNames[] = {"calc q1.txt", "caf\xC3\xA9.txt", "\xCE\xA9 load.txt", "a&b.txt", "x"};

struct QueueEditingWindowsTest : ::testing::Test, Notice, Prompt, ScriptedFileChooser {
    TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
    QueueRecord record{settings, kQueueRecordKeyPath};
    ProgramState program;
    MemoryListBox list;
    QueueEditor editor{program, record, list, *this, *this, *this};
    TempFolder scripts;
    const std::string listFile = Utf8FromWide((scripts.path() / "queue.txt").wstring());
    std::mt19937 random{20261206};  // a fixed random start, so a failure repeats
    bool answerOk = true;
    Texts exported;

    void showNotice(const std::string&) override {}
    void showInformation(const std::string&) override {}
    bool confirm(const std::string&) override { return answerOk; }

    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); }
    /// One to three script files, made in one of three folders.
    Texts somePaths() {
        Texts paths(1 + below(3));
        for (std::string& path : paths) {
            const std::filesystem::path file = scripts.path() / ("Scripts " + std::to_string(below(3))) /
                                               *WideFromUtf8(kScriptNames[below(std::size(kScriptNames))]);
            std::filesystem::create_directories(file.parent_path());
            WriteBytes(file, "LOGIN\r\n");
            path = Utf8FromWide(file.wstring());
        }
        return paths;
    }
    void selectSome() {
        for (int row = 0; row < list.count(); ++row) list.setSelected(row, below(3) == 0);
        list.setCurrentIndex(list.count() == 0 ? -1 : below(list.count()));
    }
    void editOnce() {
        const int command = below(7);
        answerOk = below(2) == 0;
        selectSome();
        scriptFiles = somePaths();
        listFileToSave = listFileToOpen = listFile;
        switch (command) {
            case 0: return editor.addScripts();
            case 1: return editor.dropFiles(somePaths());
            case 2: return editor.removeSelected();
            case 3: return editor.moveSelectedUp();
            case 4: return editor.moveSelectedDown();
            case 5:
                editor.exportList();
                exported = list.texts();
                return;
            default:
                editor.importList();
                if (!exported.empty()) {
                    EXPECT_EQ(list.texts(), exported) << "imported as exported";
                }
        }
    }
    /// What the next start shows: the record read through a new store.
    static Texts loadedAtNextStart() {
        const auto fresh = OpenUserStore().store;
        SettingsKeys freshSettings(*fresh);
        QueueRecord freshRecord(freshSettings, kQueueRecordKeyPath);
        MemoryListBox loaded;
        ScriptTable table{};
        LoadQueue(freshRecord, loaded, table);
        return loaded.texts();
    }
};

TEST_F(QueueEditingWindowsTest, ListStoreAndNextStartAgreeAfterEveryCommand) {
    for (int step = 0; step < 150; ++step) {
        editOnce();
        const Texts shown = list.texts();
        ASSERT_EQ(loadedAtNextStart(), shown) << "after step " << step;
        for (std::size_t row = 0; row < shown.size(); ++row)
            ASSERT_EQ(shown[row], EntryText(static_cast<int>(row) + 1, ScriptPath(shown[row])))
                << "after step " << step;
    }
}

}  // namespace
}  // namespace vantrel::testing
