#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/MainView.h"
#include "testing/MemoryListBox.h"

namespace vantrel::testing {

/// A main window without a display: it remembers what it was told to show,
/// answers questions as the test says, and lets a test act while a box is
/// up (as a person would before pressing OK).
class FakeMainView : public MainView {
public:
    std::vector<std::string> notices;
    /// Every box in the order shown: notices, information and questions.
    std::vector<std::string> boxes;
    std::function<void(const std::string&)> onBox;
    bool confirmAnswer = true;
    int concurrency = 0;
    std::string title;
    std::string caption;
    bool editingEnabled = true;
    std::string status;
    std::string runningText;
    std::map<Command, bool> checkedCommands;
    bool launchTimerOn = false;
    bool monitorTimerOn = false;
    bool closed = false;
    std::vector<std::string> desktopNotices;
    int aboutBoxes = 0;
    std::vector<std::string> openedFiles;
    bool filesOpen = true;
    int horizontalExtent = -1;
    double twips = 15;
    MemoryListBox list;

    void showNotice(const std::string& text) override {
        notices.push_back(text);
        shown(text);
    }
    void showInformation(const std::string& text) override { shown(text); }
    bool confirm(const std::string& text) override {
        shown(text);
        return confirmAnswer;
    }
    void setRunCaption(std::string_view text) override { caption = text; }
    void setEditingEnabled(bool enabled) override { editingEnabled = enabled; }
    void setStatus(std::string_view text) override { status = text; }
    void setRunningText(std::string_view text) override { runningText = text; }
    void notifyDesktop(std::string_view text) override { desktopNotices.emplace_back(text); }
    void setCommandChecked(Command command, bool checked) override {
        checkedCommands[command] = checked;
    }
    void setLaunchTimerOn(bool on) override { launchTimerOn = on; }
    void setMonitorTimerOn(bool on) override { monitorTimerOn = on; }
    void closeWindow() override { closed = true; }
    ListBox& queueList() override { return list; }
    void setConcurrency(int n) override { concurrency = n; }
    void setPartialWindowTitle(std::string_view text) override { title = text; }
    void setListHorizontalExtent(int pixels) override { horizontalExtent = pixels; }
    double twipsPerPixel() override { return twips; }
    void showAboutBox() override { ++aboutBoxes; }
    bool openFile(const std::string& path) override {
        openedFiles.push_back(path);
        return filesOpen;
    }
    /// How many of the boxes shown have these words in their text.
    std::size_t boxesWith(std::string_view words) const {
        return static_cast<std::size_t>(std::count_if(
            boxes.begin(), boxes.end(),
            [&](const std::string& box) { return box.find(words) != std::string::npos; }));
    }

private:
    void shown(const std::string& text) {
        boxes.push_back(text);
        if (onBox) onBox(text);
    }
};

}  // namespace vantrel::testing
