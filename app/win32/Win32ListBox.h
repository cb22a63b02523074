#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "queue/ListBox.h"

namespace vantrel::win32 {

/// The core's view of the queue's list box control (extended selection,
/// owner-drawn with LBS_OWNERDRAWFIXED | LBS_HASSTRINGS): each row shows its
/// progress mark before its text, and the row under the mouse its tooltip.
class Win32ListBox final : public ListBox {
public:
    /// Takes over the created control; its tooltip is owned by the control's
    /// parent window and goes with it.
    void attach(HWND list, int dpi);
    /// The user picked a row with the mouse or the keyboard: from now on the
    /// row with the focus rectangle is the current row.
    void notePick() { picked_ = true; }

    /// A row's height for the list's font, room for the mark included (WM_MEASUREITEM).
    static int RowHeight(HFONT font, int dpi);
    /// Where a row's mark goes within the row's rectangle.
    static RECT MarkPlace(const RECT& row, int dpi);
    /// Paints a row as WM_DRAWITEM asks.
    void draw(const DRAWITEMSTRUCT& item) const;

    int count() const override;
    std::string text(int index) const override;
    void setText(int index, std::string_view text) override;
    void append(std::string_view text) override;
    void removeAt(int index) override;
    void clear() override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    int currentIndex() const override;
    void setRowProgress(int index, RowProgress progress, std::string_view tooltip) override;

private:
    struct RowMark {
        std::optional<RowProgress> progress;
        std::wstring tooltip;
    };

    static LRESULT CALLBACK trackMouseProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self);
    std::wstring wideText(int index) const;
    /// The tooltip follows the row under the mouse.
    void hover(POINT point);
    void showTooltipOf(int row);

    HWND list_ = nullptr;
    HWND tooltip_ = nullptr;
    int dpi_ = 96;
    std::vector<RowMark> marks_;
    int hoveredRow_ = -1;
    RECT hoveredPlace_{};
    // A list box always has a caret row; until the user picks one there is
    // no current row, as Remove must be able to tell.
    bool picked_ = false;
};

}  // namespace vantrel::win32
