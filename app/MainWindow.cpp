#include "app/MainWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

#include "about/AboutBox.h"
#include "app/FocusedRowDelegate.h"
#include "app/LocalFileDrops.h"
#include "app/NoCurrentRowFromFocus.h"
#include "app/TwipLayout.h"

namespace vantrel {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

/// MS Sans Serif 8.25 pt where it is installed, else Liberation Sans, whose narrow
/// letters keep every caption inside its place, else the desktop's sans-serif face.
QFont MsSansSerif(QFont::Weight weight) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setWeight(weight);
    return font;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* file : {":/icons/vantrel-16.png", ":/icons/vantrel-32.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, SettingsKeys& settings, WindowList& windows,
                         Launcher& launcher, std::optional<StoreProblem> storeProblem)
    : client_(new QWidget(this)),
      queueListWidget_(new QListWidget(client_)),
      queueList_(*queueListWidget_),
      core_(state, settings, *this, windows, launcher, std::move(storeProblem)),
      editor_(state, core_.queueRecord(), queueList_, *this, *this, fileDialogs_) {
    setWindowTitle(QStringLiteral("Vantrel"));
    setCentralWidget(client_);
    createControls();
    placeControls();
    createMenus();
    applyLook();
    connectEvents();
    connectQueueEditing();
}

void MainWindow::createControls() {
    // Created in tab order; the hidden ones come first and never take the focus.
    partialTitleLabel_ = Named(new QLabel(QStringLiteral("Partial Window &Title:"), client_), "Label1");
    partialTitleEdit_ = Named(new QLineEdit(client_), "Text1");
    startsWithButton_ = Named(new QRadioButton(QStringLiteral("&Starts With"), client_), "Option1_0");
    containsButton_ = Named(new QRadioButton(QStringLiteral("&Contains"), client_), "Option1_1");
    containsButton_->setChecked(true);
    activateButton_ = Named(new QPushButton(QStringLiteral("&Activate"), client_), "Command1");
    for (QWidget* hidden : {static_cast<QWidget*>(partialTitleLabel_), static_cast<QWidget*>(partialTitleEdit_),
                            static_cast<QWidget*>(startsWithButton_), static_cast<QWidget*>(containsButton_),
                            static_cast<QWidget*>(activateButton_)})
        hidden->hide();

    Named(queueListWidget_, "lstEsscmd")->setSelectionMode(QAbstractItemView::ExtendedSelection);
    addButton_ = Named(new QPushButton(QStringLiteral("Add"), client_), "cmdAdd");
    queueHeading_ = Named(new QLabel(QStringLiteral("List of Esscmd Scripts to Execute:"), client_), "Label2");
    removeButton_ = Named(new QPushButton(QStringLiteral("Remove"), client_), "cmdRemove");
    startStopButton_ = Named(new QPushButton(QString::fromUtf8(kStartCaption.data()), client_), "cmdRun");
    moveUpButton_ = Named(new QPushButton(client_), "cmdUp");
    moveDownButton_ = Named(new QPushButton(client_), "Command2");
    concurrencyHeading_ = Named(new QLabel(QStringLiteral("Concurrent Calculations"), client_), "Label3");
    concurrencyBox_ = Named(new QComboBox(client_), "cboCalcs");
    for (int n = 1; n <= 8; ++n) concurrencyBox_->addItem(QString::number(n));
    concurrencyBox_->setCurrentIndex(-1);
    for (int i = 0; i < 3; ++i) {
        statusLines_[i] = Named(new QLabel(client_), ("lblStatus_" + std::to_string(i)).c_str());
        statusLines_[i]->setTextFormat(Qt::PlainText);
    }

    runningLine_ = Named(new QLabel(client_), "lblRunning");
    runningLine_->setTextFormat(Qt::PlainText);

    launchTimer_.setInterval(30);
    completionTimer_.setInterval(3000);
}

void MainWindow::placeControls() {
    using namespace main_form;
    const TwipScale scale(*this);
    scale.place({
        {partialTitleLabel_, kPartialTitleLabel},
        {partialTitleEdit_, kPartialTitleEdit},
        {startsWithButton_, kStartsWithButton},
        {containsButton_, kContainsButton},
        {activateButton_, kActivateButton},
        {queueListWidget_, kQueueList},
        {addButton_, kAddButton},
        {queueHeading_, kQueueHeading},
        {removeButton_, kRemoveButton},
        {startStopButton_, kStartStopButton},
        {moveUpButton_, kMoveUpButton},
        {moveDownButton_, kMoveDownButton},
        {concurrencyHeading_, kConcurrencyHeading},
        {concurrencyBox_, kConcurrencyBox},
        {statusLines_[0], kStatusLines[0]},
        {statusLines_[1], kStatusLines[1]},
        {statusLines_[2], kStatusLines[2]},
        {runningLine_, kRunningLine},
    });
    client_->setFixedSize(scale.size(kClient));
}

void MainWindow::createMenus() {
    QMenu* listsMenu = Named(menuBar()->addMenu(QStringLiteral("Lists")), "mnuLists");
    Named(listsMenu->addAction(QStringLiteral("Export List")), "mnuListsExport");
    Named(listsMenu->addAction(QStringLiteral("Import List")), "mnuListsImport");
    QMenu* optionsMenu = Named(menuBar()->addMenu(QStringLiteral("Options")), "mnuOptions");
    runMessagesAction_ =
        Named(optionsMenu->addAction(QStringLiteral("Show Run Messages")), "mnuOptionsShowRunMessages");
    runMessagesAction_->setCheckable(true);
    runMessagesAction_->setChecked(true);
    QMenu* helpMenu = Named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    QAction* aboutAction = Named(helpMenu->addAction(QStringLiteral("About")), "mnuAbout");
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAboutBox);
}

void MainWindow::connectEvents() {
    RunController& run = core_.run();
    connect(startStopButton_, &QPushButton::clicked, this, [&run] { run.onStartStopClicked(); });
    connect(activateButton_, &QPushButton::clicked, this, [&run] { run.onActivateClicked(); });
    connect(&launchTimer_, &QTimer::timeout, this, [&run] { run.onLaunchTick(); });
    connect(&completionTimer_, &QTimer::timeout, this, [&run] { run.onCompletionTick(); });
    // Only a choice the user makes is stored, not the one start-up shows.
    connect(concurrencyBox_, &QComboBox::activated, this, [this] { core_.onConcurrencyChosen(); });
    connect(runMessagesAction_, &QAction::triggered, this,
            [this](bool checked) { core_.onRunMessagesChosen(checked); });
}

void MainWindow::applyLook() {
    setWindowIcon(ProgramIcon());
    client_->setFont(MsSansSerif(QFont::Bold));
    for (QWidget* plain : {static_cast<QWidget*>(partialTitleLabel_), static_cast<QWidget*>(startsWithButton_),
                           static_cast<QWidget*>(containsButton_), static_cast<QWidget*>(activateButton_)})
        plain->setFont(MsSansSerif(QFont::Normal));
    // Drawn arrows, not glyphs: the symbol font the arrows came from is rarely installed.
    moveUpButton_->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    moveDownButton_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // Labels and the hidden controls take no focus, so Tab visits only these.
    QWidget* const tabOrder[] = {queueListWidget_, addButton_, removeButton_, startStopButton_, moveUpButton_, moveDownButton_, concurrencyBox_};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The controls have fixed places, so the user does not resize the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Without the customize hint Qt offers every title bar button, maximize included.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Long paths keep their start and their file name; the tooltip has the whole.
    queueListWidget_->setTextElideMode(Qt::ElideMiddle);
    queueListWidget_->setItemDelegate(new FocusedRowDelegate(*queueListWidget_));
}

void MainWindow::connectQueueEditing() {
    QueueEditor& editor = editor_;
    connect(addButton_, &QPushButton::clicked, this, [&editor] { editor.addScripts(); });
    connect(removeButton_, &QPushButton::clicked, this, [&editor] { editor.removeSelected(); });
    connect(moveUpButton_, &QPushButton::clicked, this, [&editor] { editor.moveSelectedUp(); });
    connect(moveDownButton_, &QPushButton::clicked, this, [&editor] { editor.moveSelectedDown(); });
    connect(findChild<QAction*>(QStringLiteral("mnuListsExport")), &QAction::triggered, this,
            [&editor] { editor.exportList(); });
    connect(findChild<QAction*>(QStringLiteral("mnuListsImport")), &QAction::triggered, this,
            [&editor] { editor.importList(); });
    new LocalFileDrops(*queueListWidget_->viewport(), [&editor](const std::vector<std::string>& paths) {
        editor.dropFiles(paths);
    });
    new NoCurrentRowFromFocus(*queueListWidget_);
}

void MainWindow::load() { core_.load(); }

void MainWindow::showAboutBox() {
    AboutBox box(this);
    box.exec();
}

int MainWindow::showMessageBox(QMessageBox::Icon icon, const std::string& text,
                               QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QStringLiteral("Vantrel"), FromUtf8(text), buttons, this);
    // Paths and list lines are data: a "<b>" in one is shown, not obeyed.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    // Escape and the close box answer Cancel where there is one.
    if (buttons.testFlag(QMessageBox::Cancel)) box.setEscapeButton(QMessageBox::Cancel);
    return box.exec();
}

void MainWindow::showNotice(const std::string& text) {
    showMessageBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

void MainWindow::showInformation(const std::string& text) {
    showMessageBox(QMessageBox::Information, text, QMessageBox::Ok);
}

bool MainWindow::confirm(const std::string& text) {
    return showMessageBox(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

std::string MainWindow::concurrencyText() { return concurrencyBox_->currentText().toStdString(); }

std::string MainWindow::partialWindowTitle() { return partialTitleEdit_->text().toStdString(); }

bool MainWindow::startsWithChosen() { return startsWithButton_->isChecked(); }

std::string MainWindow::runCaption() { return startStopButton_->text().toStdString(); }

void MainWindow::setRunCaption(std::string_view caption) { startStopButton_->setText(FromUtf8(caption)); }

void MainWindow::setEditingEnabled(bool enabled) {
    addButton_->setEnabled(enabled);
    removeButton_->setEnabled(enabled);
}

void MainWindow::setStatus(std::string_view text) { statusLines_[0]->setText(FromUtf8(text)); }

void MainWindow::setRunningText(std::string_view text) { runningLine_->setText(FromUtf8(text)); }

void MainWindow::setRunMessagesChecked(bool checked) { runMessagesAction_->setChecked(checked); }

void MainWindow::setLaunchTimerOn(bool on) { on ? launchTimer_.start() : launchTimer_.stop(); }

void MainWindow::setMonitorTimerOn(bool on) { on ? completionTimer_.start() : completionTimer_.stop(); }

void MainWindow::closeWindow() { close(); }

void MainWindow::setConcurrencyText(std::string_view text) {
    concurrencyBox_->setCurrentIndex(concurrencyBox_->findText(FromUtf8(text)));
}

void MainWindow::setPartialWindowTitle(std::string_view title) { partialTitleEdit_->setText(FromUtf8(title)); }

void MainWindow::setListHorizontalExtent(int pixels) {
    // The list scrolls sideways only when its extent is wider than the list.
    const bool scrolls = pixels > queueListWidget_->viewport()->width();
    queueListWidget_->setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    queueListWidget_->setProperty("horizontalExtent", pixels);
}

double MainWindow::twipsPerPixel() { return TwipScale(*this).twipsPerPixel(); }

}  // namespace vantrel
