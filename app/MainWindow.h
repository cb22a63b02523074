#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>
#include <array>
#include <functional>
#include <map>

#include "app/MainWindowLogic.h"
#include "app/QtFileChooser.h"
#include "app/QtListBox.h"

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace vantrel {

/// The main window. It shows what the core decides and forwards every event
/// to it; controls carry their names as object names.
class MainWindow : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit MainWindow(const ProgramParts& parts);

    /// Runs the start-up; call once, before the window is first shown.
    /// Nothing when the window may show; otherwise why the program cannot run.
    std::optional<std::string> load() { return core_.load(); }
    /// Call once the window is shown.
    void onShown() { core_.onWindowShown(); }
    int exitStatus() const { return core_.exitStatus(); }
    /// Comes to the front for a later start of the program and answers its
    /// request (MainWindowLogic::answerLaterStart).
    std::string answerAnotherStart(const std::string& request);

    /// Replaces the file dialogs of the queue commands (the window's own by default).
    void setFileChooser(FileChooser& chooser) { core_.setFileChooser(chooser); }

    // MainView
    void showNotice(const std::string& text) override;
    void setRunCaption(std::string_view caption) override;
    void setEditingEnabled(bool enabled) override;
    void setStatus(std::string_view text) override;
    void setRunningText(std::string_view text) override;
    void notifyDesktop(std::string_view text) override;
    void setLaunchTimerOn(bool on) override;
    void setMonitorTimerOn(bool on) override;
    void closeWindow() override;
    ListBox& queueList() override { return queueList_; }
    void setCommandChecked(Command command, bool checked) override;
    void setConcurrency(int concurrency) override;
    void setPartialWindowTitle(std::string_view title) override;
    void setListHorizontalExtent(int pixels) override;
    double twipsPerPixel() override;
    void showAboutBox() override;
    bool openFile(const std::string& path) override;
    void showInformation(const std::string& text) override;
    bool confirm(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createQueueListMenu();
    void createCommandButtons();
    void placeControls();
    void createMenus();
    void applyLook();
    void connectEvents();
    void showQueueListMenuByCurrentRow();
    /// The command table's keys, on the list or the whole window.
    void bindKeys();
    void bindKey(const KeyChord& chord, const std::function<void()>& action);
    QPushButton* button(Command command) const { return buttons_.at(command); }
    /// A modal box titled with the product name, its text shown as plain text.
    int showMessageBox(QMessageBox::Icon icon, const std::string& text,
                       QMessageBox::StandardButtons buttons);

    QWidget* client_;
    QLabel* partialTitleLabel_;
    QLineEdit* partialTitleEdit_;
    QRadioButton* startsWithButton_;
    QRadioButton* containsButton_;
    QListWidget* queueListWidget_;
    QLabel* queueHeading_;
    QLabel* concurrencyHeading_;
    QComboBox* concurrencyBox_;
    std::array<QLabel*, 3> statusLines_;
    QLabel* runningLine_;
    std::map<Command, QPushButton*> buttons_;
    std::map<Command, QAction*> checkableActions_;
    QMenu* queueListMenu_ = nullptr;
    QTimer launchTimer_;
    QTimer completionTimer_;

    QtListBox queueList_;
    QtFileChooser fileDialogs_{*this};
    MainWindowLogic core_;
};

}  // namespace vantrel
