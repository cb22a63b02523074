#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/MainWindowLogic.h"
#include "app/win32/NativeHandles.h"
#include "app/win32/TrayNotification.h"
#include "app/win32/Win32FileChooser.h"
#include "app/win32/Win32ListBox.h"

namespace vantrel::win32 {

/// Control numbers of the main window's controls other than its command
/// buttons, by which tests find them.
enum MainControl : int {
    kPartialTitleLabelId = 100,
    kPartialTitleEditId,
    kStartsWithId,
    kContainsId,
    kQueueListId,
    kQueueHeadingId,
    kConcurrencyHeadingId,
    kConcurrencyId,
    kStatusLineId,  // and the two after it
    kRunningLineId = kStatusLineId + 3,
};

/// The control number of a command's button, and the number of its menu item.
constexpr int CommandId(Command command) { return 200 + static_cast<int>(command); }

/// The main window's class name, by which tests and other programs find it.
inline constexpr wchar_t kMainWindowClass[] = L"VantrelMainWindow";

/// The main window, native Win32. It shows what the core decides and forwards
/// every event to it. Closing it posts the thread's quit message.
class Win32MainWindow final : public MainView {
public:
    explicit Win32MainWindow(const ProgramParts& parts);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    /// Runs the start-up; call once, before the window is first shown.
    /// Nothing when the window may show; otherwise why the program cannot run.
    std::optional<std::string> load() { return core_.load(); }
    void show(int showCommand);
    /// Call once the window is shown.
    void onShown() { core_.onWindowShown(); }
    int exitStatus() const { return core_.exitStatus(); }
    HWND handle() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    /// Whether the up and down buttons draw their arrows in the symbol font.
    bool arrowsInSymbolFont() const { return arrowsInSymbolFont_; }
    /// Replaces the file dialogs of the queue commands (the window's own by default).
    void setFileChooser(FileChooser& chooser) { core_.setFileChooser(chooser); }
    /// Gives a key of the command table its command, and moves the focus with
    /// Tab as a dialog does; true when the message needs no more handling.
    bool handleKeyboard(MSG& message);

    // MainView
    void showNotice(const std::string& text) override;
    void setRunCaption(std::string_view caption) override;
    void setEditingEnabled(bool enabled) override;
    void setStatus(std::string_view text) override;
    void setRunningText(std::string_view text) override;
    void notifyDesktop(std::string_view text) override;
    void setLaunchTimerOn(bool on) override;
    void setMonitorTimerOn(bool on) override;
    void closeWindow() override;
    ListBox& queueList() override { return queueList_; }
    void setCommandChecked(Command command, bool checked) override;
    void setConcurrency(int concurrency) override;
    void setPartialWindowTitle(std::string_view title) override;
    void setListHorizontalExtent(int pixels) override;
    double twipsPerPixel() override { return twipsPerPixel_; }
    void showAboutBox() override;
    bool openFile(const std::string& path) override;
    void showInformation(const std::string& text) override;
    bool confirm(const std::string& text) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK queueListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR window);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int notification);
    void onTimer(UINT_PTR timer);
    void takeDrop(HDROP drop);
    void showQueueListMenu(HWND list, LPARAM where);
    void handleDrops();
    /// A later start of the program hands over its request (WM_COPYDATA from `caller`).
    bool onLaterStart(HWND caller, const COPYDATASTRUCT& data);
    void comeForward();

    void createWindow();
    void createControls();
    void createCommandButtons();
    HWND addControl(int id, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                    const TwipRect& place, HFONT font);
    void createMenus();
    void createKeyTables();
    void fitClientArea();
    int messageBox(const std::string& text, UINT style);
    void setTimerOn(UINT_PTR timer, UINT intervalMs, bool on);

    HWND window_ = nullptr;
    /// Made when the desktop is first told something; gone with the window.
    std::unique_ptr<TrayNotification> tray_;
    int dpi_;
    double twipsPerPixel_;
    OwnedFont boldFont_;
    OwnedFont plainFont_;
    OwnedFont arrowFont_;
    bool arrowsInSymbolFont_;
    std::vector<std::vector<std::string>> pendingDrops_;
    // The command table's keys: those of the whole window, and those of the queue list.
    OwnedAccelerators windowKeys_;
    OwnedAccelerators queueListKeys_;

    Win32ListBox queueList_;
    Win32FileChooser fileDialogs_;
    MainWindowLogic core_;
};

}  // namespace vantrel::win32
