#include "about/frmAboutProduct.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "about/AboutText.h"
#include "about/ProductInfo.h"
#include "app/TwipLayout.h"

namespace vantrel {

namespace {

constexpr int kClientWidthTwips = 9075;
constexpr int kClientHeightTwips = 3360;
const QColor kBackground(192, 192, 192);
const QColor kLinkColour(255, 0, 0);

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

/// Times New Roman where it is installed, else the desktop's serif face.
QFont TimesNewRomanBold(qreal points, bool italic = false) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

void SetTextColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

}  // namespace

frmAboutProduct::frmAboutProduct(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(product::kName));
    // An explicit empty icon, so the box does not borrow its owner's.
    setWindowIcon(QIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);
    createControls();
    placeControls();
    Form_Load();
}

QString frmAboutProduct::makerAddress() { return QStringLiteral("www.dravell.example"); }

QUrl frmAboutProduct::productPage() {
    // The address names no scheme; the browser needs one.
    return QUrl(QStringLiteral("http://") + makerAddress() + QStringLiteral("/") +
                QString::fromUtf8(product::kName).toLower());
}

void frmAboutProduct::createControls() {
    // lblCR comes before Label1 so that the link lies on top where they overlap.
    lblForm = Named(new QLabel(this), "lblForm");
    lblForm->setFont(TimesNewRomanBold(12));
    lblForm->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblForm->setWordWrap(true);
    SetTextColour(*lblForm, Qt::black);

    Image1 = Named(new QLabel(this), "Image1");
    Image1->setPixmap(QPixmap(QStringLiteral(":/about/logo.png")));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblCR = Named(new QLabel(this), "lblCR");
    lblCR->setFont(TimesNewRomanBold(12));
    lblCR->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetTextColour(*lblCR, Qt::black);

    Label1 = Named(new QLabel(makerAddress(), this), "Label1");
    Label1->setFont(TimesNewRomanBold(21.75, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setCursor(Qt::PointingHandCursor);
    SetTextColour(*Label1, kLinkColour);
    Label1->installEventFilter(this);

    Command1 = Named(new QPushButton(QStringLiteral("Close"), this), "Command1");
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAboutProduct::placeControls() {
    const TwipScale scale(*this);
    scale.place({
        {lblForm, 3720, 120, 5175, 1815},
        {Image1, 120, 360, 3465, 2445},
        {lblCR, 3600, 2040, 5175, 375},
        {Label1, 3240, 2280, 5895, 615},
        {Command1, 6960, 2880, 855, 375},
    });
    setFixedSize(scale.size(kClientWidthTwips, kClientHeightTwips));
}

void frmAboutProduct::Form_Load() {
    const FileVersion version{product::kVersionMajor, product::kVersionMinor,
                              product::kVersionBuild, product::kVersionRevision};
    lblForm->setText(QString::fromStdString(AboutText(product::kName, version)));
    lblCR->setText(QString::fromUtf8(product::kLegalCopyright));
}

void frmAboutProduct::Label1_Click() {
    // Nothing to tell the user if no browser takes it: the box just stays.
    QDesktopServices::openUrl(productPage());
}

bool frmAboutProduct::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label1->rect().contains(mouse->position().toPoint()))
            Label1_Click();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vantrel
