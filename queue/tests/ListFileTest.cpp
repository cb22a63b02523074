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

/// Lets no file of this process grow past `bytes` while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int);
};

TEST_F(ListFileTest, AnExportedListImportsBackToTheSameQueueByteForByte) {
    startWith({"/s/a b.txt", "/s/\xC3\xA9t\xC3\xA9.txt", "/s/c.txt"});
    exportTo(folder / "queue.txt");
    EXPECT_EQ(ReadBytes(folder / "queue.txt"),
              "01-/s/a b.txt\r\n02-/s/\xC3\xA9t\xC3\xA9.txt\r\n03-/s/c.txt\r\n");
    EXPECT_EQ(dialogs.notices,
              Texts{" Your list has been saved to " + (folder / "queue.txt").string() + "."});

    const Texts queue = list.texts();
    editor.lstEsscmd_OLEDragDrop({"/s/extra.txt"});
    state.scriptTable[0].runState = std::string(kExecuted);
    list.setSelected(1, true);
    importFrom(folder / "queue.txt");
    EXPECT_EQ(list.texts(), queue);
    EXPECT_TRUE(selectedRows().empty());
    for (const ScriptRow& row : state.scriptTable) {
        EXPECT_EQ(row.entryText, "");
        EXPECT_EQ(row.runState, "");
    }
    EXPECT_EQ(QueueAfterRestart(), queue);

    exportTo(folder / "again.txt");
    EXPECT_EQ(ReadBytes(folder / "again.txt"), ReadBytes(folder / "queue.txt"));
}

TEST_F(ListFileTest, AnEmptyQueueExportsAnEmptyFileOverAnyEarlierContent) {
    WriteBytes(folder / "old.txt", "01-/s/old.txt\r\n02-/s/older.txt\r\n");
    exportTo(folder / "old.txt");
    EXPECT_EQ(ReadBytes(folder / "old.txt"), "");
    EXPECT_EQ(dialogs.notices.size(), 1u);
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{"old.txt"});
}

TEST_F(ListFileTest, ImportTakesLinesAsTheyStand) {
    WriteBytes(folder / "hand.txt", "05-/s/a.txt\r\n\n02-/s/b.txt\nnotes");
    importFrom(folder / "hand.txt");
    EXPECT_EQ(list.texts(), (Texts{"05-/s/a.txt", "", "02-/s/b.txt", "notes"}));
    // The empty line has no key: a key name cannot be empty.
    EXPECT_EQ(QueueAfterRestart(), (Texts{"02-/s/b.txt", "05-/s/a.txt", "notes"}));
    EXPECT_TRUE(dialogs.notices.empty());
}

TEST_F(ListFileTest, ImportReplacesKeysNoRowShowed) {
    startWith({"/s/a.txt"});
    record.createEntryKey("02-/other.txt");
    WriteBytes(folder / "one.txt", "01-/s/new.txt\r\n");
    importFrom(folder / "one.txt");
    EXPECT_EQ(QueueAfterRestart(), Texts{"01-/s/new.txt"});
}

TEST_F(ListFileTest, CancelledDialogsChangeAndShowNothing) {
    startWith({"/s/a.txt"});
    const QueueState before = queueState();
    editor.mnuListsExport_Click();
    editor.mnuListsImport_Click();
    expectUnchangedSince(before);
    EXPECT_TRUE(dialogs.notices.empty());
    EXPECT_TRUE(filesInFolder().empty());
}

TEST_F(ListFileTest, AFileThatCannotBeImportedLeavesTheQueueAsItWas) {
    startWith({"/s/a.txt", "/s/b.txt"});
    state.scriptTable[0].runState = std::string(kExecuted);
    list.setSelected(1, true);
    const QueueState before = queueState();
    WriteBytes(folder / "binary.txt", std::string("01-/s/x.txt\r\n\0\x01\x02", 16));
    std::string hundred;
    for (int i = 1; i <= 100; ++i) hundred += EntryText(i, "/s/x.txt") + "\r\n";
    WriteBytes(folder / "hundred.txt", hundred);
    WriteBytes(folder / "backslash.txt", "01-/s/a.txt\r\n02-/s\\b.txt\r\n");

    const struct {
        fs::path file;
        std::string reason;
    } cases[] = {
        {folder / "missing.txt", "No such file or directory"},
        {folder, "Is a directory"},
        {folder / "binary.txt", "it holds NUL bytes, so it is not a list file"},
        {folder / "hundred.txt", "has 100 lines, but the queue can hold at most 99 scripts"},
        {folder / "backslash.txt", *PathRefusal("02-/s\\b.txt")},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.file);
        dialogs.notices.clear();
        importFrom(refused.file);
        ASSERT_EQ(dialogs.notices.size(), 1u);
        EXPECT_NE(dialogs.notices[0].find(refused.file.string()), std::string::npos);
        EXPECT_NE(dialogs.notices[0].find(refused.reason), std::string::npos) << dialogs.notices[0];
        expectUnchangedSince(before);
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

    ASSERT_EQ(dialogs.notices.size(), 3u);
    const std::string reasons[] = {"File too large", "No such file or directory", "Is a directory"};
    const fs::path files[] = {folder / "kept.txt", folder / "no folder" / "list.txt", folder};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            dialogs.notices[i].find("The list could not be saved to " + files[i].string() + ": "),
            0u)
            << dialogs.notices[i];
        EXPECT_NE(dialogs.notices[i].find(reasons[i]), std::string::npos) << dialogs.notices[i];
    }
    EXPECT_EQ(ReadBytes(folder / "kept.txt"), earlier);
    EXPECT_EQ(filesInFolder(), std::vector<fs::path>{"kept.txt"});
}

}  // namespace
}  // namespace vantrel::testing
