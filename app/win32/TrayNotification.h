#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string_view>

namespace vantrel {

/// The window's icon in the notification area, put there the first time the
/// desktop is told something and taken away with this object.
class TrayNotification {
public:
    explicit TrayNotification(HWND window);
    ~TrayNotification();
    TrayNotification(const TrayNotification&) = delete;
    TrayNotification& operator=(const TrayNotification&) = delete;

    /// A balloon titled "Vantrel" with the text; false when the shell has no
    /// notification area to show it in.
    bool show(std::string_view text);

private:
    NOTIFYICONDATAW data_{};
    bool added_ = false;
};

}  // namespace vantrel
