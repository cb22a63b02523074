#include <gtest/gtest.h>

#include "app/MainWindowLogic.h"
#include "queue/QueueEntry.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
#include "testing/FaultyStore.h"
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
    std::unique_ptr<MainWindowLogic> logic;

    void start(std::optional<StoreProblem> problem = std::nullopt) {
        view.notices.clear();
        logic = std::make_unique<MainWindowLogic>(
            ProgramParts{state, faulty, desktop, desktop, std::move(problem), journal.path()}, view,
            chooser);
        logic->load();
    }
    std::optional<std::string> stored(const char* value) {
        return store->stringValue(kSettingsKeyPath, value);
    }
    void queue(const std::string& path, int number = 1) {
        store->createKey(std::string(kQueueRecordKeyPath) + "\\" +
                         EntryKeyName(EntryText(number, testing::NativePath(path))));
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

TEST_F(StartUpTest, TheSavedQueueFillsTheListAndTheTable) {
    queue("/b/y.txt", 2);
    queue("/a/x.txt", 1);
    start();
    const Strings expected{"01-" + testing::NativePath("/a/x.txt"),
                           "02-" + testing::NativePath("/b/y.txt")};
    EXPECT_EQ(view.list.texts(), expected);
    EXPECT_EQ(state.scriptTable[1].entryText, expected[1]);
}

TEST_F(StartUpTest, TheStoredConcurrencyIsShownWhenItIsAChoiceAndAPickIsStoredAtOnce) {
    const std::pair<const char*, int> cases[] = {
        {"4", 4}, {"8", 8}, {"", 1}, {"abc", 1}, {"0", 1}, {"9", 1}, {" 4", 1}, {"44", 1}};
    for (const auto& [text, shown] : cases) {
        store->setStringValue(kSettingsKeyPath, "Id", text);
        start();
        EXPECT_EQ(view.concurrency, shown) << "stored: '" << text << "'";
        EXPECT_EQ(logic->run().concurrency(), shown) << "stored: '" << text << "'";
        EXPECT_EQ(stored("Id"), text) << "start-up must not rewrite it";
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
    start(StoreProblem{"/home/u/.config/vantrel/registry.sqlite3",
                       "it cannot be written (Read-only file system)", true});
    EXPECT_EQ(view.list.texts(), Strings{EntryText(1, testing::NativePath("/x.txt"))});
    EXPECT_EQ(view.notices,
              Strings{"The settings store /home/u/.config/vantrel/registry.sqlite3 is read only: it "
                      "cannot be written (Read-only file system).\n\nVantrel shows the saved "
                      "queue, but changes will not be kept."});
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
    logic->onFilesDropped({testing::NativePath("/y.txt")});
    EXPECT_EQ(view.list.texts(), Strings{EntryText(1, testing::NativePath("/x.txt"))});
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath).size(), 1u);
}

TEST_F(StartUpTest, OnlyAStoredZeroSwitchesTheRunMessagesOff) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {std::nullopt, true}, {"1", true}, {"0", false}, {"", true}, {"off", true}, {" 0", true}};
    for (const auto& [value, shown] : cases) {
        store->deleteValue(kSettingsKeyPath, "ShowRunMessages");
        if (value) store->setStringValue(kSettingsKeyPath, "ShowRunMessages", *value);
        start();
        EXPECT_EQ(view.checkedCommands[Command::ShowRunMessages], shown) << value.value_or("(absent)");
    }
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

TEST_F(StartUpTest, AddAndRemoveChangeNothingWhileARunGoesOn) {
    queue("/a/x.txt");
    start();
    chooser.scriptFiles = {testing::NativePath("/b.txt")};
    view.list.setSelected(0, true);
    logic->onCommand(Command::StartStop);
    EXPECT_FALSE(view.editingEnabled);
    logic->onCommand(Command::AddScripts);
    logic->onCommand(Command::RemoveSelected);
    EXPECT_EQ(view.list.count(), 1);
    EXPECT_TRUE(view.boxes.empty());
    logic->onCommand(Command::About);
    EXPECT_EQ(view.aboutBoxes, 1);
}

}  // namespace
}  // namespace vantrel
