#include "run/WindowTitleSearch.h"

#include <algorithm>

#include "settings/UpperCase.h"

namespace vantrel::WindowTitleSearch {

namespace {

/// The partial title upper-cased once, for comparing with many titles.
class TitlePattern {
public:
    TitlePattern(std::string_view partialTitle, MatchMode mode)
        : upper_(UpperCase(partialTitle)), mode_(mode) {}

    bool matches(std::string_view title) const {
        // Most titles are ASCII; they are compared in place, with no copy.
        if (IsAscii(title)) return found(title.substr(0, kTitleCharacters), AsciiUpper);
        return found(UpperCase(FirstCharacters(title, kTitleCharacters)), [](char c) { return c; });
    }
    bool matches(const TopLevelWindow& window) const {
        return !window.hasOwner && !window.title.empty() && matches(window.title);
    }

private:
    static bool IsAscii(std::string_view text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }
    static char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

    template <typename Upper>
    bool found(std::string_view title, Upper upper) const {
        const auto same = [&](char t, char p) { return upper(t) == p; };
        switch (mode_) {
            case MatchMode::StartsWith:
                return title.size() >= upper_.size() &&
                       std::equal(upper_.begin(), upper_.end(), title.begin(),
                                  [&](char p, char t) { return same(t, p); });
            case MatchMode::Contains:
                return std::search(title.begin(), title.end(), upper_.begin(), upper_.end(),
                                   same) != title.end() ||
                       upper_.empty();
            default:
                return false;
        }
    }

    std::string upper_;
    MatchMode mode_;
};

}  // namespace

bool titleMatches(std::string_view title, std::string_view partialTitle, MatchMode mode) {
    return TitlePattern(partialTitle, mode).matches(title);
}

std::int32_t countMatchingWindows(const std::vector<TopLevelWindow>& walk,
                                  std::string_view partialTitle, MatchMode mode) {
    const TitlePattern pattern(partialTitle, mode);
    return static_cast<std::int32_t>(std::count_if(
        walk.begin(), walk.end(), [&](const TopLevelWindow& w) { return pattern.matches(w); }));
}

std::int32_t countMatchingWindows(WindowList& windows, std::string_view partialTitle,
                                  MatchMode mode) {
    return windows.snapshot()->countMatching(partialTitle, mode);
}

WindowHandle findFirstMatchingWindow(WindowList& windows, std::string_view partialTitle,
                                     MatchMode mode) {
    const TitlePattern pattern(partialTitle, mode);
    const std::shared_ptr<const WindowSnapshot> snapshot = windows.snapshot();
    for (const TopLevelWindow& window : snapshot->windows())
        if (pattern.matches(window)) return window.handle;
    return 0;
}

void activateMatchingWindow(WindowList& windows, Notice& notice, std::string_view partialTitle,
                            MatchMode mode) {
    const WindowHandle window = findFirstMatchingWindow(windows, partialTitle, mode);
    if (window == 0) {
        notice.showNotice("No matching applications found.");
        return;
    }
    if (windows.isMinimized(window)) windows.restore(window);
    windows.bringToFront(window);
}

}  // namespace vantrel::WindowTitleSearch

namespace vantrel {

std::int32_t WindowSnapshot::countMatching(std::string_view partialTitle, MatchMode mode) const {
    const auto known = std::ranges::find_if(counts_, [&](const Count& count) {
        return count.mode == mode && count.partialTitle == partialTitle;
    });
    if (known != counts_.end()) return known->count;
    const std::int32_t count =
        WindowTitleSearch::countMatchingWindows(windows_, partialTitle, mode);
    counts_.push_back({std::string(partialTitle), mode, count});
    return count;
}

}  // namespace vantrel
