#include "app/MainWindowLogic.h"

#include <cmath>

namespace vantrel {

namespace {

constexpr const char* kConcurrencyValue = "Id";
constexpr const char* kDefaultConcurrency = "1";
constexpr const char* kRunMessagesValue = "ShowRunMessages";
constexpr const char* kPartialWindowTitle = "esscmd.exe";
constexpr double kListExtentTwips = 500;

std::string StoreProblemText(const StoreProblem& problem) {
    if (problem.readOnly)
        return "The settings store " + problem.location + " is read only: " + problem.reason +
               ".\n\nVantrel shows the saved queue, but changes will not be kept.";
    return "The settings store " + problem.location + " cannot be used: " + problem.reason +
           ".\n\nVantrel starts with an empty queue, and changes will not be kept. The file "
           "has been left as it is.";
}

std::string ConcurrencyNotStoredText(const char* reason) {
    return "The number of scripts to run at a time could not be saved in the settings store: " +
           std::string(reason) + ".\n\nIt applies until Vantrel is closed.";
}

}  // namespace

int ListHorizontalExtent(double twipsPerPixel) {
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(kListExtentTwips / twipsPerPixel));
}

bool IsConcurrencyChoice(std::string_view text) {
    return text.size() == 1 && text[0] >= '1' && text[0] <= '8';
}

MainWindowLogic::MainWindowLogic(ProgramState& state, SettingsKeys& settings, MainView& view,
                                 WindowList& windows, Launcher& launcher,
                                 std::optional<StoreProblem> storeProblem)
    : state_(state),
      settings_(settings),
      view_(view),
      record_(settings, kQueueRecordKeyPath),
      run_(state, view, windows, launcher, journal_),
      storeProblem_(std::move(storeProblem)) {}

void MainWindowLogic::load() {
    if (storeProblem_) view_.showNotice(StoreProblemText(*storeProblem_));
    state_.settingsKeyPath = kSettingsKeyPath;
    state_.queueRecordKeyPath = kQueueRecordKeyPath;
    settings_.createKey(state_.settingsKeyPath);
    settings_.createKey(state_.queueRecordKeyPath);
    LoadQueue(record_, view_.queueList(), state_.scriptTable);
    restoreConcurrency();
    restoreRunMessages();
    view_.setPartialWindowTitle(kPartialWindowTitle);
    view_.setListHorizontalExtent(ListHorizontalExtent(view_.twipsPerPixel()));
}

void MainWindowLogic::restoreConcurrency() {
    const std::string stored = settings_.stringValue(state_.settingsKeyPath, kConcurrencyValue, "");
    // A value edited by hand that the list does not offer shows the default,
    // and stays stored until the user picks a concurrency.
    view_.setConcurrencyText(IsConcurrencyChoice(stored) ? stored : kDefaultConcurrency);
}

void MainWindowLogic::onConcurrencyChosen() {
    try {
        settings_.store().setStringValue(state_.settingsKeyPath, kConcurrencyValue,
                                         view_.concurrencyText());
    } catch (const StoreError& error) {
        view_.showNotice(ConcurrencyNotStoredText(error.what()));
    }
}

void MainWindowLogic::restoreRunMessages() {
    // Only "0" switches them off: the boxes are the program's own way, and
    // any other value edited by hand keeps them.
    const bool shown = settings_.stringValue(state_.settingsKeyPath, kRunMessagesValue, "1") != "0";
    view_.setRunMessagesChecked(shown);
    run_.setRunMessagesShown(shown);
}

void MainWindowLogic::onRunMessagesChosen(bool shown) {
    settings_.setStringValue(state_.settingsKeyPath, kRunMessagesValue, shown ? "1" : "0");
    view_.setRunMessagesChecked(shown);
    run_.setRunMessagesShown(shown);
}

}  // namespace vantrel
