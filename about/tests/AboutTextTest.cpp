#include <gtest/gtest.h>

#include "about/AboutText.h"

namespace vantrel {
namespace {

TEST(AboutText, ThanksTheUserAndEndsWithMajorMinorAndRevision) {
    const std::string text = AboutText("Vantrel", {1, 24, 0, 2523});
    EXPECT_EQ(text,
              "Thank you for using Vantrel, a Dravell utility. This software is provided as is, "
              "without warranty of any kind. You are currently using version  1.24.2523.  ");
}

TEST(AboutText, ShowsTheNumbersWithoutLeadingZerosAndLeavesTheBuildFieldOut) {
    EXPECT_TRUE(AboutText("Kestrim", {0, 7, 99, 0}).ends_with("version  0.7.0.  "));
    EXPECT_TRUE(AboutText("Kestrim", {0, 7, 99, 0}).starts_with("Thank you for using Kestrim, "));
}

}  // namespace
}  // namespace vantrel
