#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "queue/tests/QueueEditingTest.h"
#include "testing/ForwardingStore.h"

namespace vantrel::testing {
namespace {

/// Steps in before the n-th change: fails it, as a full disk would, or ends
/// the process there, as a kill would.
class FaultyStore : public ForwardingStore {
public:
    enum class Fault { Fail, Kill };
    FaultyStore(Store& inner, int change, Fault fault)
        : ForwardingStore(inner), change_(change), fault_(fault) {}

private:
    void beforeChange() override {
        if (++changes_ != change_) return;
        if (fault_ == Fault::Kill) raise(SIGKILL);
        throw StoreError("disk I/O error");
    }
    int change_;
    Fault fault_;
    int changes_ = 0;
};

using Command = std::function<void(QueueEditor&, MemoryListBox&)>;

void RemoveTop(QueueEditor& editor, MemoryListBox& list) {
    list.setSelected(0, true);
    list.setCurrentIndex(0);
    editor.cmdRemove_Click();
}

const std::pair<const char*, Command> kCommands[] = {
    {"remove", RemoveTop},
    {"move",
     [](QueueEditor& editor, MemoryListBox& list) {
         list.setSelected(list.count() - 1, true);
         editor.cmdUp_Click();
     }},
    {"add", [](QueueEditor& editor, MemoryListBox&) { editor.cmdAdd_Click(); }},
    {"import", [](QueueEditor& editor, MemoryListBox&) { editor.mnuListsImport_Click(); }},
};

class QueueTransactionTest : public QueueEditingTest {
protected:
    QueueTransactionTest() {
        startWith({"/s/a", "/s/b", "/s/c", "/s/d", "/s/e"});
        WriteBytes(home.path() / "list.txt", "01-/s/x\r\n02-/s/y\r\n");
        dialogs.listFileToOpen = (home.path() / "list.txt").string();
        dialogs.scriptFiles = {"/s/f", "/s/g"};
    }

    /// Runs the command in a child process with its own connection to the
    /// store file (none is open here meanwhile), killed before the given change.
    int runKilledBefore(int change, const Command& command) {
        store.reset();
        const pid_t child = fork();
        if (child == 0) {
            const std::unique_ptr<Store> file = OpenUserStore().store;
            FaultyStore killing(*file, change, FaultyStore::Fault::Kill);
            Module1 childRegistry(killing);
            QueueRecord childRecord(childRegistry, kQueueRecordKeyPath);
            QueueEditor childEditor(program, childRecord, list, dialogs, dialogs, dialogs);
            command(childEditor, list);
            _exit(dialogs.notices.empty() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }
};

TEST_F(QueueTransactionTest, AStoreThatFailsHalfWayLeavesTheWholeQueueAsItWas) {
    program.scriptTable[1].runState = kExecuted;
    const Texts before = queueState();
    for (const auto& [name, command] : kCommands) {
        SCOPED_TRACE(name);
        FaultyStore failing(*store, 2, FaultyStore::Fault::Fail);
        Module1 failingRegistry(failing);
        QueueRecord failingRecord(failingRegistry, kQueueRecordKeyPath);
        QueueEditor failingEditor(program, failingRecord, list, dialogs, dialogs, dialogs);
        dialogs.notices.clear();
        command(failingEditor, list);
        select({});
        EXPECT_EQ(dialogs.notices,
                  Texts{"The queue could not be saved in the settings store: disk I/O error.\n\n"
                        "It has been left as it was."});
        EXPECT_EQ(queueState(), before);
    }
}

TEST_F(QueueTransactionTest, ACommandKilledAtAnyChangeLeavesTheRecordAsBefore) {
    const Texts before = QueueAfterRestart();
    // Removing the top entry deletes its key and renumbers the four below, two changes each.
    for (int change = 1; change <= 9; ++change) {
        SCOPED_TRACE(change);
        const int status = runKilledBefore(change, RemoveTop);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(QueueAfterRestart(), before);
    }
    const int status = runKilledBefore(10, RemoveTop);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(QueueAfterRestart(), (Texts{"01-/s/b", "02-/s/c", "03-/s/d", "04-/s/e"}));
}

}  // namespace
}  // namespace vantrel::testing
