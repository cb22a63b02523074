// The concurrency picked while another program holds the store's write lock
// past the busy timeout (Linux: the SQLite store file).

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "app/MainWindowLogic.h"
#include "testing/FakeDesktop.h"
#include "testing/FakeMainView.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

TEST(ConcurrencyRefusedTest, AConcurrencyTheStoreRefusesIsReportedAndStillShown) {
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    ProgramState state;
    testing::FakeMainView view;
    testing::FakeDesktop desktop;
    testing::ScriptedFileChooser chooser;
    MainWindowLogic logic({state, *store, desktop, desktop, std::nullopt, home.path() / "journal"},
                          view, chooser);
    logic.load();

    sqlite3* otherProgram = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &otherProgram), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(otherProgram, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    logic.onConcurrencyChosen(6);
    sqlite3_close(otherProgram);
    ASSERT_EQ(view.notices.size(), 1u);
    EXPECT_EQ(view.notices[0],
              "The number of scripts to run at a time could not be saved in the settings store: "
              "database is locked.\n\nIt applies until Vantrel is closed.");
    EXPECT_EQ(logic.run().concurrency(), 6);
    EXPECT_FALSE(store->stringValue(kSettingsKeyPath, "Id").has_value());
}

}  // namespace
}  // namespace vantrel
