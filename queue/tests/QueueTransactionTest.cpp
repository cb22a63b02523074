#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "queue/tests/QueueEditingTest.h"
#include "testing/ForwardingStore.h"

namespace vantrel::testing {
namespace {

/// Refuses the n-th change, as a full disk or a failing device would.
class FailingStore : public ForwardingStore {
public:
    FailingStore(Store& inner, int failingChange)
        : ForwardingStore(inner), failingChange_(failingChange) {}

private:
    void beforeChange() override {
        if (++changes_ == failingChange_) throw StoreError("disk I/O error");
    }
    int failingChange_;
    int changes_ = 0;
};

/// Ends the process, as a kill would, just before the n-th change.
class KillingStore : public ForwardingStore {
public:
    KillingStore(Store& inner, int fatalChange)
        : ForwardingStore(inner), fatalChange_(fatalChange) {}

private:
    void beforeChange() override {
        if (++changes_ == fatalChange_) raise(SIGKILL);
    }
    int fatalChange_;
    int changes_ = 0;
};

using Command = std::function<void(QueueEditor&, MemoryListBox&)>;

void RemoveTop(QueueEditor& editor, MemoryListBox& list) {
    list.setSelected(0, true);
    list.setCurrentIndex(0);
    editor.cmdRemove_Click();
}

void MoveBottomUp(QueueEditor& editor, MemoryListBox& list) {
    list.setSelected(list.count() - 1, true);
    editor.cmdUp_Click();
}

class QueueTransactionTest : public QueueEditingTest {
protected:
    const std::filesystem::path listFile = home.path() / "list.txt";

    QueueTransactionTest() {
        startWith({"/s/a", "/s/b", "/s/c", "/s/d", "/s/e"});
        state.scriptTable[1].runState = std::string(kExecuted);
        WriteBytes(listFile, "01-/s/x\r\n02-/s/y\r\n03-/s/z\r\n");
        dialogs.listFileToOpen = listFile.string();
        dialogs.scriptFiles = {"/s/f", "/s/g", "/s/h"};
    }

    const std::vector<std::pair<const char*, Command>> commands = {
        {"remove", RemoveTop},
        {"move", MoveBottomUp},
        {"add", [](QueueEditor& editor, MemoryListBox&) { editor.cmdAdd_Click(); }},
        {"import", [](QueueEditor& editor, MemoryListBox&) { editor.mnuListsImport_Click(); }},
    };
};

TEST_F(QueueTransactionTest, AStoreThatFailsHalfWayLeavesTheWholeQueueAsItWas) {
    const QueueState before = queueState();
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        FailingStore failing(*store, 2);
        Module1 failingRegistry(failing);
        QueueRecord failingRecord(failingRegistry, kQueueRecordKeyPath);
        QueueEditor failingEditor(state, failingRecord, list, dialogs, dialogs, dialogs);
        dialogs.notices.clear();
        command(failingEditor, list);
        for (int row = 0; row < list.count(); ++row) list.setSelected(row, false);
        EXPECT_EQ(dialogs.notices,
                  Texts{"The queue could not be saved in the settings store: disk I/O error.\n\n"
                        "It has been left as it was."});
        expectUnchangedSince(before);
    }
}

/// Each command runs in a child process with its own connection to the store
/// file, killed just before one of its changes; none is open here meanwhile.
class KilledCommandTest : public ::testing::Test {
protected:
    TempConfigHome home;
    const std::filesystem::path listFile = home.path() / "list.txt";

    KilledCommandTest() {
        const std::unique_ptr<Store> store = OpenUserStore().store;
        Module1 registry(*store);
        QueueRecord record(registry, kQueueRecordKeyPath);
        for (const char* name : {"01-/s/a", "02-/s/b", "03-/s/c", "04-/s/d", "05-/s/e"})
            record.createEntryKey(name);
        WriteBytes(listFile, "01-/s/x\r\n02-/s/y\r\n");
    }

    /// The wait status of a child that ran the command and was killed before
    /// the given change, if the command came that far.
    int runKilledBefore(int fatalChange, const Command& command) {
        const pid_t child = fork();
        if (child == 0) {
            const std::unique_ptr<Store> store = OpenUserStore().store;
            KillingStore killing(*store, fatalChange);
            Module1 registry(killing);
            QueueRecord record(registry, kQueueRecordKeyPath);
            ProgramState state;
            MemoryListBox list;
            LoadQueue(record, list, state.scriptTable);
            ScriptedDialogs dialogs;
            dialogs.listFileToOpen = listFile.string();
            QueueEditor editor(state, record, list, dialogs, dialogs, dialogs);
            command(editor, list);
            _exit(dialogs.notices.empty() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    void expectBeforeOrAfter(const Command& command, int changes, const Texts& after) {
        const Texts before = QueueAfterRestart();
        for (int change = 1; change <= changes; ++change) {
            SCOPED_TRACE(change);
            const int status = runKilledBefore(change, command);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            EXPECT_EQ(QueueAfterRestart(), before);
        }
        const int status = runKilledBefore(changes + 1, command);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(QueueAfterRestart(), after);
    }
};

TEST_F(KilledCommandTest, ARemovalKilledAtAnyPointLeavesTheRecordAsBefore) {
    // One delete, then four renumberings of two changes each.
    expectBeforeOrAfter(RemoveTop, 9, {"01-/s/b", "02-/s/c", "03-/s/d", "04-/s/e"});
}

TEST_F(KilledCommandTest, AnImportKilledAtAnyPointLeavesTheRecordAsBefore) {
    // Five deletes, then two creates.
    expectBeforeOrAfter([](QueueEditor& editor, MemoryListBox&) { editor.mnuListsImport_Click(); },
                        7, {"01-/s/x", "02-/s/y"});
}

}  // namespace
}  // namespace vantrel::testing
