// The command line a scheduler or a person gives: what each form means, and
// every form refused with its reason.
#include <gtest/gtest.h>

#include "app/ProgramOptions.h"

namespace vantrel {
namespace {

using Arguments = std::vector<std::string>;

/// The options in words, in the order the usage lists them.
std::string Meaning(const ProgramOptions& options) {
    std::string words;
    for (const auto& [on, name] : {std::pair{options.help, "help"},
                                   {options.version, "version"},
                                   {options.start, "start"},
                                   {options.exitWhenDone, "exit-when-done"},
                                   {options.stopOnFailure, "stop-on-failure"}})
        if (on) words += std::string(" ") + name;
    if (options.importFile) words += " import " + *options.importFile;
    if (options.concurrency) words += " concurrency " + std::to_string(*options.concurrency);
    return words;
}

TEST(ProgramOptionsTest, EachFormMeansWhatTheUsageSays) {
    const std::pair<Arguments, std::string> cases[] = {
        {{}, ""},
        {{"/?"}, " help"},
        {{"-?"}, " help"},
        {{"--version"}, " version"},
        {{"--start", "--exit-when-done", "--stop-on-failure"},
         " start exit-when-done stop-on-failure"},
        {{"--import", "list.txt", "--concurrency", "8"}, " import list.txt concurrency 8"},
        {{"--import=a=b.txt", "--concurrency=1", "--"}, " import a=b.txt concurrency 1"},
    };
    for (const auto& [arguments, meaning] : cases) {
        const ParsedOptions parsed = ParseProgramOptions(arguments);
        ASSERT_TRUE(parsed.options)
            << ::testing::PrintToString(arguments) << ": " << parsed.refusal;
        EXPECT_EQ(Meaning(*parsed.options), meaning);
    }
}

TEST(ProgramOptionsTest, AnythingElseIsRefusedWithItsReason) {
    const std::pair<Arguments, std::string> cases[] = {
        {{"--exit-when-done"}, "--exit-when-done needs --start"},
        {{"--start=yes"}, "--start takes no value"},
        {{"--import", "a", "--import", "b"}, "--import is given more than once"},
        {{"--import="}, "--import needs a file"},
        {{"--import"}, "--import needs a value"},
        {{"--concurrency", "9"}, "--concurrency must be a number from 1 to 8, not 9"},
        {{"--concurrency", "0"}, "--concurrency must be a number from 1 to 8, not 0"},
        {{"--concurrency=2", "--concurrency=3"}, "--concurrency is given more than once"},
        {{"--", "list.txt"}, "unexpected argument: list.txt"},
        {{"list.txt"}, "unexpected argument: list.txt"},
        {{"/start"}, "unknown option: /start"},
    };
    for (const auto& [arguments, refusal] : cases) {
        const ParsedOptions parsed = ParseProgramOptions(arguments);
        EXPECT_FALSE(parsed.options) << ::testing::PrintToString(arguments);
        EXPECT_EQ(parsed.refusal, refusal);
    }
}

}  // namespace
}  // namespace vantrel
