// Editing commands killed with SIGKILL at random moments: the store then holds
// exactly the queue before or after the command that was cut short.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
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

TEST(KillTest, AKilledCommandLeavesTheQueueBeforeOrAfterIt) {
    TempConfigHome home;
    const std::filesystem::path sideFile = home.path() / "side";
    std::mt19937 random(kRandomStart);
    Entries lastKnown;
    int cutShort = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        std::filesystem::remove(sideFile);
        const std::string helperStart = std::to_string(random());
        const pid_t helper = fork();
        if (helper == 0) {
            execl(VANTREL_KILL_HELPER, VANTREL_KILL_HELPER, helperStart.c_str(), sideFile.c_str(),
                  nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(random)));
        ::kill(helper, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(helper, &status, 0), helper);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the helper ended by itself: " << status;

        const std::vector<SideLine> lines = ReadSideFile(sideFile);
        const Entries stored = OpenUserStore().store->subKeys(kQueueRecordKeyPath);
        if (lines.empty()) {
            EXPECT_EQ(stored, lastKnown) << "kill " << kill << ", before any command";
        } else if (lines.back().what == "expect") {
            const Entries& before = lines[lines.size() - 2].entries;
            EXPECT_TRUE(stored == before || stored == lines.back().entries)
                << "kill " << kill << ", during a command";
            cutShort += 1;
        } else {
            EXPECT_EQ(stored, lines.back().entries)
                << "kill " << kill << ", after " << lines.back().what;
        }
        for (std::size_t i = 2; i < lines.size(); i += 3)
            EXPECT_EQ(lines[i].entries, lines[i - 1].entries)
                << "a finished command left another queue";
        lastKnown = stored;
    }
    std::cout << kKills << " kills, " << cutShort << " of them during a command\n";
}

}  // namespace
}  // namespace vantrel::testing
