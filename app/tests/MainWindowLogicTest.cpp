#include <gtest/gtest.h>

#include "app/MainWindowLogic.h"
#include "queue/QueueEntry.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
#include "testing/FaultyStore.h"
#include "testing/FileBytes.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempFolder.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;
using Call = testing::FaultyStore::Call;

class StartUpTest : public ::testing::Test {
protected:
    testing::TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    testing::FaultyStore faulty{*store};
    ProgramState state;
    testing::FakeMainView view;
    testing::FakeDesktop desktop;
    testing::ScriptedFileChooser chooser;
    testing::TempFolder journal;
    std::filesystem::path stateFolder = journal.path();
    std::unique_ptr<MainWindowLogic> logic;

    Strings reported;

    std::optional<std::string> start(std::optional<StoreProblem> problem = std::nullopt,
                                     ProgramOptions options = {}) {
        view.notices.clear();
        ProgramParts parts{state, faulty, desktop, desktop, std::move(problem), stateFolder};
        parts.options = std::move(options);
        parts.report = [this](const std::string& text) { reported.push_back(text); };
        logic = std::make_unique<MainWindowLogic>(parts, view, chooser);
        return logic->load();
    }
    std::optional<std::string> stored(const char* value) {
        return store->stringValue(kSettingsKeyPath, value);
    }
    void queue(const std::string& path, int number = 1) {
        store->createKey(std::string(kQueueRecordKeyPath) + "\\" +
                         EntryKeyName(EntryText(number, testing::NativePath(path))));
    }
    /// A script file made in a folder of the test's own: its path.
    std::string script(const std::string& name) {
        const std::filesystem::path file = journal.path() / name;
        testing::WriteBytes(file, "LOGIN\n");
        const std::u8string text = file.u8string();
        return std::string(text.begin(), text.end());
    }
};

TEST_F(StartUpTest, AFirstStartCreatesTheKeysAndShowsTheDefaults) {
    start();
    EXPECT_TRUE(store->keyExists(kQueueRecordKeyPath));
    EXPECT_EQ(view.list.count(), 0);
    EXPECT_EQ(view.concurrency, 1);
    EXPECT_EQ(view.title, "esscmd.exe");
    EXPECT_EQ(view.caption, "Start");
    EXPECT_EQ(state.settingsKeyPath, "Software\\Dravell\\Kestrim");
    EXPECT_TRUE(view.notices.empty());
    EXPECT_FALSE(stored("Id").has_value());
    EXPECT_FALSE(view.launchTimerOn || view.monitorTimerOn);
}

// Only a stored zero switches the run messages off; start-up never rewrites what is stored.
TEST_F(StartUpTest, StoredChoicesShowOnlyWhatTheChoicesOfferAndAPickedConcurrencyIsStoredAtOnce) {
    const struct {
        const char* id;
        int shown;
        std::optional<std::string> messages;
        bool messagesShown;
    } cases[] = {{"4", 4, std::nullopt, true}, {"8", 8, "1", true},     {"", 1, "0", false},
                 {"abc", 1, "", true},         {"0", 1, "off", true},   {"9", 1, " 0", true},
                 {" 4", 1, "0", false},        {"44", 1, std::nullopt, true}};
    for (const auto& c : cases) {
        store->setStringValue(kSettingsKeyPath, "Id", c.id);
        store->deleteValue(kSettingsKeyPath, "ShowRunMessages");
        if (c.messages) store->setStringValue(kSettingsKeyPath, "ShowRunMessages", *c.messages);
        start();
        EXPECT_EQ(view.concurrency, c.shown) << "stored: '" << c.id << "'";
        EXPECT_EQ(logic->run().concurrency(), c.shown) << "stored: '" << c.id << "'";
        EXPECT_EQ(stored("Id"), c.id);
        EXPECT_EQ(view.checkedCommands[Command::ShowRunMessages], c.messagesShown)
            << c.messages.value_or("(absent)");
    }
    logic->onConcurrencyChosen(6);
    EXPECT_EQ(stored("Id"), "6");
    EXPECT_EQ(logic->run().concurrency(), 6);
    logic->onConcurrencyChosen(9);  // no such choice
    EXPECT_EQ(stored("Id"), "6");
    start();
    EXPECT_EQ(view.concurrency, 6);
}

TEST_F(StartUpTest, TheListExtentFollowsTheScreensTwipsPerPixel) {
    start();
    EXPECT_EQ(view.horizontalExtent, 33);
    view.twips = 12;
    start();
    EXPECT_EQ(view.horizontalExtent, 42);
    EXPECT_EQ(ListHorizontalExtent(8), 62);  // 62.5: halves go to the even neighbour
    EXPECT_EQ(ListHorizontalExtent(500.0 / 63.5), 64);
}

TEST_F(StartUpTest, AStoreThatCannotBeUsedOrOnlyReadIsReportedOnce) {
    start(StoreProblem{"/home/u/.config/vantrel/registry.sqlite3", "file is not a database"});
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_NE(view.notices[0].find("/home/u/.config/vantrel/registry.sqlite3"), std::string::npos);
    EXPECT_NE(view.notices[0].find("file is not a database"), std::string::npos);
    EXPECT_NE(view.notices[0].find("will not be kept"), std::string::npos);

    queue("/x.txt");
    faulty.fails = [](Call call) { return call == Call::Write; };
    start(StoreProblem{"/home/u/.config/vantrel/registry.sqlite3", "the disk is full", true});
    EXPECT_EQ(view.list.texts(), Strings{EntryText(1, testing::NativePath("/x.txt"))});
    EXPECT_EQ(view.notices,
              Strings{"The settings store /home/u/.config/vantrel/registry.sqlite3 can only be read: "
                      "the disk is full.\n\nVantrel shows the saved queue and can run it, but the "
                      "queue cannot be changed: adding, removing, moving and importing scripts are "
                      "refused. A number of scripts to run at a time or an option you choose "
                      "applies until Vantrel is closed."});
    // As it says: an edit is refused, a concurrency applies.
    chooser.scriptFiles = {script("y.txt")};
    logic->onCommand(Command::AddScripts);
    logic->onConcurrencyChosen(3);
    EXPECT_EQ(view.list.texts(), Strings{EntryText(1, testing::NativePath("/x.txt"))});
    EXPECT_EQ(logic->run().concurrency(), 3);
    EXPECT_EQ(view.notices.size(), 3u);
}

TEST_F(StartUpTest, WhatCannotBeReadAtStartUpFallsBackToItsDefaultAndIsToldOnce) {
    queue("/x.txt");
    store->setStringValue(kSettingsKeyPath, "Id", "4");
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    faulty.fails = [](Call) { return true; };
    start();
    EXPECT_EQ(view.list.count(), 0);
    EXPECT_EQ(view.concurrency, 1);
    EXPECT_TRUE(view.checkedCommands[Command::ShowRunMessages]);
    ASSERT_EQ(view.notices.size(), 1u);
    for (const char* told : {"the saved queue", "scripts to run at a time", "run messages",
                             "disk I/O error", "Nothing has been changed"})
        EXPECT_NE(view.notices[0].find(told), std::string::npos) << told;

    // Once the store answers again, the first edit finds the saved queue and shows it.
    faulty.fails = [](Call) { return false; };
    logic->onFilesDropped({script("y.txt")});
    EXPECT_EQ(view.list.texts(), Strings{EntryText(1, testing::NativePath("/x.txt"))});
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath).size(), 1u);
}

TEST_F(StartUpTest, ClearedRunMessagesRunQuietlyAndAChoiceTheStoreRefusesStillApplies) {
    const std::string script = testing::NativePath("/a/x.txt");
    queue("/a/x.txt");
    start();
    logic->onCommand(Command::ShowRunMessages);
    EXPECT_EQ(stored("ShowRunMessages"), "0");
    EXPECT_FALSE(view.checkedCommands[Command::ShowRunMessages]);
    logic->onCommand(Command::StartStop);
    logic->onLaunchTick();
    EXPECT_EQ(desktop.started, Strings{script});
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(view.runningText, "Running:  0 of 1");

    faulty.fails = [](Call call) { return call == Call::Write; };
    logic->onCommand(Command::ShowRunMessages);
    EXPECT_TRUE(view.checkedCommands[Command::ShowRunMessages]);
    EXPECT_EQ(stored("ShowRunMessages"), "0");
    logic->onConcurrencyChosen(3);
    EXPECT_EQ(logic->run().concurrency(), 3);
    EXPECT_EQ(view.notices,
              (Strings{"The choice to show the run messages could not be saved in the settings "
                       "store: disk I/O error.\n\nIt applies until Vantrel is closed.",
                       "The number of scripts to run at a time could not be saved in the settings "
                       "store: disk I/O error.\n\nIt applies until Vantrel is closed."}));
}

TEST_F(StartUpTest, OpenLogOpensTheLogOfTheSelectedScriptOrSaysWhyNot) {
    queue("/a/x.txt");
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    start();
    view.list.setSelected(0, true);
    logic->onCommand(Command::OpenLog);
    logic->onCommand(Command::StartStop);
    logic->onLaunchTick();
    logic->onCommand(Command::OpenLog);
    view.filesOpen = false;
    logic->onCommand(Command::OpenLog);
    const std::string log = desktop.scripts.at(0).request.logFile.string();
    EXPECT_EQ(view.openedFiles, (Strings{log, log}));
    EXPECT_EQ(view.notices, (Strings{"The selected script has no log: it has not been started in this run.",
                                     "The log " + log + " cannot be opened."}));
}

// The program killed during a run leaves its record; the next start offers to
// resume it, except a start from the command line, which resumes it unasked.
TEST_F(StartUpTest, AKilledRunIsResumedAsAnsweredOrUnaskedByStartAndADamagedRecordAsksWhatRan) {
    using enum RowProgress;
    queue("/a", 1), queue("/b", 2);
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    start();
    logic->onCommand(Command::StartStop);
    logic->onLaunchTick();
    desktop.endEveryScript();
    const ProgramOptions fromCommandLine = *ParseProgramOptions(Strings{"--start"}).options;
    for (const bool started : {false, true}) {
        view = {};
        state = {};
        start(std::nullopt, started ? fromCommandLine : ProgramOptions{});
        EXPECT_EQ(view.boxesWith("was interrupted"), started ? 0u : 1u) << started;
        EXPECT_EQ(view.list.progresses(), (std::vector<RowProgress>{Done, Waiting})) << started;
    }
    logic->onWindowShown();
    logic->onLaunchTick();
    EXPECT_EQ(desktop.started, (Strings{testing::NativePath("/a"), testing::NativePath("/b")}));

    for (const bool takeAsDone : {false, true}) {
        testing::WriteBytes(stateFolder / "runs" / "last-run.txt", "edited by hand\n");
        view = {};
        state = {};
        view.confirmAnswer = takeAsDone;
        start();
        ASSERT_EQ(view.boxes.size(), 1u);
        EXPECT_NE(view.boxes[0].find("Which of its scripts started cannot be told"), std::string::npos);
        const RowProgress shown = takeAsDone ? Skipped : Waiting;
        EXPECT_EQ(view.list.progresses(), (std::vector<RowProgress>{shown, shown})) << takeAsDone;
    }
}

/// A run a scheduler starts from the command line on a queue of three scripts.
/// The timers tick until the window closes or both stop; once N scripts run,
/// or none is left to start, the oldest ends with the status its case gives it.
TEST_F(StartUpTest, AScheduledRunEndsWithTheStatusOfHowItWent) {
    const auto unattended = [](std::initializer_list<std::string> more) {
        Strings arguments{"--start", "--exit-when-done"};
        arguments.insert(arguments.end(), more);
        return arguments;
    };
    const struct Case {
        const char* what;
        Strings arguments;
        std::vector<int> statuses;  // of the scripts, in queue order
        std::size_t started;
        std::size_t mostRunning;
        bool closed;
        int exitStatus;
        Strings desktopTold;
        std::string launchFailure = "";
        std::optional<std::size_t> stopOnceStarted = std::nullopt;
    } cases[] = {
        {"all succeed", unattended({}), {0, 0, 0}, 3, 1, true, 0, {"3 scripts run, 3 succeeded"}},
        {"three at a time", unattended({"--concurrency=3"}), {0, 0, 0}, 3, 3, true, 0,
         {"3 scripts run, 3 succeeded"}},
        {"one fails", unattended({"--concurrency", "2"}), {0, 3, 0}, 3, 2, true, 1,
         {"3 scripts run, 2 succeeded, 1 failed (02-b)"}},
        {"stop on failure", unattended({"--stop-on-failure", "--concurrency=2"}), {3, 0, 0}, 2, 2,
         true, 1, {"Stopped after a failure: 2 scripts run, 1 succeeded, 1 failed (01-a)"}},
        {"stop on failure, one at a time", unattended({"--stop-on-failure"}), {0, 3, 0}, 2, 1, true,
         1, {"Stopped after a failure: 2 scripts run, 1 succeeded, 1 failed (02-b)"}},
        {"stopped by the user", unattended({}), {0, 0, 0}, 1, 1, false, 2, {}, "", 1},
        {"esscmd.exe missing", unattended({}), {0, 0, 0}, 0, 0, true, 3, {}, "esscmd.exe not found"},
        {"a person's window", {"--start"}, {3, 0, 0}, 3, 1, false, 0,
         {"3 scripts run, 2 succeeded, 1 failed (01-a)"}},
    };
    const auto endOldest = [this](const std::vector<int>& statuses) {
        for (std::size_t i = 0; i < desktop.scripts.size(); ++i)
            if (!desktop.scripts[i].ended)
                return desktop.endScript(desktop.scripts[i].request.scriptPath, statuses[i]);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        desktop = {};
        desktop.launchFailure = c.launchFailure;
        view = {};
        state = {};
        stateFolder = journal.path() / c.what;
        queue("/a", 1), queue("/b", 2), queue("/c", 3);
        const ProgramOptions options = *ParseProgramOptions(c.arguments).options;
        ASSERT_FALSE(start(std::nullopt, options));
        logic->onWindowShown();
        const std::size_t n = options.concurrency.value_or(1);
        std::size_t mostRunning = 0;
        for (int tick = 0; tick < 50 && !view.closed; ++tick) {
            if (view.launchTimerOn)
                logic->onLaunchTick();
            else if (view.monitorTimerOn)
                logic->onMonitorTick();
            else
                break;
            if (desktop.started.size() == c.stopOnceStarted && view.launchTimerOn)
                logic->onCommand(Command::StartStop);
            const std::size_t running = desktop.runningScripts();
            mostRunning = std::max(mostRunning, running);
            EXPECT_FALSE(view.closed && running > 0) << "closed while a script runs";
            if (c.exitStatus == 0 && running > 0) {
                EXPECT_EQ(logic->exitStatus(), options.exitWhenDone ? 2 : 0) << "a script runs";
            }
            if (running == n || !view.launchTimerOn) endOldest(c.statuses);
        }
        EXPECT_EQ(desktop.started.size(), c.started);
        EXPECT_EQ(mostRunning, c.mostRunning);
        EXPECT_EQ(view.closed, c.closed);
        EXPECT_EQ(logic->exitStatus(), c.exitStatus);
        EXPECT_EQ(view.desktopNotices, c.desktopTold);
        EXPECT_FALSE(logic->runMessagesShown());
    }
}

}  // namespace
}  // namespace vantrel
