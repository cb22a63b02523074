#include "app/frmFindPart.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace vantrel {

namespace {

constexpr int kClientWidthTwips = 5385;
constexpr int kClientHeightTwips = 3990;
constexpr double kTwipsPerInch = 1440;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

frmFindPart::frmFindPart(ProgramState& state, Module1& registry, WindowList& windows,
                         Launcher& launcher, std::optional<StoreProblem> storeProblem)
    : client_(new QWidget(this)),
      lstEsscmd(new QListWidget(client_)),
      queueList_(*lstEsscmd),
      core_(state, registry, *this, windows, launcher, std::move(storeProblem)) {
    setWindowTitle(QStringLiteral("Vantrel"));
    setCentralWidget(client_);
    createControls();
    placeControls();
    createMenus();
    connectEvents();
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
    cmdUp = Named(new QPushButton(QStringLiteral("\u2191"), client_), "cmdUp");
    Command2 = Named(new QPushButton(QStringLiteral("\u2193"), client_), "Command2");
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
    struct Place {
        QWidget* widget;
        int left, top, width, height;
    };
    const Place places[] = {
        {Label1, 480, 600, 1455, 195},    {Text1, 270, 450, 4335, 330},
        {Option1[0], 270, 945, 1455, 240}, {Option1[1], 1845, 945, 1455, 240},
        {Command1, 3510, 900, 1095, 330}, {lstEsscmd, 120, 360, 4575, 2010},
        {cmdAdd, 120, 3000, 855, 375},    {Label2, 120, 120, 3375, 255},
        {cmdRemove, 1080, 3000, 975, 375}, {cmdRun, 2640, 3000, 2655, 375},
        {cmdUp, 4920, 600, 375, 375},     {Command2, 4920, 1200, 375, 375},
        {Label3, 120, 2520, 3375, 255},   {cboCalcs, 2280, 2490, 1095, 315},
        {lblStatus[0], 240, 3480, 4815, 255}, {lblStatus[1], 240, 3840, 4815, 255},
        {lblStatus[2], 240, 4200, 4815, 255},
    };
    const double twips = twipsPerPixel();
    const auto pixels = [twips](int t) { return static_cast<int>(std::lround(t / twips)); };
    for (const Place& place : places)
        place.widget->setGeometry(pixels(place.left), pixels(place.top), pixels(place.width),
                                  pixels(place.height));
    client_->setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));
}

void frmFindPart::createMenus() {
    QMenu* mnuLists = Named(menuBar()->addMenu(QStringLiteral("Lists")), "mnuLists");
    Named(mnuLists->addAction(QStringLiteral("Export List")), "mnuListsExport");
    Named(mnuLists->addAction(QStringLiteral("Import List")), "mnuListsImport");
    QMenu* mnuHelp = Named(menuBar()->addMenu(QStringLiteral("Help")), "mnuHelp");
    Named(mnuHelp->addAction(QStringLiteral("About")), "mnuAbout");
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

void frmFindPart::Form_Load() { core_.Form_Load(); }

void frmFindPart::showNotice(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"), FromUtf8(text),
                    QMessageBox::Ok, this);
    box.exec();
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

double frmFindPart::twipsPerPixel() { return kTwipsPerInch / logicalDpiX(); }

}  // namespace vantrel
