#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/win32/Win32MainWindow.h"
#include "base/WideText_windows.h"
#include "queue/QueueEntry.h"
#include "testing/FakeDesktop.h"
#include "testing/FileBytes.h"
#include "testing/ModalAnswerer_windows.h"
#include "testing/TempFolder.h"
#include "testing/TempRegistryKey_windows.h"

namespace vantrel::testing {

/// Sends a key as a person presses it, with these keys held (VK_MENU for Alt).
inline void PressKey(WORD key, std::initializer_list<WORD> held = {}) {
    std::vector<INPUT> strokes;
    const auto stroke = [&strokes](WORD virtualKey, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwFlags = flags;
        strokes.push_back(input);
    };
    for (const WORD down : held) stroke(down, 0);
    stroke(key, 0);
    stroke(key, KEYEVENTF_KEYUP);
    for (const WORD up : held) stroke(up, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT));
}

/// The real Win32 main window over the registry (a temporary key standing in
/// for HKEY_CURRENT_USER) and a desktop the test opens and closes windows on.
/// Its controls are driven with the messages a user's clicks and keys send.
struct Win32WindowFixture : ::testing::Test {
    TempRegistryKey registry;
    std::unique_ptr<Store> store = OpenUserStore().store;
    ProgramState state;
    FakeDesktop desktop;
    TempFolder journal;
    TempFolder scripts;
    std::unique_ptr<win32::Win32MainWindow> window;

    /// A script file of that name, made in the scripts folder; its Windows path.
    std::string script(const std::string& name) const {
        WriteBytes(scripts.path() / name, "LOGIN\r\n");
        return Utf8FromWide((scripts.path() / name).wstring());
    }

    /// Opens the window on these saved entries (Windows paths).
    void open(const std::vector<std::string>& savedEntries = {}) {
        for (const std::string& entry : savedEntries)
            store->createKey(std::string(kQueueRecordKeyPath) + "\\" + EntryKeyName(entry));
        window = std::make_unique<win32::Win32MainWindow>(parts());
        window->load();
        window->show(SW_SHOWNORMAL);
        settle();
    }
    /// Vantrel killed, or closed, and started again over what it left.
    void restart() {
        window.reset();
        state = ProgramState{};
        open();
    }
    ProgramParts parts(std::optional<StoreProblem> problem = std::nullopt) {
        return {state, *store, desktop, desktop, std::move(problem), journal.path()};
    }
    HWND control(int id) const { return window->control(id); }
    /// Handles every message waiting, boxes they open included, the window's
    /// keys first as in the program's message loop.
    void settle() const { pumpUntil([] { return !HasWaitingMessages(); }); }
    bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000) const {
        return PumpUntil(done, timeoutMs,
                         [this](MSG& message) { return window && window->handleKeyboard(message); });
    }
    static bool HasWaitingMessages() {
        MSG message;
        return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
    }
    /// A click, posted: a button whose handler opens a box returns only once
    /// the box is closed.
    void click(int id) const {
        PostMessageW(control(id), BM_CLICK, 0, 0);
        settle();
    }
    void chooseMenu(int command) const {
        PostMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        settle();
    }
    /// A key pressed as a person presses it, with these keys held (VK_MENU for Alt).
    void press(WORD key, std::initializer_list<WORD> held = {}) const {
        PressKey(key, held);
        settle();
    }
    /// A mouse click on a row, with Ctrl or Shift (MK_CONTROL, MK_SHIFT) held;
    /// with the right button when `down` is WM_RBUTTONDOWN.
    void clickRow(int row, WPARAM keys = 0, UINT down = WM_LBUTTONDOWN) const {
        HWND list = control(win32::kQueueListId);
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(list, down, (down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON) | keys, point);
        SendMessageW(list, down + 1, keys, point);  // the button's WM_..BUTTONUP
        settle();
    }
    /// The rows as shown, selected ones marked "*".
    std::vector<std::string> rows() const {
        HWND list = control(win32::kQueueListId);
        std::vector<std::string> texts;
        for (int row = 0; row < SendMessageW(list, LB_GETCOUNT, 0, 0); ++row)
            texts.push_back(window->queueList().text(row) +
                            (SendMessageW(list, LB_GETSEL, row, 0) > 0 ? "*" : ""));
        return texts;
    }
    std::string textOf(int id) const { return win32::WindowTextOf(control(id)); }
};

}  // namespace vantrel::testing
