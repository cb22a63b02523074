#include "run/WindowTitleSearch.h"

#include "settings/UpperCase.h"

namespace vantrel::WindowTitleSearch {

namespace {

bool TakesPart(const TopLevelWindow& window) { return !window.hasOwner && !window.title.empty(); }

bool Matches(const TopLevelWindow& window, std::string_view partialTitle, std::int16_t mode) {
    return TakesPart(window) && titleMatches(window.title, partialTitle, mode);
}

}  // namespace

bool titleMatches(std::string_view title, std::string_view partialTitle, std::int16_t mode) {
    const std::string upperTitle = UpperCase(FirstCharacters(title, kTitleCharacters));
    const std::string pattern = UpperCase(partialTitle);
    switch (mode) {
        case MatchStartsWith:
            return upperTitle.starts_with(pattern);
        case MatchContains:
            return upperTitle.find(pattern) != std::string::npos;
        default:
            return false;
    }
}

std::int32_t countMatchingWindows(const std::vector<TopLevelWindow>& walk,
                                  std::string_view partialTitle, std::int16_t mode) {
    std::int32_t count = 0;
    for (const TopLevelWindow& window : walk)
        if (Matches(window, partialTitle, mode)) ++count;
    return count;
}

std::int32_t countMatchingWindows(WindowList& windows, std::string_view partialTitle,
                                  std::int16_t mode) {
    return countMatchingWindows(windows.topLevelWindows(), partialTitle, mode);
}

WindowHandle findFirstMatchingWindow(WindowList& windows, std::string_view partialTitle,
                                     std::int16_t mode) {
    for (const TopLevelWindow& window : windows.topLevelWindows())
        if (Matches(window, partialTitle, mode)) return window.handle;
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
