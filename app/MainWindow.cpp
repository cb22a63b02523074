#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>

#include "about/AboutBox.h"
#include "about/ProductInfo.h"
#include "app/DesktopNotification.h"
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

QKeySequence KeySequence(const KeyChord& chord) {
    const std::pair<Key, Qt::Key> keys[] = {
        {Key::Delete, Qt::Key_Delete}, {Key::Insert, Qt::Key_Insert}, {Key::Up, Qt::Key_Up},
        {Key::Down, Qt::Key_Down},     {Key::F10, Qt::Key_F10},       {Key::Menu, Qt::Key_Menu},
        {Key::S, Qt::Key_S},
    };
    const std::pair<KeyModifier, Qt::KeyboardModifier> modifiers[] = {
        {kShift, Qt::ShiftModifier}, {kCtrl, Qt::ControlModifier}, {kAlt, Qt::AltModifier}};
    Qt::KeyboardModifiers held;
    for (const auto& [modifier, qtModifier] : modifiers)
        if (chord.modifiers & modifier) held |= qtModifier;
    for (const auto& [key, qtKey] : keys)
        if (key == chord.key) return QKeySequence(QKeyCombination(held, qtKey));
    return {};
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* file : {":/icons/vantrel-16.png", ":/icons/vantrel-32.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}

}  // namespace

MainWindow::MainWindow(const ProgramParts& parts)
    : client_(new QWidget(this)),
      queueListWidget_(new QListWidget(client_)),
      queueList_(*queueListWidget_),
      core_(parts, *this, fileDialogs_) {
    setWindowTitle(QString::fromUtf8(product::kName));
    setCentralWidget(client_);
    createControls();
    placeControls();
    createMenus();
    createQueueListMenu();
    applyLook();
    connectEvents();
    bindKeys();
}

void MainWindow::createControls() {
    using namespace main_form;
    // Created in tab order; the hidden ones come first and never take the focus.
    partialTitleLabel_ = Named(new QLabel(FromUtf8(kPartialTitleLabelText), client_), "Label1");
    partialTitleEdit_ = Named(new QLineEdit(client_), "Text1");
    startsWithButton_ = Named(new QRadioButton(FromUtf8(kStartsWithText), client_), "Option1_0");
    containsButton_ = Named(new QRadioButton(FromUtf8(kContainsText), client_), "Option1_1");
    containsButton_->setChecked(true);
    for (QWidget* hidden : std::initializer_list<QWidget*>{partialTitleLabel_, partialTitleEdit_,
                                                          startsWithButton_, containsButton_})
        hidden->hide();

    Named(queueListWidget_, "lstEsscmd")->setSelectionMode(QAbstractItemView::ExtendedSelection);
    queueHeading_ = Named(new QLabel(FromUtf8(kQueueHeadingText), client_), "Label2");
    createCommandButtons();
    concurrencyHeading_ = Named(new QLabel(FromUtf8(kConcurrencyHeadingText), client_), "Label3");
    concurrencyBox_ = Named(new QComboBox(client_), "cboCalcs");
    for (int n = 1; n <= kMaxConcurrency; ++n) concurrencyBox_->addItem(QString::number(n));
    concurrencyBox_->setCurrentIndex(-1);
    for (int i = 0; i < 3; ++i) {
        statusLines_[i] = Named(new QLabel(client_), ("lblStatus_" + std::to_string(i)).c_str());
        statusLines_[i]->setTextFormat(Qt::PlainText);
    }

    runningLine_ = Named(new QLabel(client_), "lblRunning");
    runningLine_->setTextFormat(Qt::PlainText);

    launchTimer_.setInterval(kLaunchTickInterval);
    completionTimer_.setInterval(kMonitorTickInterval);
}

void MainWindow::createCommandButtons() {
    for (const CommandInfo& info : kCommands) {
        if (info.offeredIn != CommandPlace::Button && info.offeredIn != CommandPlace::HiddenButton)
            continue;
        auto* created = new QPushButton(FromUtf8(info.caption), client_);
        Named(created, std::string(info.objectName).c_str());
        created->setGeometry(TwipScale(*this).rect(info.buttonPlace));
        if (info.offeredIn == CommandPlace::HiddenButton) created->hide();
        buttons_[info.command] = created;
    }
}

void MainWindow::placeControls() {
    using namespace main_form;
    const TwipScale scale(*this);
    scale.place({
        {partialTitleLabel_, kPartialTitleLabel},
        {partialTitleEdit_, kPartialTitleEdit},
        {startsWithButton_, kStartsWithButton},
        {containsButton_, kContainsButton},
        {queueListWidget_, kQueueList},
        {queueHeading_, kQueueHeading},
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
    for (const MenuInfo& menuInfo : kMenus) {
        QMenu* menu = Named(menuBar()->addMenu(FromUtf8(menuInfo.caption)),
                            std::string(menuInfo.objectName).c_str());
        for (const CommandInfo& info : kCommands) {
            if (info.offeredIn != menuInfo.holds) continue;
            QAction* action = Named(menu->addAction(FromUtf8(info.caption)),
                                    std::string(info.objectName).c_str());
            action->setCheckable(info.checkable);
            connect(action, &QAction::triggered, this, [this, &info] { core_.onCommand(info.command); });
            if (info.checkable) checkableActions_[info.command] = action;
        }
    }
}

void MainWindow::createQueueListMenu() {
    queueListMenu_ = Named(new QMenu(this), "mnuQueueList");
    for (const CommandInfo& info : kCommands) {
        if (info.offeredIn != CommandPlace::QueueListMenu) continue;
        QAction* action = Named(queueListMenu_->addAction(FromUtf8(info.caption)),
                                std::string(info.objectName).c_str());
        connect(action, &QAction::triggered, this, [this, &info] { core_.onCommand(info.command); });
    }
    queueListWidget_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(queueListWidget_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        queueListMenu_->exec(queueListWidget_->viewport()->mapToGlobal(at));
    });
}

void MainWindow::showQueueListMenuByCurrentRow() {
    // Asked for from the keyboard, the menu opens by the row with the focus.
    const QListWidgetItem* current = queueListWidget_->currentItem();
    const QPoint at =
        current ? queueListWidget_->visualItemRect(current).bottomLeft() : QPoint(0, 0);
    queueListMenu_->exec(queueListWidget_->viewport()->mapToGlobal(at));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (core_.onCloseRequested())
        event->accept();
    else
        event->ignore();
}

void MainWindow::connectEvents() {
    for (const auto& [command, pushButton] : buttons_)
        connect(pushButton, &QPushButton::clicked, this, [this, command] { core_.onCommand(command); });
    connect(startsWithButton_, &QRadioButton::toggled, this, [this](bool startsWith) {
        core_.onActivateMatchModeChosen(startsWith ? MatchMode::StartsWith : MatchMode::Contains);
    });
    connect(&launchTimer_, &QTimer::timeout, this, [this] { core_.onLaunchTick(); });
    connect(&completionTimer_, &QTimer::timeout, this, [this] { core_.onMonitorTick(); });
    // Only a choice the user makes is stored, not the one start-up shows.
    connect(concurrencyBox_, &QComboBox::activated, this,
            [this](int index) { core_.onConcurrencyChosen(index + 1); });
    new LocalFileDrops(*queueListWidget_->viewport(),
                       [this](const std::vector<std::string>& paths) { core_.onFilesDropped(paths); });
    new NoCurrentRowFromFocus(*queueListWidget_);
}

void MainWindow::bindKey(const KeyChord& chord, const std::function<void()>& action) {
    const bool onList = chord.scope == KeyScope::QueueList;
    QWidget* owner = onList ? static_cast<QWidget*>(queueListWidget_) : this;
    auto* shortcut = new QShortcut(KeySequence(chord), owner);
    shortcut->setContext(onList ? Qt::WidgetShortcut : Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, action);
}

void MainWindow::bindKeys() {
    for (const CommandInfo& info : kCommands)
        if (info.key.key != Key::None)
            bindKey(info.key, [this, command = info.command] { core_.onCommand(command); });
    for (const KeyChord& chord : kQueueListMenuKeys)
        bindKey(chord, [this] { showQueueListMenuByCurrentRow(); });
}

void MainWindow::applyLook() {
    setWindowIcon(ProgramIcon());
    client_->setFont(MsSansSerif(QFont::Bold));
    for (QWidget* plain : std::initializer_list<QWidget*>{partialTitleLabel_, startsWithButton_,
                                                         containsButton_, button(Command::Activate)})
        plain->setFont(MsSansSerif(QFont::Normal));
    // Drawn arrows, not glyphs: the symbol font the arrows came from is rarely installed.
    button(Command::MoveSelectedUp)->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    button(Command::MoveSelectedDown)->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // Labels and the hidden controls take no focus, so Tab visits only these.
    std::vector<QWidget*> tabOrder{queueListWidget_};
    for (const CommandInfo& info : kCommands)
        if (info.offeredIn == CommandPlace::Button) tabOrder.push_back(button(info.command));
    tabOrder.push_back(concurrencyBox_);
    for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The controls have fixed places, so the user does not resize the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    // Without the customize hint Qt offers every title bar button, maximize included.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Long paths keep their start and their file name; the tooltip has the whole.
    queueListWidget_->setTextElideMode(Qt::ElideMiddle);
    queueListWidget_->setItemDelegate(new FocusedRowDelegate(*queueListWidget_));
}

std::string MainWindow::answerAnotherStart(const std::string& request) {
    showNormal();
    raise();
    activateWindow();
    return core_.answerLaterStart(request);
}

bool MainWindow::openFile(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void MainWindow::showAboutBox() {
    AboutBox box(this);
    box.exec();
}

int MainWindow::showMessageBox(QMessageBox::Icon icon, const std::string& text,
                               QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromUtf8(product::kName), FromUtf8(text), buttons, this);
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

void MainWindow::setRunCaption(std::string_view caption) {
    button(Command::StartStop)->setText(FromUtf8(caption));
}

void MainWindow::setEditingEnabled(bool enabled) {
    button(Command::AddScripts)->setEnabled(enabled);
    button(Command::RemoveSelected)->setEnabled(enabled);
}

void MainWindow::setStatus(std::string_view text) { statusLines_[0]->setText(FromUtf8(text)); }

void MainWindow::setRunningText(std::string_view text) { runningLine_->setText(FromUtf8(text)); }

void MainWindow::notifyDesktop(std::string_view text) {
    ShowDesktopNotification(QStringLiteral("Vantrel"), FromUtf8(text));
}

void MainWindow::setCommandChecked(Command command, bool checked) {
    checkableActions_.at(command)->setChecked(checked);
}

void MainWindow::setLaunchTimerOn(bool on) { on ? launchTimer_.start() : launchTimer_.stop(); }

void MainWindow::setMonitorTimerOn(bool on) { on ? completionTimer_.start() : completionTimer_.stop(); }

void MainWindow::closeWindow() { close(); }

void MainWindow::setConcurrency(int concurrency) { concurrencyBox_->setCurrentIndex(concurrency - 1); }

void MainWindow::setPartialWindowTitle(std::string_view title) { partialTitleEdit_->setText(FromUtf8(title)); }

void MainWindow::setListHorizontalExtent(int pixels) {
    // The list scrolls sideways only when its extent is wider than the list.
    const bool scrolls = pixels > queueListWidget_->viewport()->width();
    queueListWidget_->setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    queueListWidget_->setProperty("horizontalExtent", pixels);
}

double MainWindow::twipsPerPixel() { return TwipScale(*this).twipsPerPixel(); }

}  // namespace vantrel
