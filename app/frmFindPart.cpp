#include "app/frmFindPart.h"

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

#include "about/frmAboutProduct.h"
#include "app/LocalFileDrops.h"
#include "app/NoCurrentRowFromFocus.h"
#include "app/TwipLayout.h"

namespace vantrel {

namespace {

constexpr int kClientWidthTwips = 5385;
constexpr int kClientHeightTwips = 3990;

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

frmFindPart::frmFindPart(ProgramState& state, Module1& registry, WindowList& windows,
                         Launcher& launcher, std::optional<StoreProblem> storeProblem)
    : client_(new QWidget(this)),
      lstEsscmd(new QListWidget(client_)),
      queueList_(*lstEsscmd),
      core_(state, registry, *this, windows, launcher, std::move(storeProblem)),
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

void frmFindPart::createControls() {
    // Created in tab order; the hidden ones come first and never take the focus.
    Label1 = Named(new QLabel(QStringLiteral("Partial Window &Title:"), client_), "Label1");
    Text1 = Named(new QLineEdit(QStringLiteral("Text1"), client_), "Text1");
    Option1[0] = Named(new QRadioButton(QStringLiteral("&Starts With"), client_), "Option1_0");
    Option1[1] = Named(new QRadioButton(QStringLiteral("&Contains"), client_), "Option1_1");
    Option1[1]->setChecked(true);
    Command1 = Named(new QPushButton(QStringLiteral("&Activate"), client_), "Command1");
    for (QWidget* hidden : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Text1),
                            static_cast<QWidget*>(Option1[0]), static_cast<QWidget*>(Option1[1]),
                            static_cast<QWidget*>(Command1)})
        hidden->hide();

    Named(lstEsscmd, "lstEsscmd")->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cmdAdd = Named(new QPushButton(QStringLiteral("Add"), client_), "cmdAdd");
    Label2 = Named(new QLabel(QStringLiteral("List of Esscmd Scripts to Execute:"), client_), "Label2");
    cmdRemove = Named(new QPushButton(QStringLiteral("Remove"), client_), "cmdRemove");
    cmdRun = Named(new QPushButton(QString::fromUtf8(kStartCaption.data()), client_), "cmdRun");
    cmdUp = Named(new QPushButton(client_), "cmdUp");
    Command2 = Named(new QPushButton(client_), "Command2");
    Label3 = Named(new QLabel(QStringLiteral("Concurrent Calculations"), client_), "Label3");
    cboCalcs = Named(new QComboBox(client_), "cboCalcs");
    for (int n = 1; n <= 8; ++n) cboCalcs->addItem(QString::number(n));
    cboCalcs->setCurrentIndex(-1);
    for (int i = 0; i < 3; ++i)
        lblStatus[i] = Named(new QLabel(client_), ("lblStatus_" + std::to_string(i)).c_str());

    Timer1.setInterval(30);
    Timer2.setInterval(3000);
}

void frmFindPart::placeControls() {
    const TwipScale scale(*this);
    scale.place({
        {Label1, 480, 600, 1455, 195},
        {Text1, 270, 450, 4335, 330},
        {Option1[0], 270, 945, 1455, 240},
        {Option1[1], 1845, 945, 1455, 240},
        {Command1, 3510, 900, 1095, 330},
        {lstEsscmd, 120, 360, 4575, 2010},
        {cmdAdd, 120, 3000, 855, 375},
        {Label2, 120, 120, 3375, 255},
        {cmdRemove, 1080, 3000, 975, 375},
        {cmdRun, 2640, 3000, 2655, 375},
        {cmdUp, 4920, 600, 375, 375},
        {Command2, 4920, 1200, 375, 375},
        {Label3, 120, 2520, 3375, 255},
        {cboCalcs, 2280, 2490, 1095, 315},
        {lblStatus[0], 240, 3480, 4815, 255},
        {lblStatus[1], 240, 3840, 4815, 255},
        {lblStatus[2], 240, 4200, 4815, 255},
    });
    client_->setFixedSize(scale.size(kClientWidthTwips, kClientHeightTwips));
}

void frmFindPart::createMenus() {
    QMenu* mnuLists = Named(menuBar()->addMenu(QStringLiteral("Lists")), "mnuLists");
    Named(mnuLists->addAction(QStringLiteral("Export List")), "mnuListsExport");
    Named(mnuLists->addAction(QStringLiteral("Import List")), "mnuListsImport");
    QMenu* mnuHelp = Named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    QAction* mnuAbout = Named(mnuHelp->addAction(QStringLiteral("About")), "mnuAbout");
    connect(mnuAbout, &QAction::triggered, this, &frmFindPart::mnuAbout_Click);
}

void frmFindPart::connectEvents() {
    RunController& run = core_.run();
    connect(cmdRun, &QPushButton::clicked, this, [&run] { run.cmdRun_Click(); });
    connect(Command1, &QPushButton::clicked, this, [&run] { run.Command1_Click(); });
    connect(&Timer1, &QTimer::timeout, this, [&run] { run.Timer1_Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [&run] { run.Timer2_Timer(); });
    // Only a choice the user makes is stored, not the one start-up shows.
    connect(cboCalcs, &QComboBox::activated, this, [this] { core_.cboCalcs_Click(); });
}

void frmFindPart::applyLook() {
    setWindowIcon(ProgramIcon());
    client_->setFont(MsSansSerif(QFont::Bold));
    for (QWidget* plain : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Option1[0]),
                           static_cast<QWidget*>(Option1[1]), static_cast<QWidget*>(Command1)})
        plain->setFont(MsSansSerif(QFont::Normal));
    // Drawn arrows, not glyphs: the symbol font the arrows came from is rarely installed.
    cmdUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    Command2->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    // Labels and the hidden controls take no focus, so Tab visits only these.
    QWidget* const tabOrder[] = {lstEsscmd, cmdAdd, cmdRemove, cmdRun, cmdUp, Command2, cboCalcs};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The controls have fixed places, so the user does not resize the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void frmFindPart::connectQueueEditing() {
    QueueEditor& editor = editor_;
    connect(cmdAdd, &QPushButton::clicked, this, [&editor] { editor.cmdAdd_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [&editor] { editor.cmdRemove_Click(); });
    connect(cmdUp, &QPushButton::clicked, this, [&editor] { editor.cmdUp_Click(); });
    connect(Command2, &QPushButton::clicked, this, [&editor] { editor.Command2_Click(); });
    connect(findChild<QAction*>(QStringLiteral("mnuListsExport")), &QAction::triggered, this,
            [&editor] { editor.mnuListsExport_Click(); });
    connect(findChild<QAction*>(QStringLiteral("mnuListsImport")), &QAction::triggered, this,
            [&editor] { editor.mnuListsImport_Click(); });
    new LocalFileDrops(*lstEsscmd->viewport(), [&editor](const std::vector<std::string>& paths) {
        editor.lstEsscmd_OLEDragDrop(paths);
    });
    new NoCurrentRowFromFocus(*lstEsscmd);
}

void frmFindPart::Form_Load() { core_.Form_Load(); }

void frmFindPart::mnuAbout_Click() {
    frmAboutProduct box(this);
    box.exec();
}

void frmFindPart::showNotice(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"), FromUtf8(text),
                    QMessageBox::Ok, this);
    box.exec();
}

void frmFindPart::showInformation(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vantrel"), FromUtf8(text),
                    QMessageBox::Ok, this);
    box.exec();
}

bool frmFindPart::confirm(const std::string& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vantrel"), FromUtf8(text),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Ok);
    // Escape and the close box answer with this button.
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

std::string frmFindPart::concurrencyText() { return cboCalcs->currentText().toStdString(); }

std::string frmFindPart::partialWindowTitle() { return Text1->text().toStdString(); }

bool frmFindPart::startsWithChosen() { return Option1[0]->isChecked(); }

std::string frmFindPart::runCaption() { return cmdRun->text().toStdString(); }

void frmFindPart::setRunCaption(std::string_view caption) { cmdRun->setText(FromUtf8(caption)); }

void frmFindPart::setEditingEnabled(bool enabled) {
    cmdAdd->setEnabled(enabled);
    cmdRemove->setEnabled(enabled);
}

void frmFindPart::setStatus(std::string_view text) { lblStatus[0]->setText(FromUtf8(text)); }

void frmFindPart::setLaunchTimerOn(bool on) { on ? Timer1.start() : Timer1.stop(); }

void frmFindPart::setMonitorTimerOn(bool on) { on ? Timer2.start() : Timer2.stop(); }

void frmFindPart::closeWindow() { close(); }

void frmFindPart::setConcurrencyText(std::string_view text) {
    cboCalcs->setCurrentIndex(cboCalcs->findText(FromUtf8(text)));
}

void frmFindPart::setPartialWindowTitle(std::string_view title) { Text1->setText(FromUtf8(title)); }

void frmFindPart::setListHorizontalExtent(int pixels) {
    // The list scrolls sideways only when its extent is wider than the list.
    const bool scrolls = pixels > lstEsscmd->viewport()->width();
    lstEsscmd->setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    lstEsscmd->setProperty("horizontalExtent", pixels);
}

double frmFindPart::twipsPerPixel() { return TwipScale(*this).twipsPerPixel(); }

}  // namespace vantrel
