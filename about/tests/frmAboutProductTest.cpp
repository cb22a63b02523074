#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "about/frmAboutProduct.h"
#include "testing/Screenshot.h"

namespace vantrel {
namespace {

/// Stands in for the browser: takes every web address the program asks to open.
class Browser : public QObject {
    Q_OBJECT
public:
    Browser() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~Browser() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class AboutBoxTest : public ::testing::Test {
protected:
    Browser browser;
    frmAboutProduct box;

    void SetUp() override {
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    QLabel* label(const char* name) {
        auto* found = box.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(AboutBoxTest, ShowsTheLogoTheWholeTextAndAnEmptyLegalNoticeOnGrey) {
    EXPECT_EQ(box.windowTitle(), "About Vantrel");
    EXPECT_TRUE(box.windowIcon().isNull());
    EXPECT_EQ(box.size(), QSize(605, 224));

    QLabel* text = label("lblForm");
    EXPECT_TRUE(text->text().startsWith("Thank you for using Vantrel, a Dravell utility."));
    EXPECT_LE(text->heightForWidth(text->width()), text->height()) << "the text is cut off";
    EXPECT_EQ(label("lblCR")->text(), "");
    EXPECT_EQ(label("Image1")->pixmap().size(), QSize(231, 163));

    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(192, 192, 192));
    EXPECT_TRUE(testing::SaveScreenshot(box, QStringLiteral("about-box")));
}

TEST_F(AboutBoxTest, ClickingTheLinkAsksTheBrowserForTheProductPage) {
    QLabel* link = label("Label1");
    EXPECT_EQ(link->text(), "www.dravell.example");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(label("lblForm"), Qt::LeftButton);
    EXPECT_TRUE(browser.opened.isEmpty());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl("http://www.dravell.example/vantrel")});
    EXPECT_TRUE(box.isVisible());
}

}  // namespace
}  // namespace vantrel

#include "frmAboutProductTest.moc"
