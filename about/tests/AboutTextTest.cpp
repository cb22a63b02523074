#include <gtest/gtest.h>

#include "about/AboutText.h"

TEST(AboutText, ThanksTheUserAndEndsWithMajorMinorAndRevision) {
    EXPECT_EQ(vantrel::AboutText("Vantrel", {1, 24, 0, 2523}),
              "Thank you for using Vantrel, a Dravell utility. This software is provided as is, "
              "without warranty of any kind. You are currently using version  1.24.2523.  ");
}

// The link names no scheme; the page opened does, with the product in lower case.
TEST(AboutText, TheProductPageIsTheMakersAddressWithTheProductName) {
    EXPECT_EQ(vantrel::ProductPage("Vantrel"), "http://www.dravell.example/vantrel");
}
