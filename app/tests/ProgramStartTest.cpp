// What a start of the program does with its command line before any window:
// the same on both platforms, since both front ends take these steps.
#include <gtest/gtest.h>

#include "about/ProductInfo.h"
#include "app/ProgramStart.h"

namespace vantrel {
namespace {

using Arguments = std::vector<std::string>;

TEST(ProgramStartTest, HelpVersionAndRefusalsEndAtOnceWithTheirStatusAndText) {
    struct Case {
        Arguments arguments;
        std::optional<int> status;  ///< nothing: the window opens
        std::string outputStart;
        std::string errorsStart;
    };
    const Case cases[] = {
        {{}, std::nullopt, "", ""},
        {{"--start", "--concurrency=3"}, std::nullopt, "", ""},
        {{"/?"}, 0, "Usage: vantrel [options]\n", ""},
        {{"--start", "-h"}, 0, "Usage: vantrel [options]\n", ""},
        {{"--version"}, 0, std::string("Vantrel ") + product::kVersionText + "\n", ""},
        {{"--concurrency", "0"},
         2,
         "",
         "vantrel: --concurrency must be a number from 1 to 8, not 0\n\nUsage:"},
        {{"--help", "--bogus"}, 2, "", "vantrel: unknown option: --bogus\n\nUsage:"},
        {{"queue.txt"}, 2, "", "vantrel: unexpected argument: queue.txt\n\nUsage:"},
    };
    for (const Case& each : cases) {
        const ProgramStart start(each.arguments);
        const std::string named = ::testing::PrintToString(each.arguments);
        ASSERT_EQ(start.endsAtOnce().has_value(), each.status.has_value()) << named;
        if (!each.status) continue;
        EXPECT_EQ(start.endsAtOnce()->status, *each.status) << named;
        EXPECT_TRUE(start.endsAtOnce()->output.starts_with(each.outputStart)) << named;
        EXPECT_TRUE(start.endsAtOnce()->errors.starts_with(each.errorsStart)) << named;
        EXPECT_EQ(start.endsAtOnce()->output.empty(), each.outputStart.empty()) << named;
        EXPECT_EQ(start.endsAtOnce()->errors.empty(), each.errorsStart.empty()) << named;
    }
}

TEST(ProgramStartTest, ALaterStartHandsOverStartOnlyWhenTheRunningWindowMayKeepIt) {
    struct Case {
        Arguments arguments;
        std::string_view request;
        std::string answer;
        ProgramEnd end;
    };
    const Case cases[] = {
        {{}, kComeForwardRequest, "", {0, "", ""}},
        {{"--concurrency", "2"}, kComeForwardRequest, "", {0, "", ""}},
        {{"--start"},
         kStartRunRequest,
         "the run has started",
         {0, "", "vantrel: the run has started\n"}},
        {{"--start"},
         kStartRunRequest,
         "a run is going on already",
         {0, "", "vantrel: a run is going on already\n"}},
    };
    for (const Case& each : cases) {
        const ProgramStart start(each.arguments);
        EXPECT_EQ(start.requestForRunningProgram(), each.request);
        EXPECT_EQ(start.handedOver(each.answer), each.end);
    }
    // The running window belongs to a person: it comes forward, but the program cannot end it.
    const ProgramStart unattended({"--start", "--exit-when-done"});
    EXPECT_EQ(unattended.requestForRunningProgram(), kComeForwardRequest);
    EXPECT_EQ(unattended.handedOver("").status, kCannotRunStatus);
    EXPECT_TRUE(unattended.handedOver("").errors.starts_with("vantrel: Vantrel runs already"));
}

}  // namespace
}  // namespace vantrel
