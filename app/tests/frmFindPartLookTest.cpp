#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "about/frmAboutProduct.h"
#include "app/frmFindPart.h"
#include "testing/FakeDesktop.h"
#include "testing/Screenshot.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

/// Names the dots per inch a child run of this program was started with.
constexpr char kForcedDpiVariable[] = "VANTREL_TEST_FORCED_DPI";

struct ExpectedPlace {
    const char* control;
    QRect at96Dpi;
    QRect at120Dpi;
};

// Worked out by hand from the window's twips: 15 twips a pixel at 96 dpi, 12 at 120.
const ExpectedPlace kExpectedPlaces[] = {
    {"Label1", {32, 40, 97, 13}, {40, 50, 121, 16}},
    {"Text1", {18, 30, 289, 22}, {23, 38, 361, 28}},
    {"Option1_0", {18, 63, 97, 16}, {23, 79, 121, 20}},
    {"Option1_1", {123, 63, 97, 16}, {154, 79, 121, 20}},
    {"Command1", {234, 60, 73, 22}, {293, 75, 91, 28}},
    {"lstEsscmd", {8, 24, 305, 134}, {10, 30, 381, 168}},
    {"cmdAdd", {8, 200, 57, 25}, {10, 250, 71, 31}},
    {"Label2", {8, 8, 225, 17}, {10, 10, 281, 21}},
    {"cmdRemove", {72, 200, 65, 25}, {90, 250, 81, 31}},
    {"cmdRun", {176, 200, 177, 25}, {220, 250, 221, 31}},
    {"cmdUp", {328, 40, 25, 25}, {410, 50, 31, 31}},
    {"Command2", {328, 80, 25, 25}, {410, 100, 31, 31}},
    {"Label3", {8, 168, 225, 17}, {10, 210, 281, 21}},
    {"cboCalcs", {152, 166, 73, 21}, {190, 208, 91, 26}},
    {"lblStatus_0", {16, 232, 321, 17}, {20, 290, 401, 21}},
    {"lblStatus_1", {16, 256, 321, 17}, {20, 320, 401, 21}},
    {"lblStatus_2", {16, 280, 321, 17}, {20, 350, 401, 21}},
};
const QSize kClientAt96Dpi(359, 266);
const QSize kClientAt120Dpi(449, 333);

class MainWindowLookTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 registry{*store};
    ProgramState state;
    testing::FakeDesktop desktop;

    std::unique_ptr<frmFindPart> open(int queuedScripts = 0) {
        for (int n = 1; n <= queuedScripts; ++n)
            store->createKey(std::string(kQueueRecordKeyPath) + "\\0" + std::to_string(n) +
                             "-/srv/calcs/q" + std::to_string(n) + ".txt");
        auto window = std::make_unique<frmFindPart>(state, registry, desktop, desktop);
        window->Form_Load();
        window->show();
        // Under a bare X server no window manager hands the new window the keyboard.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }
    template <typename Widget = QWidget>
    static Widget* control(const QWidget& window, const char* name) {
        auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
};

/// Starts this test program again, on the same display but with the screen's
/// dots per inch forced, to run only the test that checks the places there.
void ExpectPlacesInChildAt(int dpi) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_FONT_DPI"), QString::number(dpi));
    // Scaling would hide the forced value behind device-independent pixels.
    environment.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    environment.insert(QString::fromLatin1(kForcedDpiVariable), QString::number(dpi));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=MainWindowOnForcedDpiTest.*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

TEST(MainWindowPlacesTest, EveryControlSitsWhereItsTwipsSayAt96DotsPerInch) {
    ExpectPlacesInChildAt(96);
}

TEST(MainWindowPlacesTest, EveryControlSitsWhereItsTwipsSayAt120DotsPerInch) {
    ExpectPlacesInChildAt(120);
}

using MainWindowOnForcedDpiTest = MainWindowLookTest;

// Runs only as the child of the two tests above.
TEST_F(MainWindowOnForcedDpiTest, PlacesEveryControlWithItsCaptionWhole) {
    const int dpi = qEnvironmentVariableIntValue(kForcedDpiVariable);
    if (dpi == 0) GTEST_SKIP() << "started by MainWindowPlacesTest with a forced dpi";
    ASSERT_TRUE(dpi == 96 || dpi == 120);
    const auto window = open(3);
    ASSERT_EQ(window->logicalDpiX(), dpi);

    for (const ExpectedPlace& expected : kExpectedPlaces)
        EXPECT_EQ(control(*window, expected.control)->geometry(),
                  dpi == 96 ? expected.at96Dpi : expected.at120Dpi)
            << expected.control;
    EXPECT_EQ(window->centralWidget()->size(), dpi == 96 ? kClientAt96Dpi : kClientAt120Dpi);
    EXPECT_EQ(window->centralWidget()->y(), window->menuBar()->height());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), window->minimumSize());

    const auto textWidth = [&window](const char* name) {
        const QWidget* widget = control(*window, name);
        return widget->fontMetrics().horizontalAdvance(widget->property("text").toString());
    };
    EXPECT_LE(textWidth("Label2"), control(*window, "Label2")->width());
    // The drop-down list lies over the end of its label.
    EXPECT_LE(textWidth("Label3"),
              control(*window, "cboCalcs")->x() - control(*window, "Label3")->x());
    for (const char* button : {"cmdAdd", "cmdRemove", "cmdRun"})
        EXPECT_LT(textWidth(button), control(*window, button)->width() - 8) << button;

    const QString name =
        dpi == 96 ? QStringLiteral("main-window") : QStringLiteral("main-window-%1dpi").arg(dpi);
    EXPECT_TRUE(testing::SaveScreenshot(*window, name));
}

TEST_F(MainWindowLookTest, TabGoesThroughTheShownControlsInOrderAndBackToTheList) {
    const auto window = open(2);
    control(*window, "lstEsscmd")->setFocus(Qt::OtherFocusReason);
    QStringList visited;
    for (int press = 0; press < 7; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, QStringList({"cmdAdd", "cmdRemove", "cmdRun", "cmdUp", "Command2",
                                    "cboCalcs", "lstEsscmd"}));
}

TEST_F(MainWindowLookTest, ShiftAndCtrlClicksKeepSeveralScriptsSelected) {
    const auto window = open(5);
    auto* list = control<QListWidget>(*window, "lstEsscmd");
    ASSERT_EQ(list->count(), 5);
    const auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(list->item(row)).center());
    };
    const auto selectedRows = [list] {
        QList<int> rows;
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->isSelected()) rows << row;
        return rows;
    };
    click(0, Qt::NoModifier);
    click(2, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), QList<int>({0, 1, 2}));
    click(4, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), QList<int>({0, 1, 2, 4}));
    click(1, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), QList<int>({0, 2, 4}));
}

TEST_F(MainWindowLookTest, HiddenControlsStayHiddenTextIsBoldSansSerifAndArrowsAreDrawn) {
    const auto window = open();
    window->hide();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (const char* name : {"Label1", "Text1", "Option1_0", "Option1_1", "Command1"})
        EXPECT_FALSE(control(*window, name)->isVisible()) << name;

    for (const char* name : {"lstEsscmd", "cmdRun", "Label2", "Label3", "cboCalcs"}) {
        const QFontInfo font(control(*window, name)->font());
        EXPECT_EQ(font.styleHint(), QFont::SansSerif) << name;
        EXPECT_TRUE(font.bold()) << name;
        EXPECT_NEAR(font.pointSizeF(), 8.25, 0.5) << name;
    }
    for (const char* name : {"Label1", "Option1_0", "Option1_1", "Command1"})
        EXPECT_FALSE(QFontInfo(control(*window, name)->font()).bold()) << name;

    const auto arrow = [&window](const char* name) {
        auto* button = control<QPushButton>(*window, name);
        EXPECT_TRUE(button->text().isEmpty()) << name;
        return button->icon().pixmap(16).toImage();
    };
    EXPECT_FALSE(arrow("cmdUp").isNull());
    EXPECT_NE(arrow("cmdUp"), arrow("Command2"));

    const QList<QSize> sizes = window->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

/// Reads the about box each time it comes up, then presses Close as a person would.
class AboutBoxReader {
public:
    struct Seen {
        QString text;
        QString focused;
    };

    AboutBoxReader() {
        QObject::connect(&poll_, &QTimer::timeout, [this] { readOpenBox(); });
        poll_.start(5);
    }

    std::vector<Seen> seen;

private:
    void readOpenBox() {
        auto* box = qobject_cast<frmAboutProduct*>(QApplication::activeModalWidget());
        // Until the box has the keyboard, nothing in it has the focus yet.
        if (box == nullptr || !box->isVisible() || !box->isActiveWindow()) return;
        seen.push_back({box->findChild<QLabel*>(QStringLiteral("lblForm"))->text(),
                        QApplication::focusWidget()->objectName()});
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    }

    QTimer poll_;
};

void ChooseHelpAbout(frmFindPart& window) {
    QMenuBar* bar = window.menuBar();
    auto* help = window.findChild<QMenu*>(QStringLiteral("mnuHelp"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    auto* about = window.findChild<QAction*>(QStringLiteral("mnuAbout"));
    QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(about).center());
}

TEST_F(MainWindowLookTest, HelpAboutOpensAFreshBoxWithCloseFocusedUntilCloseIsPressed) {
    const auto window = open();
    AboutBoxReader reader;
    ChooseHelpAbout(*window);
    EXPECT_TRUE(window->findChildren<frmAboutProduct*>().isEmpty());
    ChooseHelpAbout(*window);
    EXPECT_TRUE(window->findChildren<frmAboutProduct*>().isEmpty());

    ASSERT_EQ(reader.seen.size(), 2u);
    EXPECT_TRUE(reader.seen[0].text.startsWith("Thank you for using Vantrel, a Dravell "));
    EXPECT_EQ(reader.seen[1].text, reader.seen[0].text);
    EXPECT_EQ(reader.seen[0].focused, "Command1");
    EXPECT_EQ(reader.seen[1].focused, "Command1");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace vantrel
