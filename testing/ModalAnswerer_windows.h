#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/win32/WindowText.h"

namespace vantrel::testing {

/// Answers the message boxes and file dialogs this thread opens, from inside
/// their own modal loops, as a person would: a timer of the thread looks for
/// a new dialog, notes what it shows and presses one of its buttons.
class ModalAnswerer {
public:
    struct Seen {
        std::string title;
        std::string text;
        /// The standard icon and the buttons shown, as "question OK Cancel" or "OK".
        std::string look;
    };
    /// Acts on a dialog: returns the command to press (IDOK, IDCANCEL), or 0
    /// to leave it open for now.
    using Answer = std::function<int(HWND dialog, const Seen& seen)>;

    /// By default every box and dialog is answered with OK.
    explicit ModalAnswerer(Answer answer = {}) : answer_(std::move(answer)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, onTick);
    }
    ~ModalAnswerer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    std::vector<Seen> seen;

private:
    static void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ == nullptr) return;
        if (!IsWindow(current_->answered_)) current_->answered_ = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), visit, 0);
    }

    static BOOL CALLBACK visit(HWND window, LPARAM) {
        wchar_t windowClass[16] = {};
        GetClassNameW(window, windowClass, 16);
        if (wcscmp(windowClass, L"#32770") != 0 || !IsWindowVisible(window) ||
            !IsWindowEnabled(window))
            return TRUE;
        ModalAnswerer& self = *current_;
        if (self.answered_ == window) return TRUE;  // its answer is on its way
        const Seen box = describe(window);
        const int command = self.answer_ ? self.answer_(window, box) : IDOK;
        if (command == 0) return TRUE;
        self.seen.push_back(box);
        self.answered_ = window;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, command)));
        return FALSE;
    }

    static bool shown(HWND dialog, int id) {
        HWND control = GetDlgItem(dialog, id);
        return control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    }

    static Seen describe(HWND dialog) {
        // The statics of a message box's text (Windows numbers it 0xFFFF, Wine 100) and icon.
        constexpr int kMessageIconId = 0x0440;
        Seen box{win32::WindowTextOf(dialog), {}, {}};
        for (const int id : {0xFFFF, 100})
            if (HWND text = GetDlgItem(dialog, id)) box.text = win32::WindowTextOf(text);
        const auto icon = reinterpret_cast<HICON>(
            shown(dialog, kMessageIconId) ? SendDlgItemMessageW(dialog, kMessageIconId, STM_GETICON, 0, 0) : 0);
        for (const auto& [standard, name] : {std::pair{IDI_INFORMATION, "information "},
                                             {IDI_QUESTION, "question "}, {IDI_WARNING, "warning "},
                                             {IDI_ERROR, "error "}})
            if (icon != nullptr && icon == LoadIconW(nullptr, standard)) box.look = name;
        box.look += shown(dialog, IDOK) ? (shown(dialog, IDCANCEL) ? "OK Cancel" : "OK") : "";
        return box;
    }

    static inline ModalAnswerer* current_ = nullptr;
    Answer answer_;
    UINT_PTR timer_ = 0;
    HWND answered_ = nullptr;
};

/// Looks at a message before it is dispatched, as a program's message loop
/// does for its keys; true when it needs no more handling.
using MessageFilter = std::function<bool(MSG&)>;

/// Handles this thread's messages until `done` says so or `timeoutMs` pass;
/// whether `done` came true.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000,
                      const MessageFilter& filter = {}) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // the closed main window's
            if (filter && filter(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

}  // namespace vantrel::testing
