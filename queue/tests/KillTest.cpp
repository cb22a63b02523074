// Editing commands killed with SIGKILL at random moments: the store then holds
// exactly the queue before or after the command that was cut short.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#include "queue/ProgramState.h"
#include "queue/QueueRecord.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {
namespace {

using Entries = std::vector<std::string>;

constexpr unsigned kRandomStart = 20261207;
constexpr int kKills = 100;

struct SideLine {
    std::string what;
    Entries entries;
};

/// The complete lines of the side file.
std::vector<SideLine> ReadSideFile(const std::filesystem::path& file) {
    std::vector<SideLine> lines;
    std::ifstream in(file);
    for (std::string text; std::getline(in, text) && !in.eof();) {
        std::istringstream fields(text);
        SideLine line;
        std::string number, entry;
        fields >> line.what >> number;
        std::getline(fields, entry, '\t');
        while (std::getline(fields, entry, '\t')) line.entries.push_back(entry);
        lines.push_back(line);
    }
    return lines;
}

/// The editing process on the user's store: it tells through a pipe each line
/// it has written to the side file, by the line's first letter, and is killed
/// and reaped at the latest when this goes.
class EditingProcess {
public:
    EditingProcess(unsigned randomStart, const std::filesystem::path& sideFile) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category());
        pid_ = fork();
        if (pid_ == 0) {
            ::fcntl(ends[1], F_SETFD, 0);
            const std::string start = std::to_string(randomStart), fd = std::to_string(ends[1]);
            execl(VANTREL_EDITOR_TO_KILL, VANTREL_EDITOR_TO_KILL, start.c_str(), sideFile.c_str(),
                  fd.c_str(), nullptr);
            _exit(127);
        }
        ::close(ends[1]);
        lines_ = ends[0];
    }
    ~EditingProcess() {
        if (pid_ > 0) kill();
        ::close(lines_);
    }
    EditingProcess(const EditingProcess&) = delete;
    EditingProcess& operator=(const EditingProcess&) = delete;

    /// The first letter of the next line written; 0 once the process has ended.
    char nextLine() {
        char letter = 0;
        while (::read(lines_, &letter, 1) < 0 && errno == EINTR) {
        }
        return letter;
    }
    /// Kills it at once; its wait status.
    int kill() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int lines_ = -1;
};

using Clock = std::chrono::steady_clock;

/// Waits until the process starts its command number `cut` on the real store;
/// every command it finishes meanwhile adds its length. False if it ended.
bool WaitForCommand(EditingProcess& editing, int cut, std::vector<Clock::duration>& lengths) {
    Clock::time_point started;
    for (int commands = 0;;) {
        const char line = editing.nextLine();
        if (line == 0) return false;
        if (line == 'a') lengths.push_back(Clock::now() - started);
        if (line != 'e') continue;
        started = Clock::now();
        if (commands++ == cut) return true;
    }
}

Clock::duration Median(std::vector<Clock::duration> lengths) {
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    return lengths[lengths.size() / 2];
}

TEST(KillTest, AKilledCommandLeavesTheQueueBeforeOrAfterIt) {
    TempConfigHome home;
    const std::filesystem::path sideFile = home.path() / "side";
    std::mt19937 random(kRandomStart);
    std::vector<Clock::duration> lengths;
    int cutBefore = 0, cutAfter = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        std::filesystem::remove(sideFile);
        EditingProcess editing(random(), sideFile);
        // Each kill falls at a random moment within the length of a typical
        // command after one starts, however fast this machine runs them.
        const int cut = std::uniform_int_distribution<int>(1, 3)(random);
        ASSERT_TRUE(WaitForCommand(editing, cut, lengths))
            << "the editing process ended by itself, kill " << kill;
        const auto typical = std::chrono::duration_cast<std::chrono::nanoseconds>(Median(lengths));
        std::this_thread::sleep_for(std::chrono::nanoseconds(
            std::uniform_int_distribution<long long>(0, typical.count())(random)));
        const int status = editing.kill();
        ASSERT_TRUE(WIFSIGNALED(status)) << "the editing process ended by itself: " << status;

        const std::vector<SideLine> lines = ReadSideFile(sideFile);
        const Entries stored = OpenUserStore().store->subKeys(kQueueRecordKeyPath);
        ASSERT_FALSE(lines.empty()) << "kill " << kill;
        if (lines.back().what == "expect") {
            const Entries& before = lines[lines.size() - 2].entries;
            const Entries& after = lines.back().entries;
            EXPECT_TRUE(stored == before || stored == after)
                << "kill " << kill << ", during a command";
            // A command that changes nothing cannot show a cut.
            if (before != after) (stored == before ? cutBefore : cutAfter) += 1;
        } else {
            EXPECT_EQ(stored, lines.back().entries)
                << "kill " << kill << ", after " << lines.back().what;
        }
        for (std::size_t i = 2; i < lines.size(); i += 3)
            EXPECT_EQ(lines[i].entries, lines[i - 1].entries)
                << "a finished command left another queue";
    }
    std::cout << kKills << " kills, " << cutBefore + cutAfter
              << " of them during a command that changes the queue (" << cutBefore
              << " left the queue before it, " << cutAfter << " after it); a command took "
              << std::chrono::duration_cast<std::chrono::microseconds>(Median(lengths)).count()
              << " us\n";
    EXPECT_GE(cutBefore + cutAfter, kKills / 5);
}

}  // namespace
}  // namespace vantrel::testing
