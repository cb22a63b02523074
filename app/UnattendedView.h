#pragma once

#include <functional>
#include <string>

#include "app/MainView.h"

namespace vantrel {

/// The main window as a run with nobody at the keyboard sees it: everything
/// is shown as always, but what a box would say is reported instead, and a
/// question takes its OK, so that nothing waits for a click.
class UnattendedView final : public MainView {
public:
    using Report = std::function<void(const std::string&)>;
    UnattendedView(MainView& window, Report report)
        : window_(window), report_(std::move(report)) {}

    void showNotice(const std::string& text) override { report_(text); }
    void showInformation(const std::string& text) override { report_(text); }
    bool confirm(const std::string& text) override {
        report_(text + " (OK)");
        return true;
    }

    void setRunCaption(std::string_view caption) override { window_.setRunCaption(caption); }
    void setEditingEnabled(bool enabled) override { window_.setEditingEnabled(enabled); }
    void setStatus(std::string_view text) override { window_.setStatus(text); }
    void setRunningText(std::string_view text) override { window_.setRunningText(text); }
    void notifyDesktop(std::string_view text) override { window_.notifyDesktop(text); }
    ListBox& queueList() override { return window_.queueList(); }
    void setLaunchTimerOn(bool on) override { window_.setLaunchTimerOn(on); }
    void setMonitorTimerOn(bool on) override { window_.setMonitorTimerOn(on); }
    void closeWindow() override { window_.closeWindow(); }
    void setCommandChecked(Command command, bool checked) override {
        window_.setCommandChecked(command, checked);
    }
    void setConcurrency(int concurrency) override { window_.setConcurrency(concurrency); }
    void setPartialWindowTitle(std::string_view title) override {
        window_.setPartialWindowTitle(title);
    }
    void setListHorizontalExtent(int pixels) override { window_.setListHorizontalExtent(pixels); }
    double twipsPerPixel() override { return window_.twipsPerPixel(); }
    void showAboutBox() override { window_.showAboutBox(); }
    bool openFile(const std::string& path) override { return window_.openFile(path); }

private:
    MainView& window_;
    Report report_;
};

}  // namespace vantrel
