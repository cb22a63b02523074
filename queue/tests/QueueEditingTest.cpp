#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

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
    std::filesystem::path scripts = home.path() / "s";

    /// Script files of these names, made in the scripts folder: their paths.
    Texts files(const Texts& names) {
        std::filesystem::create_directories(scripts);
        Texts paths;
        for (const std::string& name : names) {
            paths.push_back((scripts / name).string());
            if (!std::filesystem::exists(paths.back())) WriteBytes(paths.back(), "LOGIN\n");
        }
        return paths;
    }
    /// The entries of those files, numbered from 01; a name ending in "*" is a selected row.
    Texts entries(const Texts& names) {
        Texts texts;
        for (std::string name : names) {
            const bool selected = name.ends_with('*');
            if (selected) name.pop_back();
            texts.push_back(EntryText(static_cast<int>(texts.size()) + 1, files({name}).front()) +
                            (selected ? "*" : ""));
        }
        return texts;
    }
    std::string entry(int number, const std::string& name) { return EntryText(number, files({name}).front()); }

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
    editor.dropFiles(files({"a", "a", "c", "d", "e", "f", "g"}));
    editor.removeSelected();
    select({0, 2});
    const Texts selected = rowsAndSavedQueue();
    answerOk = false;
    editor.removeSelected();
    EXPECT_EQ(rowsAndSavedQueue(), selected);

    answerOk = true;
    // The bottom, the top (its neighbour has the same path), the middle, then two rows at once.
    const std::pair<std::vector<int>, Texts> removals[] = {
        {{6}, {"a", "a", "c", "d", "e", "f"}},
        {{0}, {"a", "c", "d", "e", "f"}},
        {{2}, {"a", "c", "e", "f"}},
        {{0, 2}, {"c", "f"}}};
    for (const auto& [selectedRows, left] : removals) {
        select(selectedRows);
        editor.removeSelected();
        EXPECT_EQ(rows(), entries(left));
        EXPECT_EQ(savedQueue(), entries(left));
    }
    // The focus on a row that is not selected: the question and OK both go by the selection.
    select({1});
    list.setCurrentIndex(0);
    editor.removeSelected();
    EXPECT_EQ(savedQueue(), entries({"c"}));
    list.setSelected(0, false);
    editor.removeSelected();
    EXPECT_EQ(rows(), entries({"c"}));
    const std::string ask = "Are you sure you want to remove ";
    const std::string pick(kNothingToRemoveText);
    EXPECT_EQ(shown, (Texts{pick, ask + "all 2 items?", ask + entry(7, "g") + "?",
                            ask + entry(1, "a") + "?", ask + entry(3, "d") + "?",
                            ask + "all 2 items?", ask + entry(2, "f") + "?", pick}));
}

TEST_F(QueueEditingTest, UpAndDownMoveSelectedRowsTogetherUnlessOneIsAtTheEdge) {
    editor.dropFiles(files({"a", "b", "b", "d"}));
    select({1, 2});
    editor.moveSelectedUp();
    EXPECT_EQ(rows(), entries({"b*", "b*", "a", "d"}));
    select({0, 2});
    editor.moveSelectedUp();
    // Up did nothing; down moves both rows, and exchanges the two with the same path.
    editor.moveSelectedDown();
    EXPECT_EQ(rows(), entries({"b", "b*", "d", "a*"}));
    EXPECT_EQ(savedQueue(), entries({"b", "b", "d", "a"}));
}

TEST_F(QueueEditingTest, OnlyFilesAreQueuedAndWhatIsNotIsNamedWhileTheOthersAreAdded) {
    const std::string folder = scripts.string(), fifo = (home.path() / "fifo").string(),
                      missing = (home.path() / "gone.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(files({"a"}).front(), home.path() / "link to a");
    scriptFiles = {folder, files({"a"}).front(), "/dev/null", fifo};
    editor.addScripts();
    editor.dropFiles({missing, (home.path() / "link to a").string(), files({"b"}).front()});
    editor.dropFiles({folder});
    EXPECT_EQ(rows(), (Texts{entry(1, "a"), EntryText(2, (home.path() / "link to a").string()),
                             entry(3, "b")}));
    EXPECT_EQ(savedQueue(), rows());
    const std::string notAdded = "Only files can be queued, so these have not been added:\n";
    EXPECT_EQ(shown, (Texts{notAdded + folder + " (a folder)\n/dev/null (a device)\n" + fifo +
                                " (a named pipe)",
                            notAdded + missing + " (nothing is there)",
                            notAdded + folder + " (a folder)"}));
}

TEST_F(QueueEditingTest, AStoreFailingHalfWayThroughACommandLeavesTheQueueAsItWas) {
    editor.dropFiles(files({"a", "b", "c"}));
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
    std::filesystem::create_directories(home.path() / "lists");
    listFileToOpen = listFileToSave = (home.path() / "lists" / "list.txt").string();
    const std::string lists = (home.path() / "lists").string();
    // Hand-written: out of order, a gap, relative paths, a repeated line, LF and CR LF.
    WriteBytes(listFileToOpen,
               "05-/s/\xC3\xA9t\xC3\xA9.txt\r\n\n02-/s/b c.txt\nnotes\n02-/s/b c.txt\n7-x\n"
               "./-dash.txt\r\n03-./sub/./y.txt");
    editor.importList();
    const Texts imported{"01-/s/\xC3\xA9t\xC3\xA9.txt", "02-/s/b c.txt", "03-" + lists + "/notes",
                         "04-/s/b c.txt", "05-" + lists + "/7-x", "06-" + lists + "/-dash.txt",
                         "07-" + lists + "/sub/y.txt"};
    EXPECT_EQ(rows(), imported);
    EXPECT_EQ(savedQueue(), imported);
    select({0, 4, 5, 6});
    editor.removeSelected();
    const Texts left{"01-/s/b c.txt", "02-" + lists + "/notes", "03-/s/b c.txt"};
    EXPECT_EQ(rows(), left);
    EXPECT_EQ(savedQueue(), left);

    // The file it replaces keeps who may read and write it.
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(listFileToSave, ownerOnly);
    editor.exportList();
    const std::string bytes = left[0] + "\r\n" + left[1] + "\r\n" + left[2] + "\r\n";
    EXPECT_EQ(ReadBytes(listFileToSave), bytes);
    EXPECT_EQ(std::filesystem::status(listFileToSave).permissions(), ownerOnly);
    EXPECT_EQ(shown.back(), " Your list has been saved to " + listFileToSave + ".");

    editor.dropFiles(files({"extra.txt"}));
    select({0});
    editor.importList();
    EXPECT_EQ(list.currentIndex(), -1);
    editor.exportList();
    EXPECT_EQ(ReadBytes(listFileToSave), bytes);
}

TEST_F(QueueEditingTest, AnImportDuringARunAsksNamingTheEntriesItDropsAndKeepsTheMarksOfTheOthers) {
    editor.dropFiles(files({"s1", "s2", "s3", "s1"}));
    const Texts queue = rows();
    program.scriptTable[0].progress.state = RowProgress::Running;
    program.scriptTable[1].progress.state = RowProgress::Done;
    program.scriptTable[3].progress.state = RowProgress::Started;
    listFileToOpen = (home.path() / "list.txt").string();
    const Texts s = files({"s1", "s2", "s4"});
    WriteBytes(listFileToOpen, s[1] + "\n" + s[0] + "\n" + s[2] + "\n");
    for (const bool ok : {false, true}) {
        shown.clear();
        answerOk = ok;
        editor.importList(true);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], "A run is going on. Replace the queue by the 3 scripts of " +
                                listFileToOpen +
                                "?\n\nThe scripts started in this run keep their marks and do "
                                "not start again.\n\nThese entries are not in the list file and "
                                "will be dropped from the queue:\n" +
                                queue[2] + "\n" + queue[3]);
        EXPECT_EQ(rowsAndSavedQueue().size(), ok ? 6u : 8u);
    }
    EXPECT_EQ(rows(), entries({"s2", "s1", "s4"}));
    const std::pair<int, RowProgress> marks[] = {
        {0, RowProgress::Done}, {1, RowProgress::Running}, {2, RowProgress::Waiting}};
    for (const auto& [row, mark] : marks) {
        EXPECT_EQ(program.scriptTable[row].progress.state, mark) << row;
        EXPECT_EQ(list.progress(row), mark) << row;
    }
    // Nothing dropped is said so; without a run, nothing is asked.
    shown.clear();
    editor.importList(true);
    EXPECT_NE(shown.at(0).find("Every entry of the queue is in the list file."), std::string::npos);
    editor.importList();
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(QueueEditingTest, RefusedAddsImportsAndExportsLeaveTheQueueAndTheFileAsTheyWere) {
    editor.dropFiles(files({"a", "b", "c", "d"}));
    select({0});
    const Texts before = rowsAndSavedQueue();
    editor.dropFiles({files({"e"}).front(), "/s/e\\f"});
    scriptFiles = Texts(96, files({"y"}).front());
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
    EXPECT_EQ(savedQueue().back(), entry(99, "y"));
    WriteBytes(listFileToOpen, hundredScripts.substr(5));
    editor.importList();
    EXPECT_EQ(savedQueue().back(), "99-/s/x") << "a list of as many as the queue holds";
}

TEST_F(QueueEditingTest, AQueueChangedByAnotherWindowIsShownAgainAndNotEditedOnTop) {
    // A second window on the same store, opened before this one adds anything.
    EditingWindow second{*this};
    QueueEditor& other = second.editor;
    const MemoryListBox& otherList = second.list;

    editor.dropFiles(files({"a", "b"}));
    program.scriptTable[1].progress.state = RowProgress::Done;
    other.dropFiles(files({"c"}));
    EXPECT_EQ(shown.back(), kQueueChangedText);
    EXPECT_EQ(otherList.texts(), entries({"a", "b"}));
    other.dropFiles(files({"c"}));
    EXPECT_EQ(savedQueue(), entries({"a", "b", "c"}));

    // Back in the first window: its list is behind; a move would have renumbered wrongly.
    select({1});
    editor.moveSelectedDown();
    EXPECT_EQ(rows(), entries({"a", "b", "c"}));
    EXPECT_TRUE(program.scriptTable[1].executed());
    EXPECT_EQ(savedQueue(), entries({"a", "b", "c"}));
    EXPECT_EQ(shown.back(), kQueueChangedText);

    // The other window removes a, renumbering b: b keeps its mark where it went.
    second.list.setSelected(0, true);
    other.removeSelected();
    EXPECT_TRUE(editor.showAgainIfChangedElsewhere());
    EXPECT_FALSE(editor.showAgainIfChangedElsewhere());
    EXPECT_EQ(rows(), entries({"b", "c"}));
    EXPECT_EQ(list.progresses(), (std::vector<RowProgress>{RowProgress::Done, RowProgress::Waiting}));
}

}  // namespace
}  // namespace vantrel::testing
