#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "run/OwnedHandle_windows.h"

namespace vantrel::win32 {

/// Keeps Vantrel to one window per user. The first start holds a mutex named
/// for the user in the logon's own namespace; a later start hands its request
/// to the running window (WM_COPYDATA, UTF-8 text), which comes forward and
/// sends its answer back to the window named in the request's wParam.
class SingleInstance {
public:
    SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Nothing when this start is the one that runs; else the running one's
    /// answer to the request, and this one should end.
    std::optional<std::string> claim(std::string_view request);

private:
    OwnedHandle mutex_;
    bool first_;
};

/// The request a later start handed over in this WM_COPYDATA, or nothing
/// when the data is something else.
std::optional<std::string> LaterStartRequest(const COPYDATASTRUCT& data);

/// Sends the answer to a later start's request back to the window it came from.
void AnswerLaterStart(HWND caller, HWND answering, std::string_view answer);

}  // namespace vantrel::win32
