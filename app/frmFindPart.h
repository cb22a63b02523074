#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <optional>

#include "app/FindPart.h"
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
class frmFindPart : public QMainWindow, public MainView, public Prompt {
    Q_OBJECT
public:
    frmFindPart(ProgramState& state, Module1& registry, WindowList& windows, Launcher& launcher,
                std::optional<StoreProblem> storeProblem = std::nullopt);

    /// Runs the start-up; call once, before the window is first shown.
    void Form_Load();
    /// Shows a new about box and returns once it is closed.
    void mnuAbout_Click();

    // MainView
    void showNotice(const std::string& text) override;
    std::string concurrencyText() override;
    std::string partialWindowTitle() override;
    bool startsWithChosen() override;
    std::string runCaption() override;
    void setRunCaption(std::string_view caption) override;
    void setEditingEnabled(bool enabled) override;
    void setStatus(std::string_view text) override;
    void setLaunchTimerOn(bool on) override;
    void setMonitorTimerOn(bool on) override;
    void closeWindow() override;
    ListBox& queueList() override { return queueList_; }
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

    QWidget* client_;
    QLabel* Label1;
    QLineEdit* Text1;
    std::array<QRadioButton*, 2> Option1;
    QPushButton* Command1;
    QListWidget* lstEsscmd;
    QPushButton* cmdAdd;
    QLabel* Label2;
    QPushButton* cmdRemove;
    QPushButton* cmdRun;
    QPushButton* cmdUp;
    QPushButton* Command2;
    QLabel* Label3;
    QComboBox* cboCalcs;
    std::array<QLabel*, 3> lblStatus;
    QTimer Timer1;
    QTimer Timer2;

    QtListBox queueList_;
    FindPart core_;
    QtFileChooser fileDialogs_{*this};
    QueueEditor editor_;
};

}  // namespace vantrel
