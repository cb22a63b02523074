#include "run/WindowTitleSearch.h"

#include <algorithm>

#include "settings/UpperCase.h"

namespace vantrel::WindowTitleSearch {

namespace {

/// The partial title upper-cased once, for comparing with many titles.
class TitlePattern {
public:
    TitlePattern(std::string_view partialTitle, std::int16_t mode)
        : upper_(UpperCase(partialTitle)), mode_(mode) {}

    bool matches(std::string_view title) const {
        const std::string upperTitle = UpperCase(FirstCharacters(title, kTitleCharacters));
        switch (mode_) {
            case MatchStartsWith:
                return upperTitle.starts_with(upper_);
            case MatchContains:
                return upperTitle.find(upper_) != std::string::npos;
            default:
                return false;
        }
    }
    bool matches(const TopLevelWindow& window) const {
        return !window.hasOwner && !window.title.empty() && matches(window.title);
    }

private:
    std::string upper_;
    std::int16_t mode_;
};

}  // namespace

bool titleMatches(std::string_view title, std::string_view partialTitle, std::int16_t mode) {
    return TitlePattern(partialTitle, mode).matches(title);
}

std::int32_t countMatchingWindows(const std::vector<TopLevelWindow>& walk,
                                  std::string_view partialTitle, std::int16_t mode) {
    const TitlePattern pattern(partialTitle, mode);
    return static_cast<std::int32_t>(std::count_if(
        walk.begin(), walk.end(), [&](const TopLevelWindow& w) { return pattern.matches(w); }));
}

std::int32_t countMatchingWindows(WindowList& windows, std::string_view partialTitle,
                                  std::int16_t mode) {
    return countMatchingWindows(windows.topLevelWindows(), partialTitle, mode);
}

WindowHandle findFirstMatchingWindow(WindowList& windows, std::string_view partialTitle,
                                     std::int16_t mode) {
    const TitlePattern pattern(partialTitle, mode);
    for (const TopLevelWindow& window : windows.topLevelWindows())
        if (pattern.matches(window)) return window.handle;
    return 0;
}

void activateMatchingWindow(WindowList& windows, Notice& notice, std::string_view partialTitle,
                            std::int16_t mode) {
    const WindowHandle window = findFirstMatchingWindow(windows, partialTitle, mode);
    if (window == 0) {
        notice.showNotice("No matching applications found.");
        return;
    }
    if (windows.isMinimized(window)) windows.restore(window);
    windows.bringToFront(window);
}

}  // namespace vantrel::WindowTitleSearch
