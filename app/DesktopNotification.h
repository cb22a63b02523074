#pragma once

#include <QString>

namespace vantrel {

/// Shows a notification through the desktop's notification service (the
/// freedesktop interface on the desktop's message bus). Without a bus or a service
/// nothing is shown and nothing waits: the call is not answered for.
void ShowDesktopNotification(const QString& summary, const QString& body);

}  // namespace vantrel
