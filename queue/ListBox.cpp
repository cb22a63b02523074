#include "queue/ListBox.h"

namespace vantrel {

std::vector<int> SelectedRows(const ListBox& list) {
    std::vector<int> selected;
    for (int row = 0; row < list.count(); ++row)
        if (list.isSelected(row)) selected.push_back(row);
    return selected;
}

}  // namespace vantrel
