#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "about/AboutBox.h"
#include "app/ProgressMarks.h"
#include "testing/MainWindowFixture.h"
#include "testing/MarkProbes.h"

namespace vantrel::testing {
namespace {

/// Saves what a window shows as PNG under the build tree, for a person to look at.
bool SaveScreenshot(QWidget& window, const QString& name) {
    const QDir folder(QStringLiteral(VANTREL_SCREENSHOT_DIR));
    return folder.mkpath(".") && window.grab().save(folder.filePath(name + ".png"));
}

const std::pair<const char*, QRect> kShownControlTwips[] = {
    {"lstEsscmd", {120, 360, 4575, 2010}},   {"cmdAdd", {120, 3000, 855, 375}},
    {"Label2", {120, 120, 3375, 255}},       {"cmdRemove", {1080, 3000, 975, 375}},
    {"cmdRun", {2640, 3000, 2655, 375}},     {"cmdUp", {4920, 600, 375, 375}},
    {"Command2", {4920, 1200, 375, 375}},    {"Label3", {120, 2520, 3375, 255}},
    {"cboCalcs", {2280, 2490, 1095, 315}},   {"lblStatus_0", {240, 3480, 4815, 255}},
    {"lblStatus_1", {240, 3840, 4815, 255}}, {"lblStatus_2", {240, 4200, 4815, 255}}};

using MainWindowLookTest = MainWindowFixture;

// The same description the Windows list draws from, drawn smoothly: each
// stroke carries its colour, nothing lies outside the mark, no two look alike.
TEST(ProgressMarkTest, EachMarkIsDrawnInItsSharedShapeAndColourAndEveryMarkDiffers) {
    std::set<std::vector<QRgb>> looks;
    for (const RowProgress progress : kEveryRowProgress) {
        const QImage drawn = ProgressMark(progress).pixmap(kMarkGrid, kMarkGrid).toImage();
        ASSERT_EQ(drawn.size(), QSize(kMarkGrid, kMarkGrid));
        const MarkShape shape = ProgressMarkShape(progress);
        const auto inkedAt = [&](int x, int y) {
            const QColor pixel = drawn.pixelColor(x, y);
            return pixel.alpha() > 128 && std::abs(pixel.red() - shape.colour.red) < 40 &&
                   std::abs(pixel.green() - shape.colour.green) < 40 &&
                   std::abs(pixel.blue() - shape.colour.blue) < 40;
        };
        for (const GridPoint& point : InkedPoints(shape)) {
            bool inked = false;
            for (const int x : {static_cast<int>(point.x - 0.5), static_cast<int>(point.x)})
                for (const int y : {static_cast<int>(point.y - 0.5), static_cast<int>(point.y)})
                    inked = inked || inkedAt(x, y);
            EXPECT_TRUE(inked) << static_cast<int>(progress) << " at " << point.x << "," << point.y;
        }
        const GridBox box = InkBox(shape);
        std::vector<QRgb> look;
        for (int y = 0; y < kMarkGrid; ++y)
            for (int x = 0; x < kMarkGrid; ++x) {
                look.push_back(drawn.pixel(x, y));
                const bool outside =
                    x + 1 < box.left || x > box.right || y + 1 < box.top || y > box.bottom;
                EXPECT_TRUE(!outside || drawn.pixelColor(x, y).alpha() == 0)
                    << static_cast<int>(progress) << " has ink outside its mark at " << x << ","
                    << y;
            }
        looks.insert(look);
    }
    EXPECT_EQ(looks.size(), std::size(kEveryRowProgress)) << "two states look the same";
}

// ctest runs this with QT_FONT_DPI at 96, and once more at 120.
TEST_F(MainWindowLookTest, ShownControlsSitWhereTheirTwipsSay) {
    const int dpi = qEnvironmentVariableIntValue("QT_FONT_DPI");
    open({"01-/srv/calcs/q1.txt", "02-/srv/calcs/q2.txt"});
    ASSERT_EQ(window->logicalDpiX(), dpi) << "run with QT_FONT_DPI set, as ctest does";
    const double twipsPerPixel = 1440.0 / dpi;
    for (const auto& [name, twips] : kShownControlTwips)
        EXPECT_EQ(control(name)->geometry(),
                  QRect(twips.topLeft() / twipsPerPixel, twips.size() / twipsPerPixel))
            << name;
    EXPECT_EQ(window->centralWidget()->size(), QSize(5385, 3990) / twipsPerPixel);
    EXPECT_TRUE(SaveScreenshot(*window, QStringLiteral("main-window-%1dpi").arg(dpi)));
}

TEST_F(MainWindowLookTest, TabVisitsTheShownControlsAndShiftOrCtrlClicksSelectSeveralScripts) {
    open({"01-/s/a", "02-/s/b", "03-/s/c", "04-/s/d"});
    for (const char* name : {"Label1", "Text1", "Option1_0", "Option1_1", "Command1"})
        EXPECT_FALSE(control(name)->isVisible()) << name;
    list->setFocus(Qt::OtherFocusReason);
    QStringList visited;
    for (int press = 0; press < 7; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, QStringList({"cmdAdd", "cmdRemove", "cmdRun", "cmdUp", "Command2",
                                    "cboCalcs", "lstEsscmd"}));

    clickRow(0);
    clickRow(2, Qt::ShiftModifier);
    clickRow(3, Qt::ControlModifier);
    clickRow(1, Qt::ControlModifier);
    EXPECT_EQ(rows(), (std::vector<std::string>{"01-/s/a*", "02-/s/b", "03-/s/c*", "04-/s/d*"}));
}

TEST_F(MainWindowLookTest, TheCurrentRowIsFramedWhileTheListHasTheKeyboardFocus) {
    open({"01-/s/a", "02-/s/b", "03-/s/c"});
    clickRow(0);
    // Ctrl with an arrow moves the focus without selecting: only the frame shows where it is.
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    ASSERT_EQ(list->currentRow(), 2);
    ASSERT_FALSE(list->item(2)->isSelected());
    // The row's left edge, beside its mark, where no style paints a focused row on its own.
    QRect row = list->visualItemRect(list->item(2));
    row.setWidth(2);
    const QImage focused = list->viewport()->grab(row).toImage();
    EXPECT_TRUE(SaveScreenshot(*window, QStringLiteral("list-focus")));
    control("cmdAdd")->setFocus();
    ASSERT_FALSE(list->hasFocus());
    const QImage unfocused = list->viewport()->grab(row).toImage();
    EXPECT_NE(focused, unfocused);
    list->setFocus();
    EXPECT_EQ(list->viewport()->grab(row).toImage(), focused);
}

/// Stands in for the browser: takes every web address the program asks to open.
class Browser : public QObject {
    Q_OBJECT
public:
    Browser() { QDesktopServices::setUrlHandler("http", this, "open"); }
    ~Browser() override { QDesktopServices::unsetUrlHandler("http"); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(MainWindowLookTest, AboutShowsTheSameTextEachTimeWithCloseFocusedAndALinkToTheProduct) {
    open();
    Browser browser;
    QStringList seen;  // the text and the focused control of each box
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&seen] {
        auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        // Until the box has the keyboard, nothing in it has the focus yet.
        if (box == nullptr || !box->isVisible() || !box->isActiveWindow()) return;
        seen << box->findChild<QLabel*>("lblForm")->text()
             << QApplication::focusWidget()->objectName();
        EXPECT_TRUE(SaveScreenshot(*box, "about-box"));
        QTest::mouseClick(box->findChild<QLabel*>("Label1"), Qt::LeftButton);
        QTest::mouseClick(box->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    reader.start(5);
    window->findChild<QAction*>("mnuAbout")->trigger();
    window->findChild<QAction*>("mnuAbout")->trigger();
    EXPECT_TRUE(seen.value(0).startsWith("Thank you for using Vantrel, a Dravell "));
    EXPECT_EQ(seen, QStringList({seen.value(0), "Command1", seen.value(0), "Command1"}));
    EXPECT_EQ(browser.opened, QList<QUrl>(2, QUrl("http://www.dravell.example/vantrel")));
}

}  // namespace
}  // namespace vantrel::testing

#include "MainWindowLookTest.moc"
