#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "queue/ScriptTable.h"

namespace vantrel {

/// The queue list as the core sees it: rows of entry texts, each selectable,
/// and at most one current row (the one with the focus).
class ListBox {
public:
    virtual ~ListBox() = default;
    virtual int count() const = 0;
    virtual std::string text(int index) const = 0;
    virtual void setText(int index, std::string_view text) = 0;
    virtual void append(std::string_view text) = 0;
    virtual void removeAt(int index) = 0;
    virtual void clear() = 0;
    virtual bool isSelected(int index) const = 0;
    virtual void setSelected(int index, bool selected) = 0;
    /// The current row, or -1 when there is none.
    virtual int currentIndex() const = 0;
    /// Marks the row with its script's progress; the tooltip is plain text,
    /// lines separated by "\n", and names the full path however the row is cut.
    virtual void setRowProgress(int index, RowProgress progress, std::string_view tooltip) = 0;
};

/// The selected rows, top to bottom.
std::vector<int> SelectedRows(const ListBox& list);

}  // namespace vantrel
