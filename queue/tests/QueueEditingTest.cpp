#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>

#include "queue/QueueEditor.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/MemoryListBox.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;

/// What one window edits the queue with, on its own connection to the user's store.
struct EditingWindow {
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
    QueueRecord record{settings, kQueueRecordKeyPath};
    ProgramState program;
    MemoryListBox list;
    QueueEditor editor;

    template <typename Dialogs>
    explicit EditingWindow(Dialogs& dialogs)
        : editor{program, record, list, dialogs, dialogs, dialogs} {}
};

/// A queue editor over a real store file in a temporary configuration home,
/// whose dialogs are answered beforehand and keep what they said in order.
struct QueueEditingTest : ::testing::Test, Notice, Prompt, ScriptedFileChooser {
    TempConfigHome home;
    EditingWindow window{*this};
    ProgramState& program = window.program;
    MemoryListBox& list = window.list;
    QueueEditor& editor = window.editor;
    Texts shown;
    bool answerOk = true;

    void showNotice(const std::string& text) override { shown.push_back(text); }
    void showInformation(const std::string& text) override { shown.push_back(text); }
    bool confirm(const std::string& text) override {
        shown.push_back(text);
        return answerOk;
    }

    /// Selects exactly these rows; the first becomes the current row.
    void select(const std::vector<int>& rows) {
        for (int row = 0; row < list.count(); ++row) list.setSelected(row, false);
        for (const int row : rows) list.setSelected(row, true);
        list.setCurrentIndex(rows.empty() ? -1 : rows.front());
    }
    /// The rows as shown, selected ones marked "*".
    Texts rows() const {
        Texts texts;
        for (int row = 0; row < list.count(); ++row)
            texts.push_back(list.text(row) + (list.isSelected(row) ? "*" : ""));
        return texts;
    }
    /// What a restart loads: the record read through a new connection to the store file.
    static Texts savedQueue() { return OpenUserStore().store->subKeys(kQueueRecordKeyPath); }
    Texts rowsAndSavedQueue() const {
        Texts both = rows();
        for (const std::string& entry : savedQueue()) both.push_back("saved " + entry);
        return both;
    }
};

TEST_F(QueueEditingTest, RemoveAsksThenTakesTheSelectedEntriesAndRenumbersThoseBelow) {
    editor.dropFiles({"/s/a", "/s/a", "/s/c", "/s/d", "/s/e", "/s/f", "/s/g"});
    editor.removeSelected();
    select({0, 2});
    const Texts selected = rowsAndSavedQueue();
    answerOk = false;
    editor.removeSelected();
    EXPECT_EQ(rowsAndSavedQueue(), selected);

    answerOk = true;
    // The bottom, the top (its neighbour has the same path), the middle, then two rows at once.
    const std::pair<std::vector<int>, Texts> removals[] = {
        {{6}, {"01-/s/a", "02-/s/a", "03-/s/c", "04-/s/d", "05-/s/e", "06-/s/f"}},
        {{0}, {"01-/s/a", "02-/s/c", "03-/s/d", "04-/s/e", "05-/s/f"}},
        {{2}, {"01-/s/a", "02-/s/c", "03-/s/e", "04-/s/f"}},
        {{0, 2}, {"01-/s/c", "02-/s/f"}}};
    answerOk = true;
    for (const auto& [selectedRows, left] : removals) {
        select(selectedRows);
        editor.removeSelected();
        EXPECT_EQ(rows(), left);
        EXPECT_EQ(savedQueue(), left);
    }
    // The focus on a row that is not selected: the question and OK both go by the selection.
    select({1});
    list.setCurrentIndex(0);
    editor.removeSelected();
    EXPECT_EQ(savedQueue(), Texts{"01-/s/c"});
    list.setSelected(0, false);
    editor.removeSelected();
    EXPECT_EQ(rows(), Texts{"01-/s/c"});
    const std::string ask = "Are you sure you want to remove ";
    const std::string pick(kNothingToRemoveText);
    EXPECT_EQ(shown, (Texts{pick, ask + "all 2 items?", ask + "07-/s/g?", ask + "01-/s/a?",
                            ask + "03-/s/d?", ask + "all 2 items?", ask + "02-/s/f?", pick}));
}

TEST_F(QueueEditingTest, UpAndDownMoveSelectedRowsTogetherUnlessOneIsAtTheEdge) {
    editor.dropFiles({"/s/a", "/s/b", "/s/b", "/s/d"});
    select({1, 2});
    editor.moveSelectedUp();
    EXPECT_EQ(rows(), (Texts{"01-/s/b*", "02-/s/b*", "03-/s/a", "04-/s/d"}));
    select({0, 2});
    editor.moveSelectedUp();
    // Up did nothing; down moves both rows, and exchanges the two with the same path.
    editor.moveSelectedDown();
    EXPECT_EQ(rows(), (Texts{"01-/s/b", "02-/s/b*", "03-/s/d", "04-/s/a*"}));
    EXPECT_EQ(savedQueue(), (Texts{"01-/s/b", "02-/s/b", "03-/s/d", "04-/s/a"}));
}

TEST_F(QueueEditingTest, AStoreFailingHalfWayThroughACommandLeavesTheQueueAsItWas) {
    editor.dropFiles({"/s/a", "/s/b", "/s/c"});
    select({0});
    const Texts before = rowsAndSavedQueue();
    // Removing the top entry deletes its key first; then the store file refuses
    // the renumbered key of the next one, as a full disk would.
    sqlite3* file = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &file), SQLITE_OK);
    const char* refuseNewKeys =
        "CREATE TRIGGER full BEFORE INSERT ON keys BEGIN SELECT RAISE(ABORT, 'disk full'); END";
    sqlite3_exec(file, refuseNewKeys, nullptr, nullptr, nullptr);
    editor.removeSelected();
    sqlite3_exec(file, "DROP TRIGGER full", nullptr, nullptr, nullptr);
    sqlite3_close(file);
    EXPECT_NE(shown.back().find("could not be changed in the settings store: disk full"),
              std::string::npos);
    EXPECT_EQ(rowsAndSavedQueue(), before);
}

TEST_F(QueueEditingTest, ImportedLinesBecomeEntriesNumberedByPositionAndExportEndsEachWithCrLf) {
    listFileToOpen = listFileToSave = (home.path() / "list.txt").string();
    // Hand-written: out of order, a gap, bare paths (one starting with digits), a repeated
    // line, LF and CR LF.
    WriteBytes(listFileToOpen,
               "05-/s/\xC3\xA9t\xC3\xA9.txt\r\n\n02-/s/b c.txt\n2024 notes\n02-/s/b c.txt\n7-x");
    editor.importList();
    const Texts imported{"01-/s/\xC3\xA9t\xC3\xA9.txt", "02-/s/b c.txt", "03-2024 notes",
                         "04-/s/b c.txt", "05-7-x"};
    EXPECT_EQ(rows(), imported);
    EXPECT_EQ(savedQueue(), imported);
    select({0});
    editor.removeSelected();
    EXPECT_EQ(rows(), (Texts{"01-/s/b c.txt", "02-2024 notes", "03-/s/b c.txt", "04-7-x"}));
    EXPECT_EQ(savedQueue(), rows());

    // The file it replaces keeps who may read and write it.
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(listFileToSave, ownerOnly);
    editor.exportList();
    const std::string bytes = "01-/s/b c.txt\r\n02-2024 notes\r\n03-/s/b c.txt\r\n04-7-x\r\n";
    EXPECT_EQ(ReadBytes(listFileToSave), bytes);
    EXPECT_EQ(std::filesystem::status(listFileToSave).permissions(), ownerOnly);
    EXPECT_EQ(shown.back(), " Your list has been saved to " + listFileToSave + ".");

    editor.dropFiles({"/s/extra.txt"});
    select({0});
    editor.importList();
    EXPECT_EQ(list.currentIndex(), -1);
    editor.exportList();
    EXPECT_EQ(ReadBytes(listFileToSave), bytes);
}

TEST_F(QueueEditingTest, RefusedAddsImportsAndExportsLeaveTheQueueAndTheFileAsTheyWere) {
    editor.dropFiles({"/s/a", "/s/b", "/s/c", "/s/d"});
    select({0});
    const Texts before = rowsAndSavedQueue();
    editor.dropFiles({"/s/e", "/s/e\\f"});
    scriptFiles = Texts(96, "/s/y");
    editor.addScripts();
    listFileToOpen = listFileToSave = (home.path() / "list.txt").string();
    editor.importList();
    std::string hundredScripts;
    for (int i = 0; i < 100; ++i) hundredScripts += "\n/s/x";
    for (const std::string& bytes : {hundredScripts, std::string("01-/s/x\r\n\0", 10)}) {
        WriteBytes(listFileToOpen, bytes);
        editor.importList();
    }
    EXPECT_EQ(rowsAndSavedQueue(), before);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0], *PathRefusal("/s/e\\f") + "\n\nNothing has been added.");
    EXPECT_EQ(shown[1],
              "The queue can hold at most 99 scripts and holds 4 now; adding 96 more "
              "would pass that, so none has been added.");

    // No file may grow past the one already there while the queue is exported over it.
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit limit{5, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    editor.exportList();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(shown.back(),
              "The list could not be saved to " + listFileToSave + ": File too large.");
    EXPECT_EQ(ReadBytes(listFileToSave), std::string("01-/s/x\r\n\0", 10));
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << entry.path();

    scriptFiles.pop_back();
    editor.addScripts();
    EXPECT_EQ(savedQueue().back(), "99-/s/y");
    WriteBytes(listFileToOpen, hundredScripts.substr(5));
    editor.importList();
    EXPECT_EQ(savedQueue().back(), "99-/s/x") << "a list of as many as the queue holds";
}

TEST_F(QueueEditingTest, AQueueChangedByAnotherWindowIsShownAgainAndNotEditedOnTop) {
    // A second window on the same store, opened before this one adds anything.
    EditingWindow second{*this};
    QueueEditor& other = second.editor;
    const MemoryListBox& otherList = second.list;

    editor.dropFiles({"/s/a", "/s/b"});
    program.scriptTable[1].progress.state = RowProgress::Done;
    other.dropFiles({"/s/c"});
    EXPECT_EQ(shown.back(), kQueueChangedText);
    EXPECT_EQ(otherList.texts(), (Texts{"01-/s/a", "02-/s/b"}));
    other.dropFiles({"/s/c"});
    EXPECT_EQ(savedQueue(), (Texts{"01-/s/a", "02-/s/b", "03-/s/c"}));

    // Back in the first window: its list is behind; a move would have renumbered wrongly.
    select({1});
    editor.moveSelectedDown();
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/b", "03-/s/c"}));
    EXPECT_TRUE(program.scriptTable[1].executed());
    EXPECT_EQ(savedQueue(), (Texts{"01-/s/a", "02-/s/b", "03-/s/c"}));
    EXPECT_EQ(shown.back(), kQueueChangedText);
}

}  // namespace
}  // namespace vantrel::testing
