#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include "testing/FileBytes.h"
#include "testing/MainWindowFixture.h"
#include "testing/MessageBoxAnswerer.h"

namespace vantrel::testing {
namespace {

using Texts = std::vector<std::string>;
using QueueEditingWindowTest = MainWindowFixture;

TEST_F(QueueEditingWindowTest, AddDropsTheArrowsAndTheListsMenuChangeTheQueue) {
    const std::string a = (home.path() / "a.txt").string(), c = (home.path() / "c.txt").string(),
                      folder = (home.path() / "folder").string();
    WriteBytes(a, "LOGIN\n");
    WriteBytes(c, "LOGIN\n");
    std::filesystem::create_directory(folder);
    open({"01-/s/x.txt"});
    chooser.scriptFiles = {a};
    click("cmdAdd");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(c)), QUrl("https://example.org/x.txt"),
                   QUrl::fromLocalFile(QString::fromStdString(folder))});
    const QPoint point = list->viewport()->rect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(point, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    {
        // The list adds a drop's files once the drop itself is over; the folder is refused.
        MessageBoxAnswerer answerer;
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(answerer.texts(), Texts{"Only files can be queued, so these have not been "
                                          "added:\n" + folder + " (a folder)"});
    }
    EXPECT_EQ(rows(), (Texts{"01-/s/x.txt", "02-" + a, "03-" + c}));

    clickRow(2);
    click("cmdUp");
    click("cmdUp");
    click("Command2");
    EXPECT_EQ(rows(), (Texts{"01-/s/x.txt", "02-" + c + "*", "03-" + a}));
    chooser.listFileToSave = chooser.listFileToOpen = (home.path() / "queue.txt").string();
    MessageBoxAnswerer answerer;
    window->findChild<QAction*>("mnuListsExport")->trigger();
    EXPECT_EQ(answerer.texts(),
              Texts{" Your list has been saved to " + chooser.listFileToSave + "."});
    WriteBytes(chooser.listFileToOpen, "01-/s/x\n02-/s/y");
    window->findChild<QAction*>("mnuListsImport")->trigger();
    EXPECT_EQ(rows(), (Texts{"01-/s/x", "02-/s/y"}));
}

TEST_F(QueueEditingWindowTest, RemoveAsksAboutExactlyTheSelectedEntriesInPlainText) {
    open({"01-/s/a", "02-/s/<b>b</b>", "03-/s/c"});
    // As when the window is activated: the list takes the focus, yet no row is picked.
    list->setFocus(Qt::ActiveWindowFocusReason);
    QCoreApplication::sendPostedEvents();
    bool agree = false;
    MessageBoxAnswerer answerer([&agree](const MessageBoxAnswerer::Seen& box) {
        return agree || box.buttons == QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Cancel;
    });
    click("cmdRemove");
    clickRow(1);
    click("cmdRemove");
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/<b>b</b>*", "03-/s/c"}));
    // Ctrl+click twice on the top row: it has the focus but is not selected.
    clickRow(0, Qt::ControlModifier);
    clickRow(0, Qt::ControlModifier);
    agree = true;
    click("cmdRemove");
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/c"}));
    const std::string question = "Are you sure you want to remove 02-/s/<b>b</b>?";
    EXPECT_EQ(answerer.texts(),
              (Texts{"A script must be selected to be removed.", question, question}));
    for (const MessageBoxAnswerer::Seen& box : answerer.seen)
        EXPECT_EQ(box.format, Qt::PlainText) << box.text;
}

TEST_F(QueueEditingWindowTest, AnEntryNameThatIsNotUtf8KeepsItsKeyWhenMovedOrRemoved) {
    // As another program or an older import may have stored it.
    const std::string latin1 = "01-/s/caf\xE9.txt";
    open({latin1, "02-/s/b", "03-/s/c"});
    EXPECT_EQ(rows()[0], "01-/s/caf\xEF\xBF\xBD.txt");
    clickRow(0);
    click("Command2");  // down
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath), (Texts{"01-/s/b", "02-/s/caf\xE9.txt", "03-/s/c"}));
    MessageBoxAnswerer answerer;
    click("cmdRemove");
    EXPECT_EQ(store->subKeys(kQueueRecordKeyPath), (Texts{"01-/s/b", "02-/s/c"}));
    EXPECT_EQ(rows(), (Texts{"01-/s/b", "02-/s/c"}));
}

/// The items of the pop-up menu `open` brings up, which is then closed as
/// Escape would close it; empty when none comes up.
Texts PopupMenuItems(const std::function<void()>& open) {
    Texts items;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible()) return;
        for (const QAction* action : menu->actions()) items.push_back(action->text().toStdString());
        menu->close();
    });
    look.start(20);
    open();
    return items;
}

TEST_F(QueueEditingWindowTest, EachKeyGivesItsCommandWhereItActs) {
    store->setStringValue(kSettingsKeyPath, "ShowRunMessages", "0");
    open({"01-/s/a", "02-/s/b", "03-/s/c"});
    const std::string added = (home.path() / "added.txt").string();
    std::ofstream(added) << "LOGIN\n";
    chooser.scriptFiles = {added};
    MessageBoxAnswerer answerer;
    QWidget* concurrency = control("cboCalcs");
    clickRow(0);
    struct Press {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers held;
        Texts rows;
    };
    const Press presses[] = {
        {"Alt+Down", list, Qt::Key_Down, Qt::AltModifier, {"01-/s/b", "02-/s/a*", "03-/s/c"}},
        {"Alt+Up", list, Qt::Key_Up, Qt::AltModifier, {"01-/s/a*", "02-/s/b", "03-/s/c"}},
        {"Delete off the list",
         concurrency,
         Qt::Key_Delete,
         Qt::NoModifier,
         {"01-/s/a*", "02-/s/b", "03-/s/c"}},
        {"Delete", list, Qt::Key_Delete, Qt::NoModifier, {"01-/s/b", "02-/s/c"}},
        {"Insert",
         concurrency,
         Qt::Key_Insert,
         Qt::NoModifier,
         {"01-/s/b", "02-/s/c", "03-" + added}},
    };
    for (const Press& each : presses) {
        each.focus->setFocus();
        QTest::keyClick(each.focus, each.key, each.held);
        EXPECT_EQ(rows(), each.rows) << each.what;
    }
    EXPECT_EQ(answerer.texts(), Texts{"Are you sure you want to remove 01-/s/a?"});

    const Texts listMenu{"Run Again", "Skip", "Open Log"};
    list->setFocus();
    EXPECT_EQ(PopupMenuItems([&] { QTest::keyClick(list, Qt::Key_Menu); }), listMenu) << "menu key";
    EXPECT_EQ(PopupMenuItems([&] { QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier); }),
              listMenu)
        << "Shift+F10";
    concurrency->setFocus();
    EXPECT_EQ(PopupMenuItems([&] { QTest::keyClick(concurrency, Qt::Key_Menu); }), Texts{})
        << "menu key off the list";

    auto* run = window->findChild<QPushButton*>(QStringLiteral("cmdRun"));
    for (const char* caption : {"Stop", "Start"}) {
        QTest::keyClick(concurrency, Qt::Key_S, Qt::AltModifier);
        EXPECT_EQ(run->text().toStdString(), caption);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.started.empty(); }));
    }
    EXPECT_EQ(desktop.started.size(), 1u);
    EXPECT_EQ(answerer.seen.size(), 1u) << "a quiet run asks nothing";
}

}  // namespace
}  // namespace vantrel::testing
