#include <gtest/gtest.h>
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

/// A queue editor over a real store file in a temporary configuration home,
/// whose dialogs are answered beforehand and keep what they said in order.
struct QueueEditingTest : ::testing::Test, Notice, Prompt, ScriptedFileChooser {
    TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
    QueueRecord record{settings, kQueueRecordKeyPath};
    ProgramState program;
    MemoryListBox list;
    QueueEditor editor{program, record, list, *this, *this, *this};
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
    std::string entry(int number, const std::string& name) { return EntryText(number, files({name}).front()); }

    void showNotice(const std::string& text) override { shown.push_back(text); }
    void showInformation(const std::string& text) override { shown.push_back(text); }
    bool confirm(const std::string& text) override {
        shown.push_back(text);
        return answerOk;
    }

    Texts rows() const { return list.texts(); }
    /// What a restart loads: the record read through a new connection to the store file.
    static Texts savedQueue() { return OpenUserStore().store->subKeys(kQueueRecordKeyPath); }
    Texts rowsAndSavedQueue() const {
        Texts both = rows();
        for (const std::string& entry : savedQueue()) both.push_back("saved " + entry);
        return both;
    }
};

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

TEST_F(QueueEditingTest, ListedPathsAreReadFromTheListsFolderAndAnExportKeepsTheFilesPermissions) {
    std::filesystem::create_directories(home.path() / "lists");
    listFileToOpen = listFileToSave = (home.path() / "lists" / "list.txt").string();
    const std::string lists = (home.path() / "lists").string();
    // Hand-written: out of order, an empty line, relative paths, a line that only looks numbered.
    WriteBytes(listFileToOpen, "05-/s/b c.txt\r\n\nnotes\n7-x\n2024q1.txt\n./-dash.txt\r\n03-./sub/./y.txt");
    editor.dropFiles(files({"replaced"}));
    list.setCurrentIndex(0);
    editor.importList();
    EXPECT_EQ(list.currentIndex(), -1) << "the old rows went, and the focus with them";
    const Texts imported{"01-/s/b c.txt",          "02-" + lists + "/notes",
                         "03-" + lists + "/7-x",     "04-" + lists + "/2024q1.txt",
                         "05-" + lists + "/-dash.txt", "06-" + lists + "/sub/y.txt"};
    EXPECT_EQ(rows(), imported);
    EXPECT_EQ(savedQueue(), imported);

    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(listFileToSave, ownerOnly);
    editor.exportList();
    std::string bytes;
    for (const std::string& line : imported) bytes += line + "\r\n";
    EXPECT_EQ(ReadBytes(listFileToSave), bytes);
    EXPECT_EQ(std::filesystem::status(listFileToSave).permissions(), ownerOnly);
    EXPECT_EQ(shown.back(), " Your list has been saved to " + listFileToSave + ".");
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
    EXPECT_EQ(rows(), (Texts{entry(1, "s2"), entry(2, "s1"), entry(3, "s4")}));
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
    EXPECT_EQ(shown[4], "The list file " + listFileToOpen +
                            " cannot be imported: it is a binary file, not a list of scripts: it holds "
                            "NUL bytes (a list in UTF-16 must start with a byte-order mark).\n\nThe "
                            "queue has been left as it was.");

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

}  // namespace
}  // namespace vantrel::testing
