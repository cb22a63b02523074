#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "testing/MainWindowFixture.h"
#include "testing/MessageBoxAnswerer.h"

namespace vantrel {
namespace {

class MainWindowTest : public testing::MainWindowFixture {
protected:
    QComboBox* calcs() const { return static_cast<QComboBox*>(control("cboCalcs")); }
};

TEST_F(MainWindowTest, ShowsTheSavedQueueAndConcurrency) {
    store->setStringValue(kSettingsKeyPath, "Id", "4");
    open({"02-/jobs/b.txt", "01-/jobs/a.txt"});
    EXPECT_EQ(rows(), (std::vector<std::string>{"01-/jobs/a.txt", "02-/jobs/b.txt"}));
    EXPECT_EQ(calcs()->currentText(), "4");
    EXPECT_EQ(static_cast<QPushButton*>(control("cmdRun"))->text(), "Start");
    EXPECT_EQ(window->windowTitle(), "Vantrel");
    auto* title = static_cast<QLineEdit*>(control("Text1"));
    EXPECT_EQ(title->text(), "esscmd.exe");
    EXPECT_FALSE(title->isVisible());
    EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(MainWindowTest, AConcurrencyPickedWithTheKeyboardIsStoredAtOnce) {
    store->setStringValue(kSettingsKeyPath, "Id", "abc");
    open();
    EXPECT_EQ(calcs()->currentText(), "1");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "abc");
    calcs()->setFocus();
    for (int i = 0; i < 5; ++i) QTest::keyClick(calcs(), Qt::Key_Down);
    EXPECT_EQ(calcs()->currentText(), "6");
    EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "6");
}

TEST_F(MainWindowTest, AStoreProblemIsShownInABoxTheUserCloses) {
    testing::MessageBoxAnswerer answerer;
    MainWindow damaged(state, settings, desktop, desktop,
                        StoreProblem{"/nowhere/settings.sqlite3", "file is not a database"});
    damaged.load();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, "Vantrel");
    EXPECT_EQ(answerer.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_NE(answerer.seen[0].text.find("/nowhere/settings.sqlite3"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
