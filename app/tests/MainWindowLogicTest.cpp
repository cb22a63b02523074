#include <gtest/gtest.h>

#include "app/MainWindowLogic.h"
#include "queue/QueueEntry.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;

class StartUpTest : public ::testing::Test {
protected:
    testing::TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
    ProgramState state;
    testing::FakeMainView view;
    testing::FakeDesktop desktop;

    void start(std::optional<StoreProblem> problem = std::nullopt) {
        MainWindowLogic logic(state, settings, view, desktop, desktop, std::move(problem));
        logic.load();
    }
    std::optional<std::string> storedConcurrency() {
        return store->stringValue(kSettingsKeyPath, "Id");
    }
};

TEST_F(StartUpTest, AFirstStartCreatesTheKeysAndShowsTheDefaults) {
    start();
    EXPECT_TRUE(store->keyExists(kQueueRecordKeyPath));
    EXPECT_EQ(view.list.count(), 0);
    EXPECT_EQ(view.concurrency, "1");
    EXPECT_EQ(view.title, "esscmd.exe");
    EXPECT_EQ(state.settingsKeyPath, "Software\\Dravell\\Kestrim");
    EXPECT_TRUE(view.notices.empty());
    EXPECT_FALSE(storedConcurrency().has_value());
    EXPECT_FALSE(view.launchTimerOn || view.monitorTimerOn);
}

TEST_F(StartUpTest, TheSavedQueueFillsTheListAndTheTable) {
    const std::string x = "01-" + testing::NativePath("/a/x.txt"),
                      y = "02-" + testing::NativePath("/b/y.txt");
    store->createKey(std::string(kQueueRecordKeyPath) + "\\" + EntryKeyName(y));
    store->createKey(std::string(kQueueRecordKeyPath) + "\\" + EntryKeyName(x));
    start();
    EXPECT_EQ(view.list.texts(), (Strings{x, y}));
    EXPECT_EQ(state.scriptTable[1].entryText, y);
}

TEST_F(StartUpTest, TheStoredConcurrencyIsShownWhenItIsAChoice) {
    const std::pair<const char*, const char*> cases[] = {
        {"4", "4"}, {"8", "8"}, {"", "1"}, {"abc", "1"}, {"0", "1"}, {"9", "1"}, {" 4", "1"}};
    for (const auto& [stored, shown] : cases) {
        store->setStringValue(kSettingsKeyPath, "Id", stored);
        start();
        EXPECT_EQ(view.concurrency, shown) << "stored: '" << stored << "'";
        EXPECT_EQ(storedConcurrency(), stored) << "start-up must not rewrite it";
    }
}

TEST_F(StartUpTest, PickingAConcurrencyStoresItAtOnce) {
    MainWindowLogic logic(state, settings, view, desktop, desktop);
    logic.load();
    view.concurrency = "6";
    logic.onConcurrencyChosen();
    EXPECT_EQ(storedConcurrency(), "6");
    start();
    EXPECT_EQ(view.concurrency, "6");
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

TEST_F(StartUpTest, AStoreThatCannotBeUsedIsReportedOnce) {
    start(StoreProblem{"/home/u/.config/vantrel/registry.sqlite3", "file is not a database"});
    ASSERT_EQ(view.notices.size(), 1u);
    const std::string& text = view.notices[0];
    EXPECT_NE(text.find("/home/u/.config/vantrel/registry.sqlite3"), std::string::npos);
    EXPECT_NE(text.find("file is not a database"), std::string::npos);
    EXPECT_NE(text.find("will not be kept"), std::string::npos);
}

TEST_F(StartUpTest, OnlyAStoredZeroSwitchesTheRunMessagesOffAndAChoiceIsStoredAtOnce) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {std::nullopt, true}, {"1", true}, {"0", false}, {"", true}, {"off", true}, {" 0", true}};
    for (const auto& [stored, shown] : cases) {
        store->deleteValue(kSettingsKeyPath, "ShowRunMessages");
        if (stored) store->setStringValue(kSettingsKeyPath, "ShowRunMessages", *stored);
        start();
        EXPECT_EQ(view.runMessagesChecked, shown) << stored.value_or("(absent)");
    }

    // With the item cleared, Start and the first tick ask nothing of anyone.
    const std::string script = testing::NativePath("/a/x.txt");
    store->createKey(std::string(kQueueRecordKeyPath) + "\\" + EntryKeyName(EntryText(1, script)));
    MainWindowLogic logic(state, settings, view, desktop, desktop);
    logic.load();
    logic.onRunMessagesChosen(false);
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "ShowRunMessages"), "0");
    view.notices.clear();
    logic.run().onStartStopClicked();
    logic.run().onLaunchTick();
    EXPECT_EQ(desktop.started, (Strings{script}));
    EXPECT_TRUE(view.notices.empty());
    EXPECT_EQ(view.runningText, "Running:  0 of 1");
    logic.onRunMessagesChosen(true);
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "ShowRunMessages"), "1");
}

TEST_F(StartUpTest, AReadOnlyStoreIsReportedAsOneWhoseQueueIsShown) {
    store->createKey(std::string(kQueueRecordKeyPath) + "\\01-x.txt");
    start(StoreProblem{"/home/u/.config/vantrel/registry.sqlite3",
                       "it cannot be written (Read-only file system)", true});
    EXPECT_EQ(view.list.texts(), Strings{"01-x.txt"});
    EXPECT_EQ(view.notices,
              Strings{"The settings store /home/u/.config/vantrel/registry.sqlite3 is read only: it "
                      "cannot be written (Read-only file system).\n\nVantrel shows the saved "
                      "queue, but changes will not be kept."});
}

}  // namespace
}  // namespace vantrel
