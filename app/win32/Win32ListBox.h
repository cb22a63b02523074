#pragma once

#include <windows.h>

#include "queue/ListBox.h"

namespace vantrel::win32 {

/// The core's view of the queue's list box control (extended selection).
class Win32ListBox final : public ListBox {
public:
    void attach(HWND list) { list_ = list; }
    /// The user picked a row with the mouse or the keyboard: from now on the
    /// row with the focus rectangle is the current row.
    void notePick() { picked_ = true; }

    int count() const override;
    std::string text(int index) const override;
    void setText(int index, std::string_view text) override;
    void append(std::string_view text) override;
    void removeAt(int index) override;
    void clear() override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    int currentIndex() const override;
    /// Not shown yet: a plain list box has no room for a mark or a tooltip per row.
    void setRowProgress(int, RowProgress, std::string_view) override {}

private:
    HWND list_ = nullptr;
    // A list box always has a caret row; until the user picks one there is
    // no current row, as Remove must be able to tell.
    bool picked_ = false;
};

}  // namespace vantrel::win32
