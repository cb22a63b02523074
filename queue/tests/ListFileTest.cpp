#include <sys/resource.h>

#include <csignal>

#include "queue/tests/QueueEditingTest.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

class ListFileTest : public QueueEditingTest {
protected:
    ListFileTest() { fs::create_directories(folder); }

    const fs::path folder = home.path() / "lists";

    std::vector<fs::path> filesInFolder() const {
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            files.push_back(entry.path().filename());
        return files;
    }
    void exportTo(const fs::path& file) {
        dialogs.listFileToSave = file.string();
        editor.mnuListsExport_Click();
    }
    void importFrom(const fs::path& file) {
        dialogs.listFileToOpen = file.string();
        editor.mnuListsImport_Click();
    }
};

/// No file of this process grows past `bytes` while it lives: writes beyond fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

TEST_F(ListFileTest, AnExportedListImportsBackToTheSameQueueByteForByte) {
    startWith({"/s/a b.txt", "/s/\xC3\xA9t\xC3\xA9.txt", "/s/c.txt"});
    const Texts queue = list.texts();
    exportTo(folder / "queue.txt");
    EXPECT_EQ(ReadBytes(folder / "queue.txt"),
              "01-/s/a b.txt\r\n02-/s/\xC3\xA9t\xC3\xA9.txt\r\n03-/s/c.txt\r\n");
    EXPECT_EQ(dialogs.notices,
              Texts{" Your list has been saved to " + (folder / "queue.txt").string() + "."});

    editor.lstEsscmd_OLEDragDrop({"/s/extra.txt"});
    program.scriptTable[0].runState = kExecuted;
    select({1});
    importFrom(folder / "queue.txt");
    EXPECT_EQ(list.texts(), queue);
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(table(kScriptTableRows), Texts(kScriptTableRows, "|"));
    EXPECT_EQ(QueueAfterRestart(), queue);

    exportTo(folder / "again.txt");
    EXPECT_EQ(ReadBytes(folder / "again.txt"), ReadBytes(folder / "queue.txt"));
}

TEST_F(ListFileTest, AnEmptyQueueExportsAnEmptyFileOverAnEarlierOne) {
    WriteBytes(folder / "old.txt", "01-/s/old.txt\r\n");
    exportTo(folder / "old.txt");
    EXPECT_EQ(ReadBytes(folder / "old.txt"), "");
    EXPECT_EQ(dialogs.notices.size(), 1u);
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{"old.txt"});
}

TEST_F(ListFileTest, ImportTakesTheLinesAsTheyStandAndReplacesEveryKey) {
    startWith({"/s/a.txt"});
    record.createEntryKey("09-/s/by another program.txt");
    WriteBytes(folder / "hand.txt", "05-/s/a.txt\r\n\n02-/s/b.txt\nnotes");
    importFrom(folder / "hand.txt");
    EXPECT_EQ(list.texts(), (Texts{"05-/s/a.txt", "", "02-/s/b.txt", "notes"}));
    // The empty line has no key: a key name cannot be empty.
    EXPECT_EQ(QueueAfterRestart(), (Texts{"02-/s/b.txt", "05-/s/a.txt", "notes"}));
    EXPECT_TRUE(dialogs.notices.empty());
}

TEST_F(ListFileTest, CancelledDialogsChangeAndShowNothing) {
    startWith({"/s/a.txt"});
    const Texts before = queueState();
    editor.mnuListsExport_Click();
    editor.mnuListsImport_Click();
    EXPECT_EQ(queueState(), before);
    EXPECT_TRUE(dialogs.notices.empty());
    EXPECT_TRUE(filesInFolder().empty());
}

TEST_F(ListFileTest, AFileThatCannotBeImportedLeavesTheQueueAsItWas) {
    startWith({"/s/a.txt", "/s/b.txt"});
    program.scriptTable[0].runState = kExecuted;
    list.setSelected(1, true);
    const Texts before = queueState();
    WriteBytes(folder / "binary.txt", std::string("01-/s/x.txt\r\n\0\x01", 15));
    std::string hundred;
    for (int i = 1; i <= 100; ++i) hundred += EntryText(i, "/s/x.txt") + "\r\n";
    WriteBytes(folder / "hundred.txt", hundred);
    WriteBytes(folder / "backslash.txt", "01-/s/a.txt\r\n02-/s\\b.txt\r\n");

    const std::pair<fs::path, std::string> refusals[] = {
        {folder / "missing.txt", "No such file or directory"},
        {folder, "Is a directory"},
        {folder / "binary.txt", "it holds NUL bytes, so it is not a list file"},
        {folder / "hundred.txt", "has 100 lines, but the queue can hold at most 99 scripts"},
        {folder / "backslash.txt", *PathRefusal("02-/s\\b.txt")},
    };
    for (const auto& [file, reason] : refusals) {
        SCOPED_TRACE(file);
        dialogs.notices.clear();
        importFrom(file);
        ASSERT_EQ(dialogs.notices.size(), 1u);
        EXPECT_NE(dialogs.notices[0].find(file.string()), std::string::npos);
        EXPECT_NE(dialogs.notices[0].find(reason), std::string::npos) << dialogs.notices[0];
        EXPECT_EQ(queueState(), before);
    }
}

TEST_F(ListFileTest, AFailedExportSaysWhyAndKeepsTheEarlierFile) {
    startWith({"/s/a.txt", "/s/b.txt"});
    const std::string earlier = "01-/s/earlier.txt\r\n";
    WriteBytes(folder / "kept.txt", earlier);
    {
        FileSizeLimit limit(earlier.size());
        exportTo(folder / "kept.txt");
    }
    exportTo(folder / "no folder" / "list.txt");
    exportTo(folder);

    const std::pair<fs::path, std::string> failures[] = {
        {folder / "kept.txt", "File too large"},
        {folder / "no folder" / "list.txt", "No such file or directory"},
        {folder, "Is a directory"},
    };
    ASSERT_EQ(dialogs.notices.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(dialogs.notices[i], "The list could not be saved to " +
                                          failures[i].first.string() + ": " + failures[i].second +
                                          ".");
    EXPECT_EQ(ReadBytes(folder / "kept.txt"), earlier);
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{"kept.txt"});
}

}  // namespace
}  // namespace vantrel::testing
