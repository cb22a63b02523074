#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/frmFindPart.h"
#include "testing/FakeDesktop.h"
#include "testing/MessageBoxAnswerer.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 registry{*store};
    ProgramState state;
    testing::FakeDesktop desktop;

    std::unique_ptr<frmFindPart> open(std::optional<StoreProblem> problem = std::nullopt) {
        auto window = std::make_unique<frmFindPart>(state, registry, desktop, desktop, problem);
        window->Form_Load();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
    template <typename Widget>
    static Widget* control(QWidget& window, const char* name) {
        auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

TEST_F(MainWindowTest, ShowsTheSavedQueueAndConcurrency) {
    store->createKey(std::string(kQueueRecordKeyPath) + "\\02-/jobs/b.txt");
    store->createKey(std::string(kQueueRecordKeyPath) + "\\01-/jobs/a.txt");
    store->setStringValue(kSettingsKeyPath, "Id", "4");
    const auto window = open();
    auto* list = control<QListWidget>(*window, "lstEsscmd");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "01-/jobs/a.txt");
    EXPECT_EQ(list->item(1)->text(), "02-/jobs/b.txt");
    EXPECT_EQ(control<QComboBox>(*window, "cboCalcs")->currentText(), "4");
    EXPECT_EQ(control<QPushButton>(*window, "cmdRun")->text(), "Start");
    EXPECT_EQ(window->windowTitle(), "Vantrel");
    auto* title = control<QLineEdit>(*window, "Text1");
    EXPECT_EQ(title->text(), "esscmd.exe");
    EXPECT_FALSE(title->isVisible());
    EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(MainWindowTest, AConcurrencyPickedWithTheKeyboardIsStoredAtOnce) {
    store->setStringValue(kSettingsKeyPath, "Id", "abc");
    {
        const auto window = open();
        auto* calcs = control<QComboBox>(*window, "cboCalcs");
        EXPECT_EQ(calcs->currentText(), "1");
        EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "abc");
        calcs->setFocus();
        for (int i = 0; i < 5; ++i) QTest::keyClick(calcs, Qt::Key_Down);
        EXPECT_EQ(calcs->currentText(), "6");
        EXPECT_EQ(store->stringValue(kSettingsKeyPath, "Id"), "6");
    }
    const auto reopened = open();
    EXPECT_EQ(control<QComboBox>(*reopened, "cboCalcs")->currentText(), "6");
}

TEST_F(MainWindowTest, AStoreProblemIsShownInABoxTheUserCloses) {
    testing::MessageBoxAnswerer answerer;
    const auto window = open(StoreProblem{"/nowhere/registry.sqlite3", "file is not a database"});
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].title, "Vantrel");
    EXPECT_EQ(answerer.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_NE(answerer.seen[0].text.find("/nowhere/registry.sqlite3"), std::string::npos);
    EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace vantrel
