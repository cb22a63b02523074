#pragma once

#include <string>
#include <vector>

#include "queue/ListBox.h"

namespace vantrel::testing {

/// A list box without a window, for driving the core as the user would.
class MemoryListBox : public ListBox {
public:
    int count() const override { return static_cast<int>(rows_.size()); }
    std::string text(int index) const override { return rows_.at(index).text; }
    void setText(int index, std::string_view text) override { rows_.at(index).text = text; }
    void append(std::string_view text) override { rows_.push_back({std::string(text), false, {}, {}}); }
    void removeAt(int index) override {
        rows_.erase(rows_.begin() + index);
        if (current_ >= count()) current_ = count() - 1;
    }
    void clear() override {
        rows_.clear();
        current_ = -1;
    }
    bool isSelected(int index) const override { return rows_.at(index).selected; }
    void setSelected(int index, bool selected) override { rows_.at(index).selected = selected; }
    int currentIndex() const override { return current_; }
    void setRowProgress(int index, RowProgress progress, std::string_view tooltip) override {
        rows_.at(index).progress = progress;
        rows_.at(index).tooltip = tooltip;
    }
    void setCurrentIndex(int index) { current_ = index; }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const Row& row : rows_) all.push_back(row.text);
        return all;
    }
    RowProgress progress(int index) const { return rows_.at(index).progress; }
    const std::string& tooltip(int index) const { return rows_.at(index).tooltip; }
    std::vector<RowProgress> progresses() const {
        std::vector<RowProgress> all;
        for (const Row& row : rows_) all.push_back(row.progress);
        return all;
    }

private:
    struct Row {
        std::string text;
        bool selected;
        RowProgress progress;
        std::string tooltip;
    };
    std::vector<Row> rows_;
    int current_ = -1;
};

}  // namespace vantrel::testing
