#pragma once

#include <windows.h>

namespace vantrel::win32 {

/// Control numbers of the about box, by which tests find its controls.
enum AboutControl : int {
    kAboutTextId = 300,
    kLogoId,
    kLegalNoticeId,
    kLinkId,
    kAboutCloseId = IDOK,
};

/// Shows a new about box, modal to `owner`, and returns once it is closed.
/// Its texts come from the program's version information and the shared
/// about text; the owner's timers go on meanwhile.
void ShowAboutBox(HWND owner);

}  // namespace vantrel::win32
