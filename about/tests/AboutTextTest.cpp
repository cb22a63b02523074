#include <gtest/gtest.h>

#include "about/AboutText.h"

TEST(AboutText, ThanksTheUserAndEndsWithMajorMinorAndRevision) {
    EXPECT_EQ(vantrel::AboutText("Vantrel", {1, 24, 0, 2523}),
              "Thank you for using Vantrel, a Dravell utility. This software is provided as is, "
              "without warranty of any kind. You are currently using version  1.24.2523.  ");
}
