// The command line as a scheduler or a person types it: what each form asks
// for, and the one-line reason for each form that is refused.

#include <gtest/gtest.h>

#include "app/ProgramOptions.h"

namespace vantrel {
namespace {

using Arguments = std::vector<std::string>;

ProgramOptions With(void (*set)(ProgramOptions&)) {
    ProgramOptions options;
    set(options);
    return options;
}

TEST(ProgramOptionsTest, EachAcceptedFormAsksForWhatItSays) {
    const struct {
        Arguments arguments;
        ProgramOptions expected;
    } cases[] = {
        {{}, {}},
        {{"--help"}, With([](ProgramOptions& o) { o.help = true; })},
        {{"-h"}, With([](ProgramOptions& o) { o.help = true; })},
        {{"-?"}, With([](ProgramOptions& o) { o.help = true; })},
        {{"/?"}, With([](ProgramOptions& o) { o.help = true; })},
        {{"--version"}, With([](ProgramOptions& o) { o.version = true; })},
        {{"--start", "--exit-when-done"}, With([](ProgramOptions& o) { o.start = o.exitWhenDone = true; })},
        {{"--exit-when-done", "--start"}, With([](ProgramOptions& o) { o.start = o.exitWhenDone = true; })},
        {{"--start", "--start"}, With([](ProgramOptions& o) { o.start = true; })},
        {{"--stop-on-failure"}, With([](ProgramOptions& o) { o.stopOnFailure = true; })},
        {{"--import", "night.lst"}, With([](ProgramOptions& o) { o.importFile = "night.lst"; })},
        {{"--import=a b=c.lst"}, With([](ProgramOptions& o) { o.importFile = "a b=c.lst"; })},
        {{"--import", "--start"}, With([](ProgramOptions& o) { o.importFile = "--start"; })},
        {{"--concurrency", "1"}, With([](ProgramOptions& o) { o.concurrency = 1; })},
        {{"--concurrency=8", "--"}, With([](ProgramOptions& o) { o.concurrency = 8; })},
    };
    for (const auto& accepted : cases) {
        const ParsedOptions parsed = ParseProgramOptions(accepted.arguments);
        ASSERT_TRUE(parsed.options) << testing::PrintToString(accepted.arguments) << ": " << parsed.refusal;
        EXPECT_EQ(*parsed.options, accepted.expected) << testing::PrintToString(accepted.arguments);
    }
}

TEST(ProgramOptionsTest, EachRefusedFormSaysWhyOnOneLine) {
    const struct {
        Arguments arguments;
        std::string reason;
    } cases[] = {
        {{"--bogus"}, "unknown option: --bogus"},
        {{"-s"}, "unknown option: -s"},
        {{"/start"}, "unknown option: /start"},
        {{"night.lst"}, "unexpected argument: night.lst"},
        {{"--", "--start"}, "unexpected argument: --start"},
        {{"--start=1"}, "--start takes no value"},
        {{"--import"}, "--import needs a value"},
        {{"--import="}, "--import needs a file"},
        {{"--import", "a", "--import", "b"}, "--import is given more than once"},
        {{"--concurrency"}, "--concurrency needs a value"},
        {{"--concurrency", "0"}, "--concurrency must be a number from 1 to 8, not 0"},
        {{"--concurrency", "9"}, "--concurrency must be a number from 1 to 8, not 9"},
        {{"--concurrency", "02"}, "--concurrency must be a number from 1 to 8, not 02"},
        {{"--concurrency", " 2"}, "--concurrency must be a number from 1 to 8, not  2"},
        {{"--concurrency=2", "--concurrency=2"}, "--concurrency is given more than once"},
        {{"--exit-when-done"}, "--exit-when-done needs --start"},
    };
    for (const auto& refused : cases) {
        const ParsedOptions parsed = ParseProgramOptions(refused.arguments);
        EXPECT_FALSE(parsed.options) << testing::PrintToString(refused.arguments);
        EXPECT_EQ(parsed.refusal, refused.reason) << testing::PrintToString(refused.arguments);
    }
}

TEST(ProgramOptionsTest, TheUsageNamesEveryOption) {
    for (const char* option : {"--help", "--version", "--start", "--exit-when-done", "--import FILE",
                               "--concurrency N", "--stop-on-failure"})
        EXPECT_NE(UsageText().find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace vantrel
