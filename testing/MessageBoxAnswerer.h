#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::testing {

/// Answers every message box that comes up while it lives, as a person would:
/// it reads the box, then clicks one of its buttons with the mouse.
class MessageBoxAnswerer {
public:
    struct Seen {
        std::string title;
        std::string text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        Qt::TextFormat format;
    };
    using Choice = std::function<QMessageBox::StandardButton(const Seen&)>;

    explicit MessageBoxAnswerer(Choice choice = [](const Seen&) { return QMessageBox::Ok; })
        : choice_(std::move(choice)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
        poll_.start(5);
    }

    std::vector<Seen> seen;

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const Seen& box : seen) all.push_back(box.text);
        return all;
    }

private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        const Seen read{box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                        box->standardButtons(), box->textFormat()};
        // A click that lands while the box is still settling is lost; the box is
        // then clicked again on the next look, but was seen only once.
        if (box != answered_) seen.push_back(read);
        answered_ = box;
        QTest::mouseClick(box->button(choice_(read)), Qt::LeftButton);
    }

    Choice choice_;
    QTimer poll_;
    QPointer<QMessageBox> answered_;
};

}  // namespace vantrel::testing
