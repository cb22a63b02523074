#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "app/frmFindPart.h"
#include "testing/FakeDesktop.h"
#include "testing/FileBytes.h"
#include "testing/MessageBoxAnswerer.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

using Texts = std::vector<std::string>;
using testing::MessageBoxAnswerer;

/// The real main window over a real store file, with file dialogs the test answers.
class QueueEditingWindowTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 registry{*store};
    ProgramState state;
    testing::FakeDesktop desktop;
    testing::ScriptedFileChooser chooser;
    std::unique_ptr<frmFindPart> window;
    QListWidget* list = nullptr;

    void open(const Texts& savedEntries = {}) {
        for (const std::string& entry : savedEntries)
            store->createKey(std::string(kQueueRecordKeyPath) + "\\" + entry);
        window = std::make_unique<frmFindPart>(state, registry, desktop, desktop);
        window->setFileChooser(chooser);
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        list = window->findChild<QListWidget*>(QStringLiteral("lstEsscmd"));
    }

    void click(const char* button) {
        auto* widget = window->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(widget, nullptr) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(list->item(row)).center());
    }
    void trigger(const char* menuItem) {
        auto* action = window->findChild<QAction*>(QString::fromLatin1(menuItem));
        ASSERT_NE(action, nullptr) << menuItem;
        action->trigger();
    }

    Texts rows() const {
        Texts texts;
        for (int row = 0; row < list->count(); ++row)
            texts.push_back(list->item(row)->text().toStdString());
        return texts;
    }
    std::vector<int> selectedRows() const {
        std::vector<int> selected;
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->isSelected()) selected.push_back(row);
        return selected;
    }
    Texts savedQueue() const { return store->subKeys(kQueueRecordKeyPath); }

    /// Drags data onto the list and drops it there; true when the list took the drag.
    bool dragAndDrop(const QMimeData& data) {
        QWidget* viewport = list->viewport();
        const QPoint point = viewport->rect().center();
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        // The list adds a drop's files once the drop itself is over.
        QCoreApplication::sendPostedEvents();
        return enter.isAccepted();
    }
};

TEST_F(QueueEditingWindowTest, AddAppendsTheFilesChosenInTheDialog) {
    open({"01-/s/x.txt"});
    chooser.scriptFiles = {"/s/a.txt", "/s/b.txt"};
    click("cmdAdd");
    const Texts queue = {"01-/s/x.txt", "02-/s/a.txt", "03-/s/b.txt"};
    EXPECT_EQ(rows(), queue);
    EXPECT_EQ(savedQueue(), queue);
}

TEST_F(QueueEditingWindowTest, LocalFilesAndFoldersDroppedOnTheListAreAdded) {
    open();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/s/c.txt"), QUrl("https://example.org/x.txt"),
                   QUrl::fromLocalFile("/s/folder")});
    EXPECT_TRUE(dragAndDrop(files));
    EXPECT_EQ(rows(), (Texts{"01-/s/c.txt", "02-/s/folder"}));

    QMimeData text;
    text.setText(QStringLiteral("/s/d.txt"));
    EXPECT_FALSE(dragAndDrop(text));
    QMimeData webPage;
    webPage.setUrls({QUrl("https://example.org/y.txt")});
    EXPECT_FALSE(dragAndDrop(webPage));
    EXPECT_EQ(rows(), (Texts{"01-/s/c.txt", "02-/s/folder"}));
    EXPECT_EQ(savedQueue(), rows());
}

TEST_F(QueueEditingWindowTest, RemoveAsksInMessageBoxesAndTakesTheSelectedEntriesOnOk) {
    open({"01-/s/a", "02-/s/b", "03-/s/c", "04-/s/d"});
    // As when the window is activated: its first control, the list, takes the focus.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    list->setFocus(Qt::ActiveWindowFocusReason);
    ASSERT_TRUE(list->hasFocus());
    QCoreApplication::sendPostedEvents();
    {
        MessageBoxAnswerer answerer([](const MessageBoxAnswerer::Seen& box) {
            return box.buttons == QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Cancel;
        });
        click("cmdRemove");
        clickRow(1);
        click("cmdRemove");
        ASSERT_EQ(answerer.seen.size(), 2u);
        for (const MessageBoxAnswerer::Seen& box : answerer.seen) EXPECT_EQ(box.title, "Vantrel");
        EXPECT_EQ(answerer.seen[0].text, "A script must be selected to be removed.");
        EXPECT_EQ(answerer.seen[0].icon, QMessageBox::Information);
        EXPECT_EQ(answerer.seen[1].text, "Are you sure you want to remove 02-/s/b?");
        EXPECT_EQ(answerer.seen[1].icon, QMessageBox::Question);
        EXPECT_EQ(answerer.seen[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }

    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    click("cmdRemove");
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/b", "03-/s/c", "04-/s/d"}));

    clickRow(3, Qt::ControlModifier);
    MessageBoxAnswerer agreeing;
    click("cmdRemove");
    EXPECT_EQ(agreeing.texts(), Texts{"Are you sure you want to remove all 2 items?"});
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/c"}));
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_EQ(savedQueue(), rows());
}

TEST_F(QueueEditingWindowTest, ArrowButtonsMoveTheSelectedEntries) {
    open({"01-/s/a", "02-/s/b", "03-/s/c"});
    clickRow(2);
    click("cmdUp");
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/c", "03-/s/b"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    click("cmdUp");
    click("cmdUp");
    EXPECT_EQ(rows(), (Texts{"01-/s/c", "02-/s/a", "03-/s/b"}));
    click("Command2");
    EXPECT_EQ(rows(), (Texts{"01-/s/a", "02-/s/c", "03-/s/b"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    EXPECT_EQ(savedQueue(), rows());
}

TEST_F(QueueEditingWindowTest, TheListsMenuExportsAndImportsListFiles) {
    open({"01-/s/a", "02-/s/b"});
    const std::filesystem::path exported = home.path() / "queue.txt";
    chooser.listFileToSave = exported.string();
    {
        MessageBoxAnswerer answerer;
        trigger("mnuListsExport");
        EXPECT_EQ(answerer.texts(),
                  Texts{" Your list has been saved to " + exported.string() + "."});
        ASSERT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(answerer.seen[0].icon, QMessageBox::NoIcon);
    }
    EXPECT_EQ(testing::ReadBytes(exported), "01-/s/a\r\n02-/s/b\r\n");

    const std::filesystem::path other = home.path() / "other.txt";
    testing::WriteBytes(other, "01-/s/x\n02-/s/y");
    chooser.listFileToOpen = other.string();
    trigger("mnuListsImport");
    EXPECT_EQ(rows(), (Texts{"01-/s/x", "02-/s/y"}));
    EXPECT_EQ(savedQueue(), rows());
}

}  // namespace
}  // namespace vantrel
