#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>
#include <array>
#include <optional>

#include "app/MainWindowLogic.h"
#include "app/QtFileChooser.h"
#include "app/QtListBox.h"
#include "queue/QueueEditor.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {

/// The main window. It shows what the core decides and forwards every event
/// to it; controls carry their names as object names.
class MainWindow : public QMainWindow, public MainView, public Prompt {
    Q_OBJECT
public:
    MainWindow(ProgramState& state, SettingsKeys& settings, WindowList& windows, Launcher& launcher,
                std::optional<StoreProblem> storeProblem = std::nullopt);

    /// Runs the start-up; call once, before the window is first shown.
    void load();
    /// Shows a new about box and returns once it is closed.
    void showAboutBox();

    // MainView
    void showNotice(const std::string& text) override;
    std::string concurrencyText() override;
    std::string partialWindowTitle() override;
    bool startsWithChosen() override;
    std::string runCaption() override;
    void setRunCaption(std::string_view caption) override;
    void setEditingEnabled(bool enabled) override;
    void setStatus(std::string_view text) override;
    void setRunningText(std::string_view text) override;
    void setLaunchTimerOn(bool on) override;
    void setMonitorTimerOn(bool on) override;
    void closeWindow() override;
    ListBox& queueList() override { return queueList_; }
    void setRunMessagesChecked(bool checked) override;
    void setConcurrencyText(std::string_view text) override;
    void setPartialWindowTitle(std::string_view title) override;
    void setListHorizontalExtent(int pixels) override;
    double twipsPerPixel() override;

    // Prompt
    void showInformation(const std::string& text) override;
    bool confirm(const std::string& text) override;

    /// Replaces the file dialogs of the queue commands (the window's own by default).
    void setFileChooser(FileChooser& chooser) { editor_.setFileChooser(chooser); }

private:
    void createControls();
    void placeControls();
    void createMenus();
    void applyLook();
    void connectEvents();
    void connectQueueEditing();
    /// A modal box titled with the product name, its text shown as plain text.
    int showMessageBox(QMessageBox::Icon icon, const std::string& text,
                       QMessageBox::StandardButtons buttons);

    QWidget* client_;
    QLabel* partialTitleLabel_;
    QLineEdit* partialTitleEdit_;
    QRadioButton* startsWithButton_;
    QRadioButton* containsButton_;
    QPushButton* activateButton_;
    QListWidget* queueListWidget_;
    QPushButton* addButton_;
    QLabel* queueHeading_;
    QPushButton* removeButton_;
    QPushButton* startStopButton_;
    QPushButton* moveUpButton_;
    QPushButton* moveDownButton_;
    QLabel* concurrencyHeading_;
    QComboBox* concurrencyBox_;
    std::array<QLabel*, 3> statusLines_;
    QLabel* runningLine_;
    QAction* runMessagesAction_ = nullptr;
    QTimer launchTimer_;
    QTimer completionTimer_;

    QtListBox queueList_;
    MainWindowLogic core_;
    QtFileChooser fileDialogs_{*this};
    QueueEditor editor_;
};

}  // namespace vantrel
