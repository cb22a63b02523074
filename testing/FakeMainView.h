#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/MainView.h"
#include "testing/MemoryListBox.h"

namespace vantrel::testing {

/// A main window without a display: it remembers what it was told to show,
/// and lets a test act when a notice comes up (as a person would before
/// pressing OK).
class FakeMainView : public MainView {
public:
    std::vector<std::string> notices;
    std::function<void(const std::string&)> onNotice;
    std::string concurrency;
    std::string title;
    bool startsWith = false;
    std::string caption{kStartCaption};
    bool editingEnabled = true;
    std::string status;
    std::string runningText;
    bool runMessagesChecked = true;
    bool launchTimerOn = false;
    bool monitorTimerOn = false;
    bool closed = false;
    int horizontalExtent = -1;
    double twips = 15;
    MemoryListBox list;

    void showNotice(const std::string& text) override {
        notices.push_back(text);
        if (onNotice) onNotice(text);
    }
    std::string concurrencyText() override { return concurrency; }
    std::string partialWindowTitle() override { return title; }
    bool startsWithChosen() override { return startsWith; }
    std::string runCaption() override { return caption; }
    void setRunCaption(std::string_view text) override { caption = text; }
    void setEditingEnabled(bool enabled) override { editingEnabled = enabled; }
    void setStatus(std::string_view text) override { status = text; }
    void setRunningText(std::string_view text) override { runningText = text; }
    void setRunMessagesChecked(bool checked) override { runMessagesChecked = checked; }
    void setLaunchTimerOn(bool on) override { launchTimerOn = on; }
    void setMonitorTimerOn(bool on) override { monitorTimerOn = on; }
    void closeWindow() override { closed = true; }
    ListBox& queueList() override { return list; }
    void setConcurrencyText(std::string_view text) override { concurrency = text; }
    void setPartialWindowTitle(std::string_view text) override { title = text; }
    void setListHorizontalExtent(int pixels) override { horizontalExtent = pixels; }
    double twipsPerPixel() override { return twips; }
};

}  // namespace vantrel::testing
