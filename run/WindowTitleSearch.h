#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "queue/Notice.h"
#include "run/WindowList.h"

namespace vantrel {

/// How a window title is matched against the partial window title.
enum class MatchMode : std::int16_t {
    StartsWith = 0,
    Contains = 1,
};

/// Titles take part in the comparison with this many characters at most.
constexpr std::size_t kTitleCharacters = 255;

/// The window-title search. Upper-cased titles are compared with the
/// upper-cased partial title; owned windows and untitled windows never match,
/// and a mode other than the two above matches nothing.
namespace WindowTitleSearch {

bool titleMatches(std::string_view title, std::string_view partialTitle, MatchMode mode);

/// Counts in a walk already taken, so one walk can serve several questions.
std::int32_t countMatchingWindows(const std::vector<TopLevelWindow>& walk,
                                  std::string_view partialTitle, MatchMode mode);

std::int32_t countMatchingWindows(WindowList& windows, std::string_view partialTitle,
                                  MatchMode mode);

/// The first matching window from the top of the stacking order, or 0.
WindowHandle findFirstMatchingWindow(WindowList& windows, std::string_view partialTitle,
                                     MatchMode mode);

/// Restores the first matching window when minimized and brings it to the
/// front; says "No matching applications found." when none matches.
void activateMatchingWindow(WindowList& windows, Notice& notice, std::string_view partialTitle,
                            MatchMode mode);

}  // namespace WindowTitleSearch

}  // namespace vantrel
