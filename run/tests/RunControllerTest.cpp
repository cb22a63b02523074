#include <gtest/gtest.h>

#include "queue/QueueEntry.h"
#include "run/RunController.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
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
};

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

}  // namespace
}  // namespace vantrel
