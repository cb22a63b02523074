#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPushButton>

#include "testing/MainWindowFixture.h"
#include "testing/MessageBoxAnswerer.h"
#include "testing/XcbTestClient.h"

namespace vantrel {
namespace {

class MainWindowTest : public testing::MainWindowFixture {
protected:
    QComboBox* calcs() const { return static_cast<QComboBox*>(control("cboCalcs")); }
};

// A stored concurrency the list does not offer shows the default and stays
// stored until one is picked.
TEST_F(MainWindowTest, ShowsTheSavedQueueAndStoresAConcurrencyPickedWithTheKeyboardAtOnce) {
    store->setStringValue(kSettingsKeyPath, "Id", "abc");
    open({"02-/jobs/b.txt", "01-/jobs/a.txt"});
    EXPECT_EQ(rows(), (std::vector<std::string>{"01-/jobs/a.txt", "02-/jobs/b.txt"}));
    EXPECT_EQ(static_cast<QPushButton*>(control("cmdRun"))->text(), "Start");
    EXPECT_EQ(window->windowTitle(), "Vantrel");
    auto* title = static_cast<QLineEdit*>(control("Text1"));
    EXPECT_EQ(title->text(), "esscmd.exe");
    EXPECT_FALSE(title->isVisible());
    EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(calcs()->currentText(), "1");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "abc");
    calcs()->setFocus();
    for (int i = 0; i < 5; ++i) QTest::keyClick(calcs(), Qt::Key_Down);
    EXPECT_EQ(calcs()->currentText(), "6");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "6");
}

TEST_F(MainWindowTest, AStoreProblemIsShownInABoxTheUserCloses) {
    testing::MessageBoxAnswerer answerer;
    MainWindow damaged(parts(StoreProblem{"/nowhere/settings.sqlite3", "file is not a database"}));
    damaged.load();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, "Vantrel");
    EXPECT_EQ(answerer.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_NE(answerer.seen[0].text.find("/nowhere/settings.sqlite3"), std::string::npos);
}

TEST_F(MainWindowTest, ClearingShowRunMessagesRunsWithoutBoxesAndIsRememberedAtTheNextStart) {
    open({"01-/jobs/a.txt", "02-/jobs/b.txt"});
    auto* item = window->findChild<QAction*>(QStringLiteral("mnuOptionsShowRunMessages"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isChecked());
    // Through the menu, as a user does it.
    QMenuBar* bar = window->menuBar();
    auto* options = window->findChild<QMenu*>(QStringLiteral("mnuOptions"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(options->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    QTest::mouseClick(options, Qt::LeftButton, {}, options->actionGeometry(item).center());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "ShowRunMessages"), "0");

    testing::MessageBoxAnswerer answerer;
    click("cmdRun");
    auto* running = window->findChild<QLabel*>(QStringLiteral("lblRunning"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.started.size() == 1; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return running->text() == "Running:  1 of 1"; }));
    EXPECT_TRUE(window->centralWidget()->rect().contains(running->geometry()));
    EXPECT_TRUE(running->isVisible());
    click("cmdRun");
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(list->item(0)->text(), "01-/jobs/a.txt");
    EXPECT_TRUE(list->item(0)->toolTip().contains("/jobs/a.txt"));
    EXPECT_TRUE(list->item(1)->toolTip().contains("/jobs/b.txt"));

    window.reset();
    state = ProgramState{};
    open();
    EXPECT_FALSE(window->findChild<QAction*>(QStringLiteral("mnuOptionsShowRunMessages"))->isChecked());
}

TEST_F(MainWindowTest, TheFixedSizeWindowLetsTheWindowManagerMinimizeAndCloseButNotMaximizeIt) {
    open();
    testing::XcbTestClient x(qgetenv("DISPLAY").toStdString());
    // _MOTIF_WM_HINTS: flags, functions, decorations, ...
    const std::vector<std::uint32_t> hints = x.cardinals(window->winId(), "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 2u);
    constexpr std::uint32_t kFunctions = 1, kMinimize = 8, kMaximize = 16, kClose = 32;
    ASSERT_TRUE(hints[0] & kFunctions);
    EXPECT_EQ(hints[1] & (kMinimize | kMaximize | kClose), kMinimize | kClose);
}

}  // namespace
}  // namespace vantrel
