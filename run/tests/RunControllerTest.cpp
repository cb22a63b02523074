#include <gtest/gtest.h>

#include <fstream>
#include <random>

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

/// The wall-clock time a steady time stands for in these tests: the steady
/// clock's zero is an evening in December.
WallTime WallAt(std::chrono::steady_clock::time_point steady) {
    constexpr auto kEvening = std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + 20h;
    return WallTime(std::chrono::duration_cast<WallTime::duration>(kEvening.time_since_epoch() +
                                                                 steady.time_since_epoch()));
}

class RunControllerTest : public ::testing::Test {
protected:
    ProgramState state;
    testing::FakeMainView view;
    testing::FakeDesktop desktop;
    std::chrono::steady_clock::time_point now{};
    testing::TempFolder folder;
    RunJournal journal{folder.path() / "journal"};
    RunController run{state, view, desktop, desktop, journal, [this] { return now; },
                      [this] { return WallAt(now); }};

    RunControllerTest() {
        view.title = "esscmd.exe";
        view.concurrency = "1";
    }
    void queue(const Strings& paths) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            state.scriptTable[i].entryText = EntryText(static_cast<int>(i) + 1, paths[i]);
            view.list.append(state.scriptTable[i].entryText);
        }
    }
    void tick() { run.onLaunchTick(); }
    /// Ticks 30 ms apart for that long, as the launch timer does.
    void tickFor(std::chrono::milliseconds span) {
        for (const auto end = now + span; now < end; now += 30ms) tick();
    }
    std::vector<RowProgress> marks() const { return view.list.progresses(); }
    std::vector<Strings> journalLines() { return testing::JournalLines(folder.path() / "journal"); }
};

using enum RowProgress;

TEST_F(RunControllerTest, AnEmptyQueueFinishesAtTheFirstTick) {
    run.onStartStopClicked();
    EXPECT_EQ(view.caption, kStopCaption);
    EXPECT_TRUE(view.launchTimerOn);
    EXPECT_FALSE(view.editingEnabled);
    tick();
    EXPECT_EQ(view.notices, (Strings{"0"}));
    EXPECT_TRUE(desktop.started.empty());
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_TRUE(view.editingEnabled);
    EXPECT_EQ(view.status, "");
    run.onStartStopClicked();
    EXPECT_TRUE(view.closed);
}

TEST_F(RunControllerTest, StartsScriptsInQueueOrderWhileFewerThanNRun) {
    queue({"/calc/q1.txt", "/my scripts/q 2.txt", "/calc/q3.txt"});
    view.concurrency = "2";
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices, (Strings{"0", "esscmd.exe \"/calc/q1.txt\""}));
    EXPECT_EQ(view.status, "Scripts Executed:  1");
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(view.notices.back(), "esscmd.exe \"/my scripts/q 2.txt\"");
    EXPECT_EQ(view.status, "Scripts Executed:  2");
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(view.notices.back(), "2");
    EXPECT_EQ(desktop.started, (Strings{"/calc/q1.txt", "/my scripts/q 2.txt"}));
    desktop.closeWindowTitled("esscmd.exe \"/calc/q1.txt\"");
    tick();
    tick();
    EXPECT_EQ(desktop.started.back(), "/calc/q3.txt");
    EXPECT_EQ(view.caption, kStopCaption);
    desktop.mapStartedWindows();
    desktop.windows.clear();
    tick();
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_EQ(view.status, "Scripts Executed:  3");
}

TEST_F(RunControllerTest, AScriptWhoseWindowIsNotMappedYetStillCounts) {
    queue({"/a", "/b"});
    run.onStartStopClicked();
    tick();
    tick();  // the terminal of /a has not mapped its window yet
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
    EXPECT_EQ(view.notices.back(), "0");
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(view.notices.back(), "1");
    desktop.windows.clear();  // seen once, then ended
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"}));
}

TEST_F(RunControllerTest, AWindowThatNeverShowsStopsCountingAfterTheGrace) {
    queue({"/a", "/b"});
    run.onStartStopClicked();
    tick();
    now += RunController::kWindowGrace - 1ms;
    tick();
    EXPECT_EQ(desktop.started.size(), 1u);
    now += 1ms;
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"}));
}

TEST_F(RunControllerTest, AnOlderWindowOfTheSameScriptDoesNotPassForTheNewOne) {
    queue({"/same", "/same", "/other"});
    view.concurrency = "2";
    run.onStartStopClicked();
    tick();
    desktop.mapStartedWindows();
    tick();  // second /same started, its window not there yet
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/same", "/same"}));
}

TEST_F(RunControllerTest, OneWindowShownOfAScriptStartedTwiceLeavesTheOtherStillCounting) {
    queue({"/same", "/same", "/other"});
    view.concurrency = "2";
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    tick();
    tick();
    desktop.openWindow(CommandLine("/same"));  // the other terminal is slower
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/same", "/same"}));
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Running, Started, Waiting}));
}

TEST_F(RunControllerTest, StopThenStartCarriesOnWithTheFirstUnexecutedRow) {
    queue({"/a", "/b"});
    run.onStartStopClicked();
    tick();
    desktop.mapStartedWindows();
    tick();
    run.onStartStopClicked();
    EXPECT_EQ(view.caption, kStartCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_TRUE(view.monitorTimerOn);
    EXPECT_TRUE(view.editingEnabled);
    desktop.windows.clear();
    run.onStartStopClicked();
    EXPECT_TRUE(view.monitorTimerOn);
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"}));
    EXPECT_EQ(view.status, "Scripts Executed:  2");
}

TEST_F(RunControllerTest, ACountBoxHeldOpenNeverLeadsToMoreThanN) {
    // A slow user on a loaded desktop: every box stays open 3 s, a terminal
    // maps its window half a second after the start.
    queue({"/a", "/b", "/c"});
    desktop.clock = [this] { return now; };
    desktop.mapDelay = 500ms;
    view.onNotice = [this](const std::string&) { now += 3s; };
    run.onStartStopClicked();
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
    desktop.windows.clear();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"}));
}

TEST_F(RunControllerTest, MonitorCountsStartedScriptsNoLongerRunningAndStopsWhenNoneRuns) {
    queue({"/a", "/b", "/c"});
    view.concurrency = "3";
    run.onStartStopClicked();
    for (int i = 0; i < 3; ++i) {
        tick();
        desktop.mapStartedWindows();
    }
    run.onStartStopClicked();
    desktop.openWindow("unrelated editor");
    desktop.closeWindowTitled("esscmd.exe \"/b\"");
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  1");
    EXPECT_TRUE(view.monitorTimerOn);
    desktop.windows.clear();
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  3");
    EXPECT_FALSE(view.monitorTimerOn);
}

TEST_F(RunControllerTest, MonitorNeverCountsOtherScriptWindowsAsBelowZero) {
    desktop.openWindow("esscmd.exe \"/started/elsewhere\"");
    view.monitorTimerOn = true;
    run.onCompletionTick();
    EXPECT_EQ(view.status, "Scripts Completed:  0");
    EXPECT_TRUE(view.monitorTimerOn);
}

TEST_F(RunControllerTest, ATickDueWhileABoxIsOpenIsSkipped) {
    queue({"/a", "/b"});
    view.concurrency = "8";
    run.onStartStopClicked();
    view.onNotice = [this](const std::string&) { tick(); };
    tick();
    EXPECT_EQ(view.notices, (Strings{"0", "esscmd.exe \"/a\""}));
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
}

TEST_F(RunControllerTest, AFailedLaunchStopsTheRunAndLeavesTheRowToRetry) {
    queue({"/a"});
    desktop.launchFailure = "esscmd.exe was not found on the search path.";
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices.back(), desktop.launchFailure);
    EXPECT_EQ(view.caption, kStartCaption);
    EXPECT_FALSE(view.launchTimerOn);
    EXPECT_TRUE(view.monitorTimerOn);
    EXPECT_TRUE(view.editingEnabled);
    EXPECT_EQ(state.scriptTable[0].runState, "");
    EXPECT_EQ(view.status, "");
    desktop.launchFailure.clear();
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a"}));
}

TEST_F(RunControllerTest, OddConcurrencyAndEntryTextsDoNotBreakTheRun) {
    state.scriptTable[0].entryText = "ab";
    state.scriptTable[1].entryText = "01-";
    view.concurrency = "abc";
    desktop.openWindow("other window");
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.notices.back(), "esscmd.exe \"\"");
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(desktop.started, (Strings{""}));  // N read as 1: one window matches
}

TEST_F(RunControllerTest, ATableOfExecutedEntriesFinishesWithoutMarking) {
    for (int i = 0; i < kScriptTableRows; ++i)
        state.scriptTable[i] = {EntryText(i + 1, "/s"), std::string(kExecuted)};
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_TRUE(desktop.started.empty());
}

TEST_F(RunControllerTest, ActivateRestoresTheFirstMatchingWindowOrSaysThereIsNone) {
    view.startsWith = true;
    run.onActivateClicked();
    EXPECT_EQ(view.notices, (Strings{"No matching applications found."}));
    desktop.openWindow("C:\\bin\\ESSCMD.EXE");
    desktop.openWindow("ESSCMD.EXE \"/a\"");
    const WindowHandle first = desktop.windows.front().handle;
    desktop.minimized = {first};
    run.onActivateClicked();
    EXPECT_EQ(desktop.activated, first);
    EXPECT_TRUE(desktop.minimized.empty());
    view.startsWith = false;
    run.onActivateClicked();
    EXPECT_EQ(view.notices.back(), "2");
}

TEST_F(RunControllerTest, AQuietRunLaunchesWithoutBoxesAndShowsHowManyRunOfN) {
    queue({"/a", "/b", "/c"});
    view.concurrency = "2";
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    tick();
    EXPECT_EQ(view.runningText, "Running:  0 of 2");
    desktop.mapStartedWindows();
    now += 30ms;
    tick();
    desktop.mapStartedWindows();
    now += 30ms;
    tick();
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b"}));
    EXPECT_EQ(view.runningText, "Running:  2 of 2");
    desktop.closeWindowTitled("esscmd.exe \"/a\"");
    view.concurrency = "3";  // read again at every tick
    tick();
    EXPECT_EQ(view.runningText, "Running:  1 of 3");
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b", "/c"}));
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(view.status, "Scripts Executed:  3");
    desktop.windows.clear();
    desktop.unmapped.clear();
    now += RunController::kWindowGrace;
    tick();
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_TRUE(view.notices.empty());
}

TEST_F(RunControllerTest, RunMessagesSwitchedBackOnShowTheBoxesAgainAndHideTheCount) {
    queue({"/a", "/b"});
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    tick();
    EXPECT_TRUE(view.notices.empty());
    desktop.windows.clear();
    now += RunController::kWindowGrace;
    run.setRunMessagesShown(true);
    tick();
    EXPECT_EQ(view.notices, (Strings{"0", "esscmd.exe \"/b\""}));
    EXPECT_EQ(view.runningText, "");
}

TEST_F(RunControllerTest, AQuietRunNeverHasMoreThanNScriptsWhoseWindowsOpenLate) {
    // Terminals that take up to the whole grace period to map their windows,
    // and scripts that end at random, ticked every 30 ms for a long while.
    std::mt19937 random(7);
    Strings paths;
    for (int i = 0; i < 60; ++i) paths.push_back("/calc/q" + std::to_string(i));
    queue(paths);
    desktop.clock = [this] { return now; };
    desktop.mapDelay = RunController::kWindowGrace - 30ms;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> ends;
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    for (int step = 0; step < 20000 && view.caption == kStopCaption; ++step) {
        view.concurrency = std::to_string(std::uniform_int_distribution(1, 4)(random));
        const std::size_t startedBefore = desktop.started.size();
        const std::size_t runningBefore = desktop.windows.size() + desktop.unmapped.size();
        tick();
        if (desktop.started.size() > startedBefore) {
            ASSERT_LT(runningBefore, std::stoul(view.concurrency)) << "step " << step;
            const auto lifetime = std::chrono::milliseconds(std::uniform_int_distribution(0, 5000)(random));
            ends.emplace_back(CommandLine(desktop.started.back()), now + desktop.mapDelay + lifetime);
        }
        now += 30ms;
        std::erase_if(ends, [this](const auto& end) {
            if (end.second > now || !std::erase_if(desktop.windows, [&](auto& w) { return w.title == end.first; }))
                return false;
            return true;
        });
    }
    EXPECT_EQ(desktop.started, paths);
    EXPECT_TRUE(view.notices.empty());
}

TEST_F(RunControllerTest, EachRowShowsWhetherItsScriptWaitsStartedRunsEndedOrNeverShowed) {
    queue({"/a", "/b", "/c"});
    run.onStartStopClicked();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Waiting, Waiting, Waiting}));
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Started, Waiting, Waiting}));
    const std::string startedA = ReadableLocalTime(WallAt(now));
    EXPECT_EQ(view.list.tooltip(0), "/a\nStarted " + startedA + ", its window not shown yet");
    now += 1s;
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Running, Waiting, Waiting}));
    now += 11s + 500ms;
    desktop.windows.clear();
    tick();  // /a has ended, /b starts and its terminal never maps a window
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Started, Waiting}));
    EXPECT_EQ(view.list.tooltip(0), "/a\nDone: started " + startedA + ", took 12.5 s");
    desktop.unmapped.clear();
    now += RunController::kWindowGrace;
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, NotShown, Started}));
    EXPECT_NE(view.list.tooltip(1).find("no window showed"), std::string::npos);
    // Stopped, the monitor's walks carry on where the ticks left off.
    desktop.mapStartedWindows();
    run.onStartStopClicked();
    run.onCompletionTick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, NotShown, Running}));
    desktop.windows.clear();
    run.onCompletionTick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, NotShown, Done}));
    EXPECT_EQ(state.scriptTable[2].progress.state, Done);
}

TEST_F(RunControllerTest, AfterTheRunFinishesTheMonitorFollowsTheLastScriptsQuietly) {
    queue({"/a", "/b"});
    view.concurrency = "3";
    run.onStartStopClicked();
    for (int i = 0; i < 3; ++i) {
        tick();
        desktop.mapStartedWindows();
    }
    EXPECT_EQ(view.caption, kFinishedCaption);
    EXPECT_TRUE(view.monitorTimerOn);
    desktop.closeWindowTitled("esscmd.exe \"/a\"");
    run.onCompletionTick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Running}));
    EXPECT_TRUE(view.monitorTimerOn);
    desktop.windows.clear();
    run.onCompletionTick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Done}));
    EXPECT_FALSE(view.monitorTimerOn);
    EXPECT_EQ(view.status, "Scripts Executed:  2");
}

TEST_F(RunControllerTest, OfAScriptQueuedTwiceTheEarlierStartedEndsFirst) {
    queue({"/same", "/same"});
    view.concurrency = "2";
    run.onStartStopClicked();
    tick();
    desktop.mapStartedWindows();
    now += 1s;
    tick();
    desktop.mapStartedWindows();
    tick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Running, Running}));
    desktop.windows.pop_back();  // the first window opened
    run.onCompletionTick();
    EXPECT_EQ(marks(), (std::vector<RowProgress>{Done, Running}));
}

TEST_F(RunControllerTest, TheJournalHoldsOneLinePerStartedScriptWithItsTimes) {
    queue({"/a", "/b\tc"});
    const auto at = [this](std::chrono::milliseconds later) { return IsoLocalTime(WallAt(now + later)); };
    const std::vector<Strings> first{{"01-/a", "/a", at(0ms), at(1500ms), at(9500ms), "9.5"}};
    const Strings second{"02-/b c", "/b c", at(9500ms), "", "", ""};
    run.onStartStopClicked();
    tick();
    now += 1500ms;
    desktop.mapStartedWindows();
    tick();
    now += 8s;
    desktop.windows.clear();
    tick();  // /a ends and /b\tc starts, never to show a window
    EXPECT_EQ(journalLines(), first);
    desktop.unmapped.clear();
    now += RunController::kWindowGrace;
    tick();
    EXPECT_EQ(journalLines().at(1), second);
}

TEST_F(RunControllerTest, AJournalThatCannotBeWrittenIsToldOncePerRunAndTheRunGoesOn) {
    // Run as root, no folder is closed to the tests; a file where the folder
    // should be stops the journal all the same.
    std::ofstream(folder.path() / "journal") << "not a folder";
    queue({"/a", "/b", "/c"});
    run.setRunMessagesShown(false);
    run.onStartStopClicked();
    for (int i = 0; i < 4; ++i) {
        tick();
        now += RunController::kWindowGrace;
    }
    EXPECT_EQ(desktop.started, (Strings{"/a", "/b", "/c"}));
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_TRUE(view.notices[0].starts_with("The run journal cannot be written: cannot create the folder "));
    EXPECT_EQ(view.caption, kFinishedCaption);
    state.scriptTable[3].entryText = EntryText(4, "/d");
    view.caption = kStartCaption;
    run.onStartStopClicked();
    tick();
    now += RunController::kWindowGrace;
    tick();
    EXPECT_EQ(view.notices.size(), 2u);
}

}  // namespace
}  // namespace vantrel
