#include "app/win32/Win32ListBox.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "app/ProgressMarkShapes.h"
#include "app/win32/NativeHandles.h"
#include "app/win32/WindowText.h"
#include "base/WideText_windows.h"

namespace vantrel::win32 {

namespace {

constexpr UINT_PTR kTrackMouseSubclass = 1;
constexpr UINT_PTR kRowTool = 1;
// Between the row's edge and its mark, and between the mark and the text, at 96 dots per inch.
constexpr int kMarkMargin = 2;
constexpr int kTextGap = 4;

int Scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, 96); }

COLORREF Colour(const MarkColour& colour) { return RGB(colour.red, colour.green, colour.blue); }

/// Draws the mark with GDI in `place`, a square the grid is scaled to.
void DrawMark(HDC dc, const RECT& place, const MarkShape& shape) {
    const double scale = static_cast<double>(place.right - place.left) / kMarkGrid;
    const auto at = [&](const GridPoint& point) {
        return POINT{place.left + static_cast<LONG>(std::lround(point.x * scale)),
                     place.top + static_cast<LONG>(std::lround(point.y * scale))};
    };
    const LOGBRUSH ink{BS_SOLID, Colour(shape.colour), 0};
    const OwnedPen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                    std::max(1, static_cast<int>(std::lround(shape.penWidth * scale))),
                                    &ink, 0, nullptr));
    const OwnedBrush fill(CreateSolidBrush(Colour(shape.colour)));
    const Selection penSelected(dc, pen.get());
    for (const MarkFigure& figure : shape.figures) {
        const Selection brushSelected(
            dc, figure.stroke == Stroke::Filled ? fill.get() : GetStockObject(NULL_BRUSH));
        std::vector<POINT> points;
        for (const GridPoint& point : figure.points) points.push_back(at(point));
        const int count = static_cast<int>(points.size());
        switch (figure.stroke) {
            case Stroke::Ring: {
                const GridPoint centre = figure.points.front();
                const double r = figure.radius;
                const POINT topLeft = at({centre.x - r, centre.y - r});
                const POINT bottomRight = at({centre.x + r, centre.y + r});
                Ellipse(dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
                break;
            }
            case Stroke::Line: Polyline(dc, points.data(), count); break;
            case Stroke::Outline:
            case Stroke::Filled: Polygon(dc, points.data(), count); break;
        }
    }
}

}  // namespace

void Win32ListBox::attach(HWND list, int dpi) {
    list_ = list;
    dpi_ = dpi;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(list),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list;
    tool.uId = kRowTool;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A width limit lets the tip break its text at the "\n"s.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
    SetWindowSubclass(list, trackMouseProc, kTrackMouseSubclass, reinterpret_cast<DWORD_PTR>(this));
}

int Win32ListBox::RowHeight(HFONT font, int dpi) {
    const ScreenDc screen;
    const Selection fontSelected(screen.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    return std::max<int>(metrics.tmHeight, Scaled(kMarkGrid, dpi)) + Scaled(2, dpi);
}

RECT Win32ListBox::MarkPlace(const RECT& row, int dpi) {
    const int size = Scaled(kMarkGrid, dpi);
    const int left = row.left + Scaled(kMarkMargin, dpi);
    const int top = row.top + (row.bottom - row.top - size) / 2;
    return {left, top, left + size, top + size};
}

void Win32ListBox::draw(const DRAWITEMSTRUCT& item) const {
    const bool focused = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    // An empty list shows only where the focus is.
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= marks_.size()) {
        if (focused) DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const RECT mark = MarkPlace(item.rcItem, dpi_);
    if (const std::optional<RowProgress> progress = marks_[item.itemID].progress)
        DrawMark(item.hDC, mark, ProgressMarkShape(*progress));

    const int savedState = SaveDC(item.hDC);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT textPlace = item.rcItem;
    textPlace.left = mark.right + Scaled(kTextGap, dpi_);
    // Long paths keep their start and their file name; the tooltip has the whole.
    const std::wstring text = wideText(static_cast<int>(item.itemID));
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &textPlace,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    RestoreDC(item.hDC, savedState);
    if (focused) DrawFocusRect(item.hDC, &item.rcItem);
}

LRESULT CALLBACK Win32ListBox::trackMouseProc(HWND list, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto& box = *reinterpret_cast<Win32ListBox*>(self);
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        if (message == WM_MOUSEMOVE) box.hover({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        MSG relayed{list, message, wParam, lParam, 0, {}};
        SendMessageW(box.tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, trackMouseProc, kTrackMouseSubclass);
    return DefSubclassProc(list, message, wParam, lParam);
}

void Win32ListBox::hover(POINT point) {
    const LRESULT found = SendMessageW(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    const int row = HIWORD(found) != 0 ? -1 : LOWORD(found);
    RECT place{};
    if (row >= 0) SendMessageW(list_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place));
    if (row == hoveredRow_ && EqualRect(&place, &hoveredPlace_)) return;
    hoveredRow_ = row;
    hoveredPlace_ = place;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list_;
    tool.uId = kRowTool;
    tool.rect = place;
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    showTooltipOf(row);
}

void Win32ListBox::showTooltipOf(int row) {
    const bool known = row >= 0 && row < static_cast<int>(marks_.size());
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = list_;
    tool.uId = kRowTool;
    tool.lpszText = const_cast<wchar_t*>(known ? marks_[row].tooltip.c_str() : L"");
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

int Win32ListBox::count() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

std::wstring Win32ListBox::wideText(int index) const {
    const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string Win32ListBox::text(int index) const { return Utf8FromWide(wideText(index)); }

void Win32ListBox::setText(int index, std::string_view text) {
    const bool selected = isSelected(index);
    const LRESULT caret = SendMessageW(list_, LB_GETCARETINDEX, 0, 0);
    SendMessageW(list_, LB_DELETESTRING, index, 0);
    SendMessageW(list_, LB_INSERTSTRING, index,
                 reinterpret_cast<LPARAM>(DisplayText(text).c_str()));
    setSelected(index, selected);
    SendMessageW(list_, LB_SETCARETINDEX, caret, FALSE);
}

void Win32ListBox::append(std::string_view text) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DisplayText(text).c_str()));
    marks_.emplace_back();
}

void Win32ListBox::removeAt(int index) {
    SendMessageW(list_, LB_DELETESTRING, index, 0);
    marks_.erase(marks_.begin() + index);
    hoveredRow_ = -1;
}

void Win32ListBox::clear() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    marks_.clear();
    hoveredRow_ = -1;
    picked_ = false;
}

bool Win32ListBox::isSelected(int index) const {
    return SendMessageW(list_, LB_GETSEL, index, 0) > 0;
}

void Win32ListBox::setSelected(int index, bool selected) {
    SendMessageW(list_, LB_SETSEL, selected ? TRUE : FALSE, index);
}

int Win32ListBox::currentIndex() const {
    if (!picked_ || count() == 0) return -1;
    return static_cast<int>(SendMessageW(list_, LB_GETCARETINDEX, 0, 0));
}

void Win32ListBox::setRowProgress(int index, RowProgress progress, std::string_view tooltip) {
    RowMark& mark = marks_.at(index);
    std::wstring text = DisplayText(tooltip);
    if (mark.progress == progress && mark.tooltip == text) return;
    mark = {progress, std::move(text)};
    RECT place;
    if (SendMessageW(list_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&place)) != LB_ERR)
        InvalidateRect(list_, &place, FALSE);
    if (index == hoveredRow_) showTooltipOf(index);
}

}  // namespace vantrel::win32
