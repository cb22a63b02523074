#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "run/WindowTitleSearch.h"

namespace vantrel {
namespace {

TEST(TitleMatchTest, ComparesWithoutRegardToCaseInBothModes) {
    EXPECT_TRUE(WindowTitleSearch::titleMatches("C:\\ESSBASE\\BIN\\ESSCMD.EXE", "esscmd.exe", MatchMode::Contains));
    EXPECT_FALSE(WindowTitleSearch::titleMatches("C:\\ESSBASE\\BIN\\ESSCMD.EXE", "esscmd.exe", MatchMode::StartsWith));
    EXPECT_TRUE(WindowTitleSearch::titleMatches("ESSCMD.EXE \"/calc/a b.txt\"", "esscmd.exe", MatchMode::StartsWith));
    EXPECT_TRUE(WindowTitleSearch::titleMatches("\xC3\xA9t\xC3\xA9 report", "\xC3\x89T\xC3\x89", MatchMode::Contains));
}

TEST(TitleMatchTest, OnlyTheFirst255CharactersTakePart) {
    const std::string before(250, 'x');
    EXPECT_TRUE(WindowTitleSearch::titleMatches(before + "abcde" + std::string(45, 'y'), "abcde", MatchMode::Contains));
    EXPECT_FALSE(WindowTitleSearch::titleMatches(before + "abcdef", "abcdef", MatchMode::Contains));
    const std::string wide(254, 'x');  // the 255th character is two bytes long
    EXPECT_TRUE(WindowTitleSearch::titleMatches(wide + "\xC3\xA9", "x\xC3\xA9", MatchMode::Contains));
    EXPECT_FALSE(WindowTitleSearch::titleMatches("\xC3\xA9" + wide + "y", "xy", MatchMode::Contains));
}

TEST(TitleMatchTest, EmptyPatternMatchesAnyTitleAndOtherModesNothing) {
    EXPECT_TRUE(WindowTitleSearch::titleMatches("anything", "", MatchMode::StartsWith));
    EXPECT_TRUE(WindowTitleSearch::titleMatches("anything", "", MatchMode::Contains));
    EXPECT_FALSE(WindowTitleSearch::titleMatches("esscmd.exe", "esscmd.exe", static_cast<MatchMode>(2)));
    EXPECT_FALSE(WindowTitleSearch::titleMatches("esscmd.exe", "esscmd.exe", static_cast<MatchMode>(-1)));
}

// A snapshot works each count out once; asked again, in any order, for any
// partial title and mode (2 matches nothing), it gives what a count over its
// windows gives.
TEST(WindowSnapshotTest, EveryCountAskedAgainIsTheCountOverItsWindows) {
    const std::vector<TopLevelWindow> windows = {{1, false, "ESSCMD.EXE \"/calc/a.txt\""},
                                                 {2, false, "C:\\bin\\esscmd.exe \"/calc/b.txt\""},
                                                 {3, true, "esscmd.exe owned"},
                                                 {4, false, ""},
                                                 {5, false, "esscmd.exe \"/calc/a.txt\""},
                                                 {6, false, "an editor"}};
    const WindowSnapshot snapshot(windows);
    std::vector<std::tuple<std::string, MatchMode>> questions;
    for (const std::string title : {"esscmd.exe", "ESSCMD.EXE \"/calc/a", "", "editor", "nothing"})
        for (const std::int16_t mode : {0, 1, 2})
            questions.emplace_back(title, static_cast<MatchMode>(mode));
    const auto once = questions;
    questions.insert(questions.end(), once.begin(), once.end());
    std::ranges::shuffle(questions, std::mt19937(20261206));
    for (const auto& [title, mode] : questions)
        EXPECT_EQ(snapshot.countMatching(title, mode),
                  WindowTitleSearch::countMatchingWindows(windows, title, mode))
            << "\"" << title << "\", mode " << static_cast<int>(mode);
}

}  // namespace
}  // namespace vantrel
