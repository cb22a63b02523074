#include "app/win32/Win32MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>
#include <shellapi.h>

#include <cmath>
#include <memory>
#include <type_traits>

#include "about/ProductInfo.h"
#include "app/FormLayout.h"
#include "app/win32/Resources.h"
#include "app/win32/Win32AboutBox.h"
#include "app/win32/Win32SingleInstance.h"
#include "app/win32/WindowText.h"
#include "base/WideText_windows.h"

namespace vantrel::win32 {

namespace {

constexpr UINT_PTR kLaunchTimer = 1;
constexpr UINT_PTR kCompletionTimer = 2;
constexpr DWORD kShown = WS_VISIBLE | WS_TABSTOP;
// Posted after a drop, so that a box its handling may show does not keep the
// dragging program waiting.
constexpr UINT kDropsArrivedMessage = WM_APP + 1;
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
const std::wstring kProductName = DisplayText(product::kName);

struct DropFinisher {
    void operator()(HDROP drop) const { DragFinish(drop); }
};
using OwnedDrop = std::unique_ptr<std::remove_pointer_t<HDROP>, DropFinisher>;

int ScreenDpi() { return GetDeviceCaps(ScreenDc().get(), LOGPIXELSX); }

OwnedFont Font(const wchar_t* face, int dpi, int weight, BYTE charset = DEFAULT_CHARSET) {
    constexpr double kPoints = 8.25;
    return OwnedFont(CreateFontW(-static_cast<int>(std::lround(kPoints * dpi / 72)), 0, 0, 0,
                                 weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

bool FontInstalled(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(
        ScreenDc().get(), &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

HICON ProgramIcon(int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VANTREL_ICON),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

void RegisterWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = ProgramIcon(SM_CXICON);
    windowClass.hIconSm = ProgramIcon(SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    // A second window in the same process finds the class registered already.
    RegisterClassExW(&windowClass);
}

WORD VirtualKey(Key key) {
    switch (key) {
        case Key::Delete: return VK_DELETE;
        case Key::Insert: return VK_INSERT;
        case Key::Up: return VK_UP;
        case Key::Down: return VK_DOWN;
        case Key::F10: return VK_F10;
        case Key::Menu: return VK_APPS;
        case Key::S: return 'S';
        case Key::None: break;
    }
    return 0;
}

ACCEL Accelerator(const KeyChord& chord, int id) {
    BYTE flags = FVIRTKEY;
    if (chord.modifiers & kShift) flags |= FSHIFT;
    if (chord.modifiers & kCtrl) flags |= FCONTROL;
    if (chord.modifiers & kAlt) flags |= FALT;
    return {flags, VirtualKey(chord.key), static_cast<WORD>(id)};
}

/// An accelerator table of the command table's keys that act in `scope`. The
/// keys of the list's own menu need none: the list box turns them into
/// WM_CONTEXTMENU, as every Windows control does.
OwnedAccelerators KeyTable(KeyScope scope) {
    std::vector<ACCEL> keys;
    for (const CommandInfo& info : kCommands)
        if (info.key.key != Key::None && info.key.scope == scope)
            keys.push_back(Accelerator(info.key, CommandId(info.command)));
    return OwnedAccelerators(CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size())));
}

std::vector<std::string> DroppedPaths(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(Utf8FromWide(path));
    }
    return paths;
}

}  // namespace

Win32MainWindow::Win32MainWindow(const ProgramParts& parts)
    : dpi_(ScreenDpi()),
      twipsPerPixel_(TwipsPerPixel(dpi_)),
      boldFont_(Font(L"MS Sans Serif", dpi_, FW_BOLD)),
      plainFont_(Font(L"MS Sans Serif", dpi_, FW_NORMAL)),
      arrowFont_(Font(L"Wingdings", dpi_, FW_BOLD, SYMBOL_CHARSET)),
      arrowsInSymbolFont_(FontInstalled(L"Wingdings")),
      core_(parts, *this, fileDialogs_) {
    createWindow();
    createControls();
    fitClientArea();
    createKeyTables();
}

Win32MainWindow::~Win32MainWindow() {
    if (window_ == nullptr) return;
    // Destroyed by its owner rather than closed by the user: no quit message.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void Win32MainWindow::createWindow() {
    RegisterWindowClass(windowProc);
    HMENU menuBar = CreateMenu();
    for (const MenuInfo& menuInfo : kMenus) {
        HMENU menu = CreatePopupMenu();
        for (const CommandInfo& info : kCommands)
            if (info.offeredIn == menuInfo.holds)
                AppendMenuW(menu, MF_STRING, CommandId(info.command), DisplayText(info.caption).c_str());
        AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu),
                    DisplayText(menuInfo.caption).c_str());
    }
    // The window owns its menu bar from here on and destroys it with itself.
    window_ = CreateWindowExW(0, kMainWindowClass, kProductName.c_str(), kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menuBar,
                              GetModuleHandleW(nullptr), this);
    fileDialogs_.setOwner(window_);
}

HWND Win32MainWindow::addControl(int id, const wchar_t* windowClass, const wchar_t* text,
                                 DWORD style, const TwipRect& place, HFONT font) {
    const auto pixels = [this](int twips) { return PixelsFromTwips(twips, twipsPerPixel_); };
    const DWORD edge = wcscmp(windowClass, L"LISTBOX") == 0 || wcscmp(windowClass, L"EDIT") == 0
                           ? WS_EX_CLIENTEDGE
                           : 0;
    HWND control = CreateWindowExW(
        edge, windowClass, text, WS_CHILD | WS_CLIPSIBLINGS | style, pixels(place.left),
        pixels(place.top), pixels(place.width), pixels(place.height), window_,
        reinterpret_cast<HMENU>(INT_PTR{id}), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void Win32MainWindow::createControls() {
    using namespace main_form;
    HFONT bold = boldFont_.get(), plain = plainFont_.get();
    // The hidden controls hold the run's partial title and match mode.
    addControl(kPartialTitleLabelId, L"STATIC", DisplayText(kPartialTitleLabelText).c_str(), SS_LEFT,
               kPartialTitleLabel, plain);
    addControl(kPartialTitleEditId, L"EDIT", L"", ES_AUTOHSCROLL, kPartialTitleEdit, bold);
    addControl(kStartsWithId, L"BUTTON", DisplayText(kStartsWithText).c_str(),
               BS_AUTORADIOBUTTON | WS_GROUP, kStartsWithButton, plain);
    HWND contains = addControl(kContainsId, L"BUTTON", DisplayText(kContainsText).c_str(),
                               BS_AUTORADIOBUTTON, kContainsButton, plain);
    SendMessageW(contains, BM_SETCHECK, BST_CHECKED, 0);

    // Shown, created in tab order.
    HWND list = addControl(
        kQueueListId, L"LISTBOX", L"",
        kShown | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
            LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
        kQueueList, bold);
    queueList_.attach(list, dpi_);
    DragAcceptFiles(list, TRUE);
    SetWindowSubclass(list, queueListProc, 0, reinterpret_cast<DWORD_PTR>(this));
    createCommandButtons();
    addControl(kQueueHeadingId, L"STATIC", DisplayText(kQueueHeadingText).c_str(),
               WS_VISIBLE | SS_LEFT, kQueueHeading, bold);
    addControl(kConcurrencyHeadingId, L"STATIC", DisplayText(kConcurrencyHeadingText).c_str(),
               WS_VISIBLE | SS_LEFT, kConcurrencyHeading, bold);
    // The height given to a drop-down list includes its open list of eight items.
    TwipRect withOpenList = kConcurrencyBox;
    withOpenList.height *= kMaxConcurrency + 1;
    HWND concurrency = addControl(kConcurrencyId, L"COMBOBOX", L"",
                                  kShown | WS_VSCROLL | CBS_DROPDOWNLIST, withOpenList, bold);
    for (int n = 1; n <= kMaxConcurrency; ++n)
        SendMessageW(concurrency, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
    for (int line = 0; line < 3; ++line)
        addControl(kStatusLineId + line, L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                   kStatusLines[line], bold);
    addControl(kRunningLineId, L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kRunningLine, bold);
    // Labels lie beneath the controls they overlap (the concurrency heading
    // runs under the drop-down list), as labels without windows of their own do.
    for (const int label :
         {int{kPartialTitleLabelId}, int{kQueueHeadingId}, int{kConcurrencyHeadingId},
          kStatusLineId + 0, kStatusLineId + 1, kStatusLineId + 2})
        SetWindowPos(control(label), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32MainWindow::createCommandButtons() {
    for (const CommandInfo& info : kCommands) {
        const bool shown = info.offeredIn == CommandPlace::Button;
        if (!shown && info.offeredIn != CommandPlace::HiddenButton) continue;
        const bool arrow =
            info.command == Command::MoveSelectedUp || info.command == Command::MoveSelectedDown;
        const bool up = info.command == Command::MoveSelectedUp;
        // Where the symbol font is missing, arrows of the window font stand in.
        const std::wstring caption =
            !arrow ? DisplayText(info.caption)
                   : arrowsInSymbolFont_ ? (up ? L"\xE1" : L"\xE2") : (up ? L"\x2191" : L"\x2193");
        HFONT font = arrow && arrowsInSymbolFont_ ? arrowFont_.get()
                     : shown                      ? boldFont_.get()
                                                  : plainFont_.get();
        addControl(CommandId(info.command), L"BUTTON", caption.c_str(),
                   (shown ? kShown : WS_GROUP) | BS_PUSHBUTTON, info.buttonPlace, font);
    }
}

void Win32MainWindow::fitClientArea() {
    using namespace main_form;
    RECT client, frame;
    GetClientRect(window_, &client);
    GetWindowRect(window_, &frame);
    const int width =
        PixelsFromTwips(kClient.width, twipsPerPixel_) + (frame.right - frame.left) - client.right;
    const int height = PixelsFromTwips(kClient.height, twipsPerPixel_) +
                       (frame.bottom - frame.top) - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void Win32MainWindow::createKeyTables() {
    windowKeys_ = KeyTable(KeyScope::Window);
    queueListKeys_ = KeyTable(KeyScope::QueueList);
}

bool Win32MainWindow::handleKeyboard(MSG& message) {
    if (window_ == nullptr) return false;
    if (message.hwnd == control(kQueueListId) &&
        TranslateAcceleratorW(window_, queueListKeys_.get(), &message))
        return true;
    if ((message.hwnd == window_ || IsChild(window_, message.hwnd)) &&
        TranslateAcceleratorW(window_, windowKeys_.get(), &message))
        return true;
    return IsDialogMessageW(window_, &message);
}

void Win32MainWindow::show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

LRESULT CALLBACK Win32MainWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->onMessage(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32MainWindow::queueListProc(HWND list, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR window) {
    if (message == WM_DROPFILES) {
        reinterpret_cast<Win32MainWindow*>(window)->takeDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    if (message == WM_CONTEXTMENU) {
        reinterpret_cast<Win32MainWindow*>(window)->showQueueListMenu(list, lParam);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, queueListProc, 0);
    return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT Win32MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_TIMER:
            onTimer(wParam);
            return 0;
        case kDropsArrivedMessage:
            handleDrops();
            return 0;
        case WM_MEASUREITEM:
            if (wParam != kQueueListId) break;
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                Win32ListBox::RowHeight(boldFont_.get(), dpi_);
            return TRUE;
        case WM_DRAWITEM:
            if (wParam != kQueueListId) break;
            queueList_.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COPYDATA:
            return onLaterStart(reinterpret_cast<HWND>(wParam),
                                *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_CLOSE:
            if (core_.onCloseRequested()) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            tray_.reset();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32MainWindow::onCommand(int id, int notification) {
    for (const CommandInfo& info : kCommands)
        if (id == CommandId(info.command)) return core_.onCommand(info.command);
    switch (id) {
        // Only a choice the user makes is stored, not the one start-up shows.
        case kConcurrencyId:
            if (notification == CBN_SELCHANGE)
                core_.onConcurrencyChosen(
                    static_cast<int>(SendMessageW(control(kConcurrencyId), CB_GETCURSEL, 0, 0)) + 1);
            return;
        case kStartsWithId:
        case kContainsId:
            if (notification == BN_CLICKED)
                core_.onActivateMatchModeChosen(id == kStartsWithId ? MatchMode::StartsWith
                                                                    : MatchMode::Contains);
            return;
        case kQueueListId:
            if (notification == LBN_SELCHANGE) queueList_.notePick();
            return;
        default:
            return;
    }
}

void Win32MainWindow::onTimer(UINT_PTR timer) {
    if (timer == kLaunchTimer) core_.onLaunchTick();
    if (timer == kCompletionTimer) core_.onMonitorTick();
}

void Win32MainWindow::showQueueListMenu(HWND list, LPARAM where) {
    POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    // Asked for from the keyboard, the menu opens by the row with the focus.
    if (where == -1) {
        RECT row{};
        const int current = queueList_.currentIndex();
        if (current >= 0)
            SendMessageW(list, LB_GETITEMRECT, current, reinterpret_cast<LPARAM>(&row));
        at = {row.left, row.bottom};
        ClientToScreen(list, &at);
    }
    const OwnedMenu menu(CreatePopupMenu());
    for (const CommandInfo& info : kCommands)
        if (info.offeredIn == CommandPlace::QueueListMenu)
            AppendMenuW(menu.get(), MF_STRING, CommandId(info.command), DisplayText(info.caption).c_str());
    const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                      window_, nullptr);
    if (chosen != 0) onCommand(chosen, 0);
}

bool Win32MainWindow::openFile(const std::string& path) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        window_, L"open", DisplayText(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecute tells success by a value above 32.
    return result > 32;
}

void Win32MainWindow::takeDrop(HDROP drop) {
    const OwnedDrop owned(drop);
    std::vector<std::string> paths = DroppedPaths(drop);
    if (paths.empty()) return;
    pendingDrops_.push_back(std::move(paths));
    PostMessageW(window_, kDropsArrivedMessage, 0, 0);
}

void Win32MainWindow::handleDrops() {
    std::vector<std::vector<std::string>> drops;
    drops.swap(pendingDrops_);
    for (const std::vector<std::string>& paths : drops) core_.onFilesDropped(paths);
}

bool Win32MainWindow::onLaterStart(HWND caller, const COPYDATASTRUCT& data) {
    const std::optional<std::string> request = LaterStartRequest(data);
    if (!request) return false;
    comeForward();
    AnswerLaterStart(caller, window_, core_.answerLaterStart(*request));
    return true;
}

void Win32MainWindow::comeForward() {
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    // A box the window has open comes forward with it.
    SetForegroundWindow(GetLastActivePopup(window_));
}

int Win32MainWindow::messageBox(const std::string& text, UINT style) {
    return MessageBoxW(window_, DisplayText(text).c_str(), kProductName.c_str(), style);
}

void Win32MainWindow::showNotice(const std::string& text) { messageBox(text, MB_OK); }

void Win32MainWindow::showInformation(const std::string& text) {
    messageBox(text, MB_OK | MB_ICONINFORMATION);
}

// Escape and the close box answer Cancel.
bool Win32MainWindow::confirm(const std::string& text) {
    return messageBox(text, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void Win32MainWindow::setRunCaption(std::string_view caption) {
    SetWindowTextUtf8(control(CommandId(Command::StartStop)), caption);
}

void Win32MainWindow::setEditingEnabled(bool enabled) {
    EnableWindow(control(CommandId(Command::AddScripts)), enabled);
    EnableWindow(control(CommandId(Command::RemoveSelected)), enabled);
}

void Win32MainWindow::setStatus(std::string_view text) {
    SetWindowTextUtf8(control(kStatusLineId), text);
}

void Win32MainWindow::setRunningText(std::string_view text) {
    SetWindowTextUtf8(control(kRunningLineId), text);
}

void Win32MainWindow::notifyDesktop(std::string_view text) {
    if (!tray_) tray_ = std::make_unique<TrayNotification>(window_);
    tray_->show(text);
}

void Win32MainWindow::setCommandChecked(Command command, bool checked) {
    CheckMenuItem(GetMenu(window_), CommandId(command),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32MainWindow::setLaunchTimerOn(bool on) {
    setTimerOn(kLaunchTimer, static_cast<UINT>(kLaunchTickInterval.count()), on);
}

void Win32MainWindow::setMonitorTimerOn(bool on) {
    setTimerOn(kCompletionTimer, static_cast<UINT>(kMonitorTickInterval.count()), on);
}

void Win32MainWindow::setTimerOn(UINT_PTR timer, UINT intervalMs, bool on) {
    if (on)
        SetTimer(window_, timer, intervalMs, nullptr);
    else
        KillTimer(window_, timer);
}

void Win32MainWindow::closeWindow() { DestroyWindow(window_); }

void Win32MainWindow::setConcurrency(int concurrency) {
    SendMessageW(control(kConcurrencyId), CB_SETCURSEL, concurrency - 1, 0);
}

void Win32MainWindow::showAboutBox() { ShowAboutBox(window_); }

void Win32MainWindow::setPartialWindowTitle(std::string_view title) {
    SetWindowTextUtf8(control(kPartialTitleEditId), title);
}

void Win32MainWindow::setListHorizontalExtent(int pixels) {
    SendMessageW(control(kQueueListId), LB_SETHORIZONTALEXTENT, pixels, 0);
}

}  // namespace vantrel::win32
