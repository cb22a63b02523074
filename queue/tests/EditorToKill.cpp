// Runs random editing commands on the user's store (XDG_CONFIG_HOME) until it
// is killed, and writes to a side file, each line flushed to the disk:
//   before N <entries>   the record before command N
//   expect N <entries>   the record command N will leave (the same command run
//                        first on a copy of the queue in memory)
//   after N <entries>    the record once command N is done
// Entries are separated by tabs. Once a line is written, its first letter goes
// to the file descriptor LINES_FD, so the test can time its kill from the
// start of a command.   EditorToKill RANDOM_START SIDE_FILE LINES_FD

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <string>

#include "queue/QueueEditor.h"
#include "queue/QueueEntry.h"
#include "settings/SqliteStore.h"
#include "testing/FileBytes.h"
#include "testing/MemoryListBox.h"
#include "testing/ScriptedFileChooser.h"

namespace vantrel::testing {
namespace {

/// A queue, its record and its editor, whose dialogs always agree.
struct EditedQueue : Notice, Prompt {
    EditedQueue(std::unique_ptr<Store> backing, FileChooser& chooser)
        : store(std::move(backing)), editor(program, record, list, *this, *this, chooser) {
        LoadQueue(record, list, program.scriptTable);
    }
    void showNotice(const std::string&) override {}
    void showInformation(const std::string&) override {}
    bool confirm(const std::string&) override { return true; }
    std::vector<std::string> saved() { return store->subKeys(kQueueRecordKeyPath); }

    std::unique_ptr<Store> store;
    SettingsKeys settings{*store};
    QueueRecord record{settings, kQueueRecordKeyPath};
    ProgramState program;
    MemoryListBox list;
    QueueEditor editor;
};

class EditorToKill {
public:
    EditorToKill(unsigned randomStart, const std::string& sideFile, int lines)
        : random_(randomStart),
          lines_(lines),
          side_(::open(sideFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)),
          real_(OpenUserStore().store, chooser_),
          copy_(SqliteStore::inMemory(), chooser_) {
        for (const std::string& entry : real_.saved())
            copy_.store->createKey(std::string(kQueueRecordKeyPath) + "\\" + entry);
        copy_.list.clear();
        LoadQueue(copy_.record, copy_.list, copy_.program.scriptTable);
        writeListFiles();
        makeScripts();
    }
    ~EditorToKill() { ::close(side_); }

    [[noreturn]] void run() {
        for (int n = 0;; ++n) {
            const int command = pick(0, 5);
            prepare();
            note("before", n, real_.saved());
            apply(copy_, command);
            note("expect", n, copy_.saved());
            apply(real_, command);
            note("after", n, real_.saved());
        }
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    /// Script files only are queued: they are made once, below the configuration home.
    static std::string scriptPath(int number) {
        return std::string(std::getenv("XDG_CONFIG_HOME")) + "/s/" + std::to_string(number) + ".txt";
    }
    static void makeScripts() {
        std::filesystem::create_directories(std::filesystem::path(scriptPath(0)).parent_path());
        for (int number = 0; number <= 30; ++number) WriteBytes(scriptPath(number), "LOGIN\n");
    }
    std::vector<std::string> randomPaths() {
        std::vector<std::string> paths(pick(1, 3));
        for (std::string& path : paths) path = scriptPath(pick(0, 30));
        return paths;
    }
    void writeListFiles() {
        for (int k = 0; k < 3; ++k) {
            std::string lines;
            for (int i = 1, count = pick(0, 12); i <= count; ++i)
                lines += EntryText(i, "/l/" + std::to_string(pick(0, 30))) + "\r\n";
            WriteBytes(listFile(k), lines);
        }
    }
    static std::string listFile(int k) {
        return std::string(std::getenv("XDG_CONFIG_HOME")) + "/list-" + std::to_string(k) + ".txt";
    }
    /// The same answers and selection for both queues.
    void prepare() {
        chooser_.scriptFiles = randomPaths();
        chooser_.listFileToOpen = listFile(pick(0, 2));
        selection_.assign(real_.list.count(), false);
        for (int i = 0, count = pick(0, 2); i < count && !selection_.empty(); ++i)
            selection_[pick(0, real_.list.count() - 1)] = true;
    }
    void apply(EditedQueue& queue, int command) {
        int current = -1;
        for (int row = 0; row < queue.list.count(); ++row) {
            queue.list.setSelected(row, selection_[row]);
            if (selection_[row] && current < 0) current = row;
        }
        queue.list.setCurrentIndex(current);
        switch (command) {
            case 0: queue.editor.addScripts(); break;
            case 1: queue.editor.dropFiles(chooser_.scriptFiles); break;
            case 2: queue.editor.removeSelected(); break;
            case 3: queue.editor.moveSelectedUp(); break;
            case 4: queue.editor.moveSelectedDown(); break;
            default: queue.editor.importList(); break;
        }
    }
    void note(const char* what, int n, const std::vector<std::string>& entries) {
        std::string line = std::string(what) + " " + std::to_string(n);
        for (const std::string& entry : entries) line += "\t" + entry;
        line += "\n";
        if (::write(side_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            ::_exit(2);
        ::fdatasync(side_);
        if (::write(lines_, what, 1) != 1) ::_exit(2);
    }

    std::mt19937 random_;
    int lines_;
    int side_;
    ScriptedFileChooser chooser_;
    std::vector<bool> selection_;
    EditedQueue real_;
    EditedQueue copy_;
};

}  // namespace
}  // namespace vantrel::testing

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    vantrel::testing::EditorToKill(static_cast<unsigned>(std::stoul(argv[1])), argv[2],
                                 std::stoi(argv[3]))
        .run();
}
