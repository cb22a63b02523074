#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vantrel
