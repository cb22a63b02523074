#include "about/AboutBox.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "about/AboutText.h"
#include "about/ProductInfo.h"
#include "app/TwipLayout.h"

namespace vantrel {

namespace {

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

AboutBox::AboutBox(QWidget* parent)
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
    fillTexts();
}

QString AboutBox::makerAddress() {
    return QString::fromUtf8(kMakerAddress.data(), static_cast<qsizetype>(kMakerAddress.size()));
}

QUrl AboutBox::productPage() { return QUrl(QString::fromStdString(ProductPage(product::kName))); }

void AboutBox::createControls() {
    // legalNotice_ comes before link_ so that the link lies on top where they overlap.
    aboutText_ = Named(new QLabel(this), "lblForm");
    aboutText_->setFont(TimesNewRomanBold(12));
    aboutText_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    aboutText_->setWordWrap(true);
    SetTextColour(*aboutText_, Qt::black);

    logo_ = Named(new QLabel(this), "Image1");
    logo_->setPixmap(QPixmap(QStringLiteral(":/about/logo.png")));
    logo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    legalNotice_ = Named(new QLabel(this), "lblCR");
    legalNotice_->setFont(TimesNewRomanBold(12));
    legalNotice_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetTextColour(*legalNotice_, Qt::black);

    link_ = Named(new QLabel(makerAddress(), this), "Label1");
    link_->setFont(TimesNewRomanBold(21.75, true));
    link_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    link_->setCursor(Qt::PointingHandCursor);
    SetTextColour(*link_, kLinkColour);
    link_->installEventFilter(this);

    closeButton_ = Named(new QPushButton(QStringLiteral("Close"), this), "Command1");
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::placeControls() {
    using namespace about_form;
    const TwipScale scale(*this);
    scale.place({
        {aboutText_, kAboutText},
        {logo_, kLogo},
        {legalNotice_, kLegalNotice},
        {link_, kLink},
        {closeButton_, kCloseButton},
    });
    setFixedSize(scale.size(kClient));
}

void AboutBox::fillTexts() {
    const FileVersion version{product::kVersionMajor, product::kVersionMinor,
                              product::kVersionBuild, product::kVersionRevision};
    aboutText_->setText(QString::fromStdString(AboutText(product::kName, version)));
    legalNotice_->setText(QString::fromUtf8(product::kLegalCopyright));
}

void AboutBox::openProductPage() {
    // Nothing to tell the user if no browser takes it: the box just stays.
    QDesktopServices::openUrl(productPage());
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == link_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            link_->rect().contains(mouse->position().toPoint()))
            openProductPage();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vantrel
