// The run's decisions on a desktop the test controls: which script starts
// when, what counts as running, how each script ended, and a run that goes on
// after the program was killed.
#include <gtest/gtest.h>

#include <fstream>

#include "queue/LocalTime.h"
#include "queue/QueueEntry.h"
#include "run/RunController.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
#include "testing/JournalLines.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using enum RowProgress;

/// The wall-clock time a steady time stands for in these tests: the steady
/// clock's zero is an evening in December.
WallTime WallAt(std::chrono::steady_clock::time_point steady) {
    constexpr auto kEvening = std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + 20h;
    return WallTime(std::chrono::duration_cast<WallTime::duration>(kEvening.time_since_epoch() +
                                                                 steady.time_since_epoch()));
}

/// One program run: its table, its window and its run controller over a
/// state folder that outlives it.
struct Program {
    ProgramState state;
    testing::FakeMainView view;
    RunJournal journal;
    RunHistory history;
    RunController run;

    Program(testing::FakeDesktop& desktop, const std::filesystem::path& stateFolder,
            const std::chrono::steady_clock::time_point& now)
        : journal(stateFolder),
          history(stateFolder, journal),
          run(state, view, desktop, desktop, history, [&now] { return WallAt(now); }) {
        run.setPartialTitle(" esscmd.exe ");
    }
    void queue(const Strings& paths) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            state.scriptTable[i].entryText = EntryText(static_cast<int>(i) + 1, paths[i]);
            view.list.append(state.scriptTable[i].entryText);
        }
    }
    std::vector<RowProgress> marks() const { return view.list.progresses(); }
};

class RunControllerTest : public ::testing::Test {
protected:
    testing::FakeDesktop desktop;
    std::chrono::steady_clock::time_point now{};
    testing::TempFolder folder;
    std::filesystem::path stateFolder = folder.path() / "state";
    std::unique_ptr<Program> program = std::make_unique<Program>(desktop, stateFolder, now);
    RunController& run = program->run;
    testing::FakeMainView& view = program->view;

    void queue(const Strings& paths) { program->queue(paths); }
    void tick() { program->run.onLaunchTick(); }
    /// Ticks 30 ms apart for that long, as the launch timer does.
    void tickFor(std::chrono::milliseconds span) {
        for (const auto end = now + span; now < end; now += 30ms) tick();
    }
    std::vector<RowProgress> marks() const { return program->marks(); }
    /// The program is killed and started again on the same queue.
    void restart(const Strings& paths) {
        program = std::make_unique<Program>(desktop, stateFolder, now);
        program->queue(paths);
    }
    std::vector<Strings> journalLines() { return testing::JournalLines(stateFolder); }
};

TEST_F(RunControllerTest, AnEmptyQueueFinishesAtTheFirstTickAndAClickThenCloses) {
    run.onStartStopClicked();
    EXPECT_EQ(view.caption, kStopCaption);
    EXPECT_TRUE(view.launchTimerOn);
    EXPECT_FALSE(view.editingEnabled);
    tick();
    EXPECT_EQ(view.notices, (Strings{"0"}));
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_TRUE(view.editingEnabled);
    run.onStartStopClicked();
    EXPECT_TRUE(view.closed);
}

TEST_F(RunControllerTest, StartsScriptsInQueueOrderWhileFewerThanNRunWindowsOrNot) {
    queue({"/calc/q1.txt", "/my scripts/q 2.txt", "/calc/q3.txt", "/calc/q4.txt"});
    run.setConcurrency(2);
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices, (Strings{"0", "esscmd.exe \"/calc/q1.txt\""}));
    EXPECT_EQ(view.status, "Scripts Executed:  1");
    tick();  // q1's terminal has not shown its window: it runs all the same
    EXPECT_EQ(view.notices.back(), "esscmd.exe \"/my scripts/q 2.txt\"");
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(view.notices.back(), "2");
    desktop.closeWindowTitled(CommandLine("/calc/q1.txt"));  // a window gone, its script alive
    tick();
    EXPECT_EQ(desktop.started.size(), 2u);
    desktop.endScript("/calc/q1.txt");
    desktop.openWindow("esscmd.exe started by hand");
    tick();
    EXPECT_EQ(desktop.started.size(), 2u) << "a window of any origin counts";
    desktop.closeWindowTitled("esscmd.exe started by hand");
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/calc/q1.txt", "/my scripts/q 2.txt", "/calc/q3.txt"}));
    EXPECT_EQ(view.status, "Scripts Executed:  3");
}

TEST_F(RunControllerTest, EachRowShowsHowItsScriptEndedAndTheJournalHasItsStatusAndLog) {
    // "-b" is relative, and starts as an option would.
    queue({"/a", "-b", "/c", "/d"});
    run.setConcurrency(4);
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Started, Started, Started, Started}));
    const std::string startedAt = ReadableLocalTime(WallAt(now));
    now += 1s;
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Running, Running, Running, Running}));
    now += 11s + 500ms;
    desktop.endScript("/a", 0, WallAt(now));
    desktop.endScript("-b", 3, WallAt(now));
    desktop.endScript("/c", std::nullopt);  // its runner was killed with its window
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Failed, Failed, Running}));
    const std::string bLog = desktop.scripts[1].request.logFile.string();
    EXPECT_EQ(view.list.tooltip(0), "/a\nDone: exit status 0, started " + startedAt +
                                        ", took 12.5 s\nLog: " +
                                        desktop.scripts[0].request.logFile.string());
    EXPECT_EQ(view.list.tooltip(1),
              "-b\nFailed: exit status 3, started " + startedAt + ", took 12.5 s\nLog: " + bLog);
    EXPECT_NE(view.list.tooltip(2).find("how it ended is not known"), std::string::npos);
    EXPECT_EQ(view.status, "Scripts Executed:  4   Scripts Failed:  2");
    EXPECT_EQ(run.logOf(1), bLog);
    const std::vector<Strings> lines = journalLines();
    ASSERT_EQ(lines.size(), 3u);
    const auto at = [](auto sinceStart) {
        return IsoLocalTime(WallAt(std::chrono::steady_clock::time_point{} + sinceStart));
    };
    // The script as the launcher hands it to the tool (LaunchTest sees what the tool gets).
    EXPECT_EQ(lines[1], (Strings{"02--b", ScriptArgument("-b"), at(0s), at(1s), at(12500ms),
                                 "12.5", "3", bLog}));
    EXPECT_EQ(lines[2].at(6), "");

    // A script that ends before any window of it shows, without a word, did not show.
    desktop.windows.clear();
    desktop.scripts.clear();
    restart({"/e"});
    program->run.onStartStopClicked();
    tick();
    desktop.endScript("/e", std::nullopt);
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{NotShown}));
}

TEST_F(RunControllerTest, StopThenStartCarriesOnAndTheMonitorCountsTheEndedUntilNoneRuns) {
    queue({"/a", "/b", "/c"});
    run.setConcurrency(2);
    run.onStartStopClicked();
    tick();
    tick();
    run.onStartStopClicked();
    EXPECT_EQ(view.caption, kStartCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_TRUE(view.monitorTimerOn);
    EXPECT_TRUE(view.editingEnabled);
    desktop.endScript("/a");
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  1");
    EXPECT_TRUE(view.monitorTimerOn);
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b", "/c"}));
    run.onStartStopClicked();
    desktop.endEveryScript();
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  3");
    EXPECT_FALSE(view.monitorTimerOn);
}

TEST_F(RunControllerTest, NoTickOfEitherTimerActsWhileABoxOfTheRunIsOpen) {
    queue({"/a", "/b"});
    run.setConcurrency(8);
    for (int click = 0; click < 3; ++click) run.onStartStopClicked();  // Start, Stop, Start: both tick
    view.onBox = [this](const std::string&) {
        run.onCompletionTick();
        tick();
    };
    tick();
    EXPECT_EQ(view.notices, (Strings{"0", "esscmd.exe \"/a\""}));
    EXPECT_EQ(view.runningText, "") << "the boxes give the count";
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
    EXPECT_TRUE(view.monitorTimerOn);
    EXPECT_EQ(view.status, "Scripts Executed:  1");
}

TEST_F(RunControllerTest, AFailedLaunchOrARecordThatCannotBeWrittenStopsTheRunAndTheRowWaits) {
    queue({"/a"});
    // A file where the state folder should be: nothing is started that could not be noted down.
    std::ofstream(stateFolder) << "not a folder";
    run.onStartStopClicked();
    tick();
    EXPECT_TRUE(desktop.started.empty());
    EXPECT_TRUE(view.notices.back().starts_with("The run record cannot be written: "));
    EXPECT_EQ(view.caption, kStartCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_EQ(marks(), std::vector<RowProgress>{Waiting});
    std::filesystem::remove(stateFolder);

    desktop.launchFailure = "esscmd.exe was not found on the search path.";
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices.back(), desktop.launchFailure);
    EXPECT_EQ(view.caption, kStartCaption);
    EXPECT_FALSE(program->state.scriptTable[0].executed());
    desktop.launchFailure.clear();
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
}

TEST_F(RunControllerTest, TheStatusGivesTheTimeLeftOnceEveryScriptStillToRunHasRunBefore) {
    queue({"/a", "/b"});
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    for (const auto took : {10min, 20min}) {
        tick();
        desktop.mapStartedWindows();
        now += took;
        desktop.endScript(desktop.scripts.back().request.scriptPath, 0, WallAt(now));
        tick();
    }
    restart({"/a", "/b", "/c"});
    program->run.setRunMessagesShown(false);
    program->run.onStartStopClicked();
    tick();
    EXPECT_EQ(program->view.status, "Scripts Executed:  1") << "/c has never run";

    restart({"/a", "/b"});
    program->run.setRunMessagesShown(false);
    program->run.onStartStopClicked();
    tick();
    EXPECT_EQ(program->view.status, "Scripts Executed:  1   About 30 min left");
    now += 4min + 30s;
    tick();
    EXPECT_EQ(program->view.status, "Scripts Executed:  1   About 26 min left");
}

TEST_F(RunControllerTest, AfterAKillTheRunIsResumedAndNoScriptStartsTwice) {
    const Strings paths{"/a", "/b", "/c", "/d"};
    queue(paths);
    run.onStartStopClicked();
    tick();
    desktop.endScript("/a");
    tick();
    desktop.mapStartedWindows();
    tick();  // /b runs, its window shown
    ASSERT_EQ(desktop.started, (Strings{"/a", "/b"}));
    const WallTime bSeen = WallAt(now);
    now += 5s;
    EXPECT_EQ(program->run.closeQuestion(),
              "A run is going on: 1 scripts are running and 2 are not started yet. Close "
              "Vantrel?\n\nThe running scripts go on, and the run can be resumed at the next start.");

    restart(paths);  // killed: nothing more is written
    const std::optional<InterruptedRun> interrupted = program->run.takeOverInterruptedRun();
    ASSERT_TRUE(interrupted.has_value());
    EXPECT_EQ(interrupted->entriesStarted, 2);
    EXPECT_EQ(interrupted->entries, 4);
    EXPECT_EQ(interrupted->stillRunning, 1);
    program->run.resumeInterruptedRun();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Running, Waiting, Waiting}));
    EXPECT_TRUE(program->view.monitorTimerOn) << "/b's end is followed before Start";
    EXPECT_FALSE(program->run.closeQuestion()) << "no run goes on until Start";
    program->run.onStartStopClicked();
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"})) << "/b still runs and counts against N";
    desktop.endScript("/b");
    tick();
    desktop.endScript("/c");
    tick();
    desktop.endScript("/d");
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b", "/c", "/d"}));
    EXPECT_EQ(program->view.caption, kFinishedCaption);
    ASSERT_EQ(journalLines().size(), 4u);
    EXPECT_EQ(journalLines()[1][3], IsoLocalTime(bSeen)) << "/b's window showed before the kill";

    restart(paths);  // a finished run is not offered again
    EXPECT_FALSE(program->run.takeOverInterruptedRun().has_value());
    desktop.launchFailure = "esscmd.exe was not found";
    program->run.onStartStopClicked();
    tick();
    restart(paths);
    EXPECT_FALSE(program->run.takeOverInterruptedRun().has_value()) << "nothing started, nothing to resume";
}

TEST_F(RunControllerTest, AnInterruptedRunGivenUpRunsEverythingAgainAndADamagedRecordIsSetAside) {
    queue({"/a", "/b"});
    run.onStartStopClicked();
    tick();
    restart({"/a", "/b"});
    ASSERT_TRUE(program->run.takeOverInterruptedRun().has_value());
    program->run.giveUpInterruptedRun();
    EXPECT_EQ(journalLines().size(), 1u) << "still running: journaled without an end";
    desktop.endScript("/a");
    program->run.onStartStopClicked();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/a"}));

    std::ofstream(stateFolder / "runs" / "last-run.txt", std::ios::app) << "edited by hand\n";
    restart({"/a", "/b"});
    EXPECT_FALSE(program->run.takeOverInterruptedRun().has_value());
    EXPECT_NE(program->run.recordProblem().find("damaged"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(stateFolder / "runs" / "last-run.txt"));
    program->run.skipEverything();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Skipped, Skipped}));
}

TEST_F(RunControllerTest, RunAgainAndSkipChangeWhatTheRunStillStarts) {
    queue({"/a", "/b", "/c"});
    view.list.setSelected(1, true);
    run.skip({1});
    run.onStartStopClicked();
    tick();
    desktop.endScript("/a", 3);
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Failed, Skipped, Started}));
    run.runAgain({0, 2});  // /c still runs: it stays as it is
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Waiting, Skipped, Started}));
    desktop.endScript("/c");
    tick();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/c", "/a"}));
    desktop.endEveryScript();
    tick();
    EXPECT_EQ(view.status, "Scripts Executed:  3") << "the failed script ran again";
    EXPECT_EQ(run.ending(), RunEnding::AllSucceeded);
    EXPECT_EQ(journalLines().size(), 3u) << "a skipped script has no line";

    run.runAgain({2});  // after the end too, and Start runs it
    EXPECT_EQ(view.caption, kStartCaption);
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/c", "/a", "/c"}));
    run.onStartStopClicked();
    desktop.endEveryScript();
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  4") << "every launch that ended, not the skipped entry";
}

TEST_F(RunControllerTest, AWindowOfAScriptQueuedMoreThanOnceStandsForOneLaunchOnly) {
    queue({"/a", "/a", "/a"});
    run.setConcurrency(3);
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    tick();
    desktop.openWindow(CommandLine("/a"));
    tick();  // the second starts with the first one's window open
    tick();
    desktop.openWindow(CommandLine("/a"));  // the second's or the third's
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Running, Running, Started}));
}

TEST_F(RunControllerTest, ActivateRestoresTheFirstMatchingWindowOrSaysThereIsNone) {
    run.setActivateMatchMode(MatchMode::StartsWith);
    run.onActivateClicked();
    EXPECT_EQ(view.notices, (Strings{"No matching applications found."}));
    desktop.openWindow("C:\\bin\\ESSCMD.EXE");
    desktop.openWindow("ESSCMD.EXE \"/a\"");
    const WindowHandle first = desktop.windows.front().handle;
    desktop.minimized = {first};
    run.onActivateClicked();
    EXPECT_EQ(desktop.activated, first);
    EXPECT_TRUE(desktop.minimized.empty());
    run.setActivateMatchMode(MatchMode::Contains);
    run.onActivateClicked();
    EXPECT_EQ(view.notices.back(), "2");
}

TEST_F(RunControllerTest, AJournalThatCannotBeWrittenIsToldOncePerRunAndTheRunGoesOn) {
    // Run as root, no folder is closed to the tests; a file where the journal
    // of the day should be stops the journal all the same.
    std::filesystem::create_directories(program->journal.fileFor(WallAt(now)));
    queue({"/a", "/b", "/c"});
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    for (int i = 0; i < 3; ++i) {
        tick();
        desktop.endEveryScript();
    }
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b", "/c"}));
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_TRUE(view.notices[0].starts_with("The run journal cannot be written: "));
    run.onStartStopClicked();
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices.size(), 2u);
    EXPECT_EQ(view.caption, kFinishedCaption);
}

}  // namespace
}  // namespace vantrel
