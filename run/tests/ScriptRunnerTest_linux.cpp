// The script runner started directly, without a terminal: its command line,
// what it does when the log's disk fills up or the outcome cannot be
// written, when it is told to end, and with a program that leaves a process
// of its own behind; and what tells a running process from one that is not.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run/Processes.h"
#include "run/ScriptOutcome.h"
#include "testing/FileBytes.h"
#include "testing/PrivateTmpfs.h"
#include "testing/StandInLog.h"
#include "testing/TempFolder.h"
#include "testing/XvfbServer.h"

extern char** environ;

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::WaitUntil;
using Ending = ScriptOutcome::Ending;
using Arguments = std::vector<std::string>;

class ScriptRunnerTest : public ::testing::Test {
protected:
    ScriptRunnerTest() {
        setenv("ESSCMD_STANDIN_LOG", standInLog.c_str(), 1);
        setenv("ESSCMD_STANDIN_SECONDS", "0", 1);
        unsetenv("ESSCMD_STANDIN_EXIT");
        testing::WriteBytes(script, "LOGIN;\nLOGOUT;\n");
    }

    /// Starts the runner with its output going to files.
    pid_t start(Arguments arguments) {
        arguments.insert(arguments.begin(), VANTREL_RUNNER);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, (temp.path() / "stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (temp.path() / "stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t runner = -1;
        EXPECT_EQ(posix_spawn(&runner, argv[0], &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        return runner;
    }
    /// The runner's exit status once it has ended.
    static int waitFor(pid_t runner) {
        int status = -1;
        EXPECT_EQ(waitpid(runner, &status, 0), runner);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int run(const Arguments& arguments) { return waitFor(start(arguments)); }
    Arguments standIn() const { return {"--", VANTREL_STAND_IN, script.string()}; }
    std::string standardOutput() const { return testing::ReadBytes(temp.path() / "stdout"); }
    std::string standardError() const { return testing::ReadBytes(temp.path() / "stderr"); }

    testing::TempFolder temp;
    std::filesystem::path script = temp.path() / "calc.txt";
    std::filesystem::path standInLog = temp.path() / "stand-in.log";
    std::string outcome = (temp.path() / "outcome").string();
    std::string log = (temp.path() / "log").string();
};

TEST_F(ScriptRunnerTest, AWrongCommandLineIsOneLineOnStandardErrorAndRunsNothing) {
    const std::string program = VANTREL_STAND_IN;
    const Arguments wrong[] = {
        {},
        {"--outcome", outcome},
        {"--outcome", outcome, "--"},
        {"--outcome", outcome, "--", ""},
        {"--log", log, "--", program},
        {"--outcome", "--", program},
        {"--outcome", "", "--", program},
        {"--outcome", outcome, "--outcome", outcome, "--", program},
        {"--outcome", outcome, "--log", log, "--log", log, "--", program},
        {"--outcome", outcome, "--title", "", "--", program},
        {"--outcome", outcome, "--title", "x", "--title", "x", "--", program},
        {"--outcome", outcome, program},
        {"--outcome"},
    };
    for (const Arguments& arguments : wrong) {
        EXPECT_EQ(run(arguments), 2) << ::testing::PrintToString(arguments);
        EXPECT_THAT(standardError(), StartsWith("vantrel-script: "));
        EXPECT_THAT(standardError(), HasSubstr("; usage: vantrel-script --outcome FILE"));
        EXPECT_EQ(std::ranges::count(standardError(), '\n'), 1);
        EXPECT_EQ(standardOutput(), "");
    }
    EXPECT_FALSE(std::filesystem::exists(standInLog));
    EXPECT_FALSE(std::filesystem::exists(outcome));
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(ScriptRunnerTest, ALogWhoseDiskFillsUpIsSaidOnceAndTheWindowStillGetsEveryByte) {
    testing::PrivateTmpfs disk(temp.path() / "disk", 64 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << "no private tmpfs here";
    const std::string bytes(1 << 20, 'x');
    testing::WriteBytes(script, bytes);
    log = (temp.path() / "disk" / "launches" / "1.log").string();

    EXPECT_EQ(run({"--outcome", outcome, "--log", log, "--", "/bin/cat", script.string()}), 0);
    const std::string problem = "the log " + log + " cannot be written: No space left on device";
    const std::string said = "vantrel-script: " + problem + "\n";
    // The problem is said where the disk filled up, between the bytes.
    std::string window = standardOutput();
    const std::size_t at = window.find(said);
    ASSERT_NE(at, std::string::npos);
    window.erase(at, said.size());
    EXPECT_TRUE(window == bytes) << window.size() << " bytes";
    EXPECT_EQ(window.find("vantrel-script: "), std::string::npos) << "said twice";
    const std::optional<ScriptOutcome> recorded = ReadOutcomeFile(outcome);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->logProblem, problem);
}

TEST_F(ScriptRunnerTest, AnOutcomeThatCannotBeWrittenIsSaidAndTheExitStatusIsStillTheScripts) {
    testing::WriteBytes(temp.path() / "file", "");
    outcome = (temp.path() / "file" / "outcome").string();
    setenv("ESSCMD_STANDIN_EXIT", "3", 1);
    Arguments arguments = standIn();
    arguments.insert(arguments.begin(), {"--outcome", outcome});

    EXPECT_EQ(run(arguments), 3);
    EXPECT_THAT(standardOutput(), HasSubstr("Running script: " + script.string()));
    EXPECT_THAT(standardOutput(), HasSubstr("vantrel-script: the outcome " + outcome +
                                            " cannot be written: Not a directory\n"));
    EXPECT_EQ(testing::StandInLog::Read(standInLog).exitStatuses, std::vector<int>{3});
}

TEST_F(ScriptRunnerTest, ARunnerToldToEndEndsTheScriptAndRecordsTheSignal) {
    setenv("ESSCMD_STANDIN_SECONDS", "60", 1);
    for (const int signal : {SIGTERM, SIGHUP}) {
        std::filesystem::remove(standInLog);
        Arguments arguments = standIn();
        arguments.insert(arguments.begin(), {"--outcome", outcome});
        const pid_t runner = start(arguments);
        ASSERT_TRUE(WaitUntil([&] { return testing::StandInLog::Read(standInLog).started.size() == 1; }));
        kill(runner, signal);

        EXPECT_EQ(waitFor(runner), 128 + signal);
        EXPECT_EQ(testing::StandInLog::Read(standInLog).exitStatuses, std::vector<int>{128 + signal});
        const std::optional<ScriptOutcome> recorded = ReadOutcomeFile(outcome);
        ASSERT_TRUE(recorded);
        EXPECT_EQ(recorded->ending, Ending::Signalled);
        EXPECT_EQ(recorded->code, signal);
    }
}

TEST_F(ScriptRunnerTest, TheRunEndsWithTheProgramThoughAProcessOfItsOwnStillHoldsItsOutput) {
    const std::string program = "echo started; sleep 600 & echo $! > '" + (temp.path() / "pid").string() +
                                "'; echo ended; exit 4";
    EXPECT_EQ(run({"--outcome", outcome, "--log", log, "--", "/bin/sh", "-c", program}), 4);
    kill(std::stoi(testing::ReadBytes(temp.path() / "pid")), SIGKILL);
    EXPECT_EQ(testing::ReadBytes(log), "started\nended\n");
    EXPECT_EQ(ReadOutcomeFile(outcome)->code, 4);
}

TEST_F(ScriptRunnerTest, AProgramThatCannotBeStartedIsSaidAndEndsWith127) {
    EXPECT_EQ(run({"--outcome", outcome, "--log", log, "--", (temp.path() / "none").string()}), 127);
    const std::string said = "vantrel-script: " + (temp.path() / "none").string() +
                             " cannot be started: No such file or directory\n";
    EXPECT_EQ(standardOutput(), said);
    EXPECT_EQ(testing::ReadBytes(log), said);
    EXPECT_EQ(ReadOutcomeFile(outcome)->code, 127);
}

TEST(ProcessesTest, OnlyThatVeryProcessWhileItRunsIsAlive) {
    const pid_t child = fork();
    if (child == 0) {
        pause();
        _exit(0);
    }
    const std::optional<ProcessIdentity> running = RunningProcess(static_cast<std::uint64_t>(child));
    ASSERT_TRUE(running);
    EXPECT_TRUE(IsProcessAlive(*running));
    EXPECT_FALSE(IsProcessAlive({running->id, running->startMark + 1})) << "another process, same id";
    EXPECT_FALSE(IsProcessAlive({0, 0}));
    EXPECT_FALSE(IsProcessAlive({std::uint64_t{1} << 40, running->startMark}));
    kill(child, SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessAlive(*running); })) << "a zombie";
    EXPECT_TRUE(std::filesystem::exists("/proc/" + std::to_string(child)));
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(IsProcessAlive(*running));
}

}  // namespace
}  // namespace vantrel
