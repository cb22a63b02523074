#include "app/EndsWithItsWindow.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

namespace vantrel {

bool EndsWithItsWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The top bit marks an event another client sent; a destruction is the server's alone.
    if (event->response_type != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (destroyed->window == window_.winId()) QCoreApplication::exit(0);
    return false;
}

}  // namespace vantrel
