#include "app/win32/Win32AboutBox.h"

#include <shellapi.h>

#include <cmath>

#include "about/AboutText.h"
#include "about/ProductInfo.h"
#include "app/FormLayout.h"
#include "app/win32/NativeHandles.h"
#include "app/win32/Resources.h"
#include "app/win32/VersionInfo.h"
#include "app/win32/WindowText.h"

namespace vantrel::win32 {

namespace {

constexpr COLORREF kBackground = RGB(192, 192, 192);
constexpr COLORREF kLinkColour = RGB(255, 0, 0);
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

/// A dialog without controls; they are created at their pixel places once
/// the box knows the screen's resolution.
struct EmptyDialogTemplate {
    DLGTEMPLATE header{kBoxStyle, 0, 0, 0, 0, 0, 0};
    WORD menu = 0, windowClass = 0, title = 0;
};

OwnedFont Font(const wchar_t* face, double points, int dpi, int weight, bool italic = false) {
    return OwnedFont(CreateFontW(-static_cast<int>(std::lround(points * dpi / 72)), 0, 0, 0, weight,
                                 italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

/// The box while it is open; it keeps nothing between showings.
class AboutBox {
public:
    /// Fills the new box `box` with its controls.
    void create(HWND box);
    INT_PTR colourStatic(HDC dc, HWND control);
    bool setLinkCursor(HWND control);
    void openProductPage();

private:
    HWND add(int id, const wchar_t* windowClass, const std::wstring& text, DWORD style,
             const TwipRect& place, HFONT font);
    void fitClientArea();

    HWND box_ = nullptr;
    int dpi_ = GetDeviceCaps(ScreenDc().get(), LOGPIXELSX);
    double twipsPerPixel_ = TwipsPerPixel(dpi_);
    OwnedBrush background_{CreateSolidBrush(kBackground)};
    OwnedFont textFont_ = Font(L"Times New Roman", 12, dpi_, FW_BOLD);
    OwnedFont linkFont_ = Font(L"Times New Roman", 21.75, dpi_, FW_BOLD, true);
    OwnedFont buttonFont_ = Font(L"MS Sans Serif", 8.25, dpi_, FW_NORMAL);
    OwnedBitmap logo_;
};

HWND AboutBox::add(int id, const wchar_t* windowClass, const std::wstring& text, DWORD style,
                   const TwipRect& place, HFONT font) {
    const auto pixels = [this](int twips) { return PixelsFromTwips(twips, twipsPerPixel_); };
    HWND control = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   pixels(place.left), pixels(place.top), pixels(place.width),
                                   pixels(place.height), box_, reinterpret_cast<HMENU>(INT_PTR{id}),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void AboutBox::create(HWND box) {
    using namespace about_form;
    box_ = box;
    const std::optional<VersionInfo> version = ReadOwnVersionInfo();
    const std::string name =
        version && !version->productName.empty() ? version->productName : product::kName;
    SetWindowTextUtf8(box_, "About " + name);
    fitClientArea();
    add(kAboutTextId, L"STATIC",
        DisplayText(AboutText(name, version ? version->fileVersion : FileVersion{})),
        SS_CENTER | SS_NOPREFIX, kAboutText, textFont_.get());
    HWND logo = add(kLogoId, L"STATIC", L"", SS_BITMAP, kLogo, nullptr);
    logo_.reset(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VANTREL_LOGO),
                                        IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    SendMessageW(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
    add(kLegalNoticeId, L"STATIC", DisplayText(version ? version->legalCopyright : ""),
        SS_CENTER | SS_NOPREFIX, kLegalNotice, textFont_.get());
    HWND link = add(kLinkId, L"STATIC", DisplayText(kMakerAddress), SS_CENTER | SS_NOTIFY, kLink,
                    linkFont_.get());
    // The link lies on top where it overlaps the legal notice.
    SetWindowPos(link, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND close = add(kAboutCloseId, L"BUTTON", L"Close", WS_TABSTOP | BS_DEFPUSHBUTTON,
                     kCloseButton, buttonFont_.get());
    SetFocus(close);
}

void AboutBox::fitClientArea() {
    using namespace about_form;
    RECT frame{0, 0, PixelsFromTwips(kClient.width, twipsPerPixel_),
               PixelsFromTwips(kClient.height, twipsPerPixel_)};
    AdjustWindowRectEx(&frame, GetWindowLongW(box_, GWL_STYLE), FALSE,
                       GetWindowLongW(box_, GWL_EXSTYLE));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    // Centred on the screen, as a box without an owner of its own would be.
    SetWindowPos(box_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
}

INT_PTR AboutBox::colourStatic(HDC dc, HWND control) {
    SetTextColor(dc, GetDlgCtrlID(control) == kLinkId ? kLinkColour : RGB(0, 0, 0));
    SetBkColor(dc, kBackground);
    return reinterpret_cast<INT_PTR>(background_.get());
}

bool AboutBox::setLinkCursor(HWND control) {
    if (GetDlgCtrlID(control) != kLinkId) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    SetWindowLongPtrW(box_, DWLP_MSGRESULT, TRUE);
    return true;
}

void AboutBox::openProductPage() {
    // Nothing to tell the user if no browser takes it: the box just stays.
    const std::optional<VersionInfo> version = ReadOwnVersionInfo();
    const std::wstring page = DisplayText(ProductPage(
        version && !version->productName.empty() ? version->productName : product::kName));
    ShellExecuteW(box_, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK AboutBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* about = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(box, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(box, DWLP_USER, lParam);
            reinterpret_cast<AboutBox*>(lParam)->create(box);
            return FALSE;  // the focus is on Close already
        case WM_CTLCOLORDLG:
            return about ? about->colourStatic(reinterpret_cast<HDC>(wParam), box) : FALSE;
        case WM_CTLCOLORSTATIC:
            return about ? about->colourStatic(reinterpret_cast<HDC>(wParam),
                                               reinterpret_cast<HWND>(lParam))
                         : FALSE;
        case WM_SETCURSOR:
            return about && about->setLinkCursor(reinterpret_cast<HWND>(wParam));
        case WM_COMMAND:
            if (about != nullptr && LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED)
                about->openProductPage();
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(box, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void ShowAboutBox(HWND owner) {
    EmptyDialogTemplate dialog;
    AboutBox about;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog.header, owner, AboutBoxProc,
                            reinterpret_cast<LPARAM>(&about));
}

}  // namespace vantrel::win32
