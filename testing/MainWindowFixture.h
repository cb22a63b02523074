#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include "app/MainWindow.h"
#include "testing/FakeDesktop.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {

/// The real main window over a real store file in a temporary configuration
/// home, with file dialogs the test answers beforehand.
struct MainWindowFixture : ::testing::Test {
    TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    ProgramState state;
    FakeDesktop desktop;
    ScriptedFileChooser chooser;
    std::unique_ptr<MainWindow> window;
    QListWidget* list = nullptr;

    /// Opens the window on these saved entries and waits until it has the keyboard.
    void open(const std::vector<std::string>& savedEntries = {}) {
        for (const std::string& entry : savedEntries)
            store->createKey(std::string(kQueueRecordKeyPath) + "\\" + entry);
        window = std::make_unique<MainWindow>(parts());
        window->setFileChooser(chooser);
        window->load();
        window->show();
        // Under a bare X server no window manager hands the new window the keyboard.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        list = window->findChild<QListWidget*>(QStringLiteral("lstEsscmd"));
    }
    ProgramParts parts(std::optional<StoreProblem> problem = std::nullopt) {
        return {state, *store, desktop, desktop, std::move(problem)};
    }
    QWidget* control(const char* name) const {
        auto* child = window->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void click(const char* button) const { QTest::mouseClick(control(button), Qt::LeftButton); }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(list->item(row)).center());
    }
    /// The rows as shown, selected ones marked "*".
    std::vector<std::string> rows() const {
        std::vector<std::string> texts;
        for (int row = 0; row < list->count(); ++row)
            texts.push_back(list->item(row)->text().toStdString() +
                            (list->item(row)->isSelected() ? "*" : ""));
        return texts;
    }
};

}  // namespace vantrel::testing
