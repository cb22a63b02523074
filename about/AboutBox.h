#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

namespace vantrel {

/// The about box: the logo, a thank-you text ending in the program's version,
/// the legal notice, a link to the product's page and Close. It keeps nothing
/// between showings: each one is a new box whose load fills the texts.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    /// The maker's web address as the link shows it.
    static QString makerAddress();
    /// The product's page, which a click on the link opens in the browser.
    static QUrl productPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void placeControls();
    void fillTexts();
    void openProductPage();

    QLabel* aboutText_;
    QLabel* logo_;
    QLabel* legalNotice_;
    QLabel* link_;
    QPushButton* closeButton_;
};

}  // namespace vantrel
