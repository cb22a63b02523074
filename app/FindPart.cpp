#include "app/FindPart.h"

#include <cmath>

namespace vantrel {

namespace {

constexpr auto HKCU = RootKey::HKEY_CURRENT_USER;
constexpr const char* kConcurrencyValue = "Id";
constexpr const char* kDefaultConcurrency = "1";
constexpr const char* kPartialWindowTitle = "esscmd.exe";
constexpr double kListExtentTwips = 500;

std::string StoreProblemText(const StoreProblem& problem) {
    return "The settings store " + problem.location + " cannot be used: " + problem.reason +
           ".\n\nVantrel starts with an empty queue, and changes will not be kept. The file "
           "has been left as it is.";
}

}  // namespace

int ListHorizontalExtent(double twipsPerPixel) {
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(kListExtentTwips / twipsPerPixel));
}

bool IsConcurrencyChoice(std::string_view text) {
    return text.size() == 1 && text[0] >= '1' && text[0] <= '8';
}

FindPart::FindPart(ProgramState& state, Module1& registry, MainView& view, WindowList& windows,
                   Launcher& launcher, std::optional<StoreProblem> storeProblem)
    : state_(state),
      registry_(registry),
      view_(view),
      record_(registry, kQueueRecordKeyPath),
      run_(state, view, windows, launcher),
      storeProblem_(std::move(storeProblem)) {}

void FindPart::Form_Load() {
    if (storeProblem_) view_.showNotice(StoreProblemText(*storeProblem_));
    state_.settingsKeyPath = kSettingsKeyPath;
    state_.queueRecordKeyPath = kQueueRecordKeyPath;
    registry_.CreateKey(HKCU, state_.settingsKeyPath);
    registry_.CreateKey(HKCU, state_.queueRecordKeyPath);
    LoadQueue(record_, view_.queueList(), state_.scriptTable);
    restoreConcurrency();
    view_.setPartialWindowTitle(kPartialWindowTitle);
    view_.setListHorizontalExtent(ListHorizontalExtent(view_.twipsPerPixel()));
}

void FindPart::restoreConcurrency() {
    const std::string stored =
        registry_.QueryStringValue(HKCU, state_.settingsKeyPath, kConcurrencyValue, "");
    // A value edited by hand that the list does not offer shows the default,
    // and stays stored until the user picks a concurrency.
    view_.setConcurrencyText(IsConcurrencyChoice(stored) ? stored : kDefaultConcurrency);
}

void FindPart::cboCalcs_Change() {
    registry_.SetStringValue(HKCU, state_.settingsKeyPath, kConcurrencyValue,
                             view_.concurrencyText());
}

void FindPart::cboCalcs_Click() { cboCalcs_Change(); }

}  // namespace vantrel
