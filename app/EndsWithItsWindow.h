#pragma once

#include <QAbstractNativeEventFilter>
#include <QWidget>

namespace vantrel {

/// Ends the program when the X server destroys the window from outside (for
/// example another program's XDestroyWindow), as a close would: the toolkit
/// goes on believing in a window nobody can see, which would keep launching
/// and take over every later start.
class EndsWithItsWindow : public QAbstractNativeEventFilter {
public:
    explicit EndsWithItsWindow(const QWidget& window) : window_(window) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    const QWidget& window_;
};

}  // namespace vantrel
