// The queue commands' real file dialogs, filled in as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/QtFileChooser.h"
#include "testing/TempFolder.h"

namespace vantrel {
namespace {

/// Acts on the next file dialog that comes up, then accepts it.
class DialogAnswerer {
public:
    using Act = std::function<void(QFileDialog&)>;
    explicit DialogAnswerer(Act act) : act_(std::move(act)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible()) return;
            poll_.stop();
            act_(*dialog);
        });
        poll_.start(10);
    }

private:
    Act act_;
    QTimer poll_;
};

class FileDialogTest : public ::testing::Test {
protected:
    testing::TempFolder home;
    QWidget parent;
    std::unique_ptr<QtFileChooser> chooser;

    FileDialogTest() {
        setenv("HOME", home.path().c_str(), 1);
        chooser = std::make_unique<QtFileChooser>(parent);
    }
    static void Type(QFileDialog& dialog, const QString& name) {
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
    }
};

TEST_F(FileDialogTest, DialogsOpenInTheFolderLastUsedAndExportAddsTxtForTheTextFilter) {
    std::filesystem::create_directories(home.path() / "lists");
    QString openedIn;
    DialogAnswerer save([&](QFileDialog& dialog) {
        openedIn = dialog.directory().absolutePath();
        Type(dialog, QStringLiteral("lists/monday"));
    });
    EXPECT_EQ(chooser->chooseListFileToSave(), (home.path() / "lists" / "monday.txt").string());
    EXPECT_EQ(openedIn.toStdString(), home.path().string());

    DialogAnswerer allFiles([&](QFileDialog& dialog) {
        openedIn = dialog.directory().absolutePath();
        dialog.selectNameFilter(QStringLiteral("*.* (*.*) (*)"));
        Type(dialog, QStringLiteral("tuesday"));
    });
    EXPECT_EQ(chooser->chooseListFileToSave(), (home.path() / "lists" / "tuesday").string());
    EXPECT_EQ(openedIn.toStdString(), (home.path() / "lists").string());

    DialogAnswerer ownExtension([&](QFileDialog& dialog) { Type(dialog, QStringLiteral("wednesday.lst")); });
    EXPECT_EQ(chooser->chooseListFileToSave(), (home.path() / "lists" / "wednesday.lst").string());
}

TEST_F(FileDialogTest, TheAllFilesFilterShowsItsTextAndMatchesNamesWithoutADot) {
    QStringList shown;
    QStringList patterns;
    DialogAnswerer open([&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        // Picked with the keyboard, as a person would.
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        patterns = dialog.findChild<QFileSystemModel*>()->nameFilters();
        dialog.reject();
    });
    EXPECT_EQ(chooser->chooseListFileToOpen(), "");
    EXPECT_EQ(shown, QStringList({"Text (*.txt)", "*.* (*.*)"}));
    EXPECT_EQ(patterns, QStringList({"*"}));
}

}  // namespace
}  // namespace vantrel
