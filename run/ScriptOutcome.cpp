#include "run/ScriptOutcome.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "run/AtomicFile.h"
#include "run/RecordText.h"

namespace vantrel {

namespace {

constexpr std::string_view kFirstLine = "vantrel-outcome 1";
constexpr std::string_view kExited = "exited ";
constexpr std::string_view kSignalled = "signalled ";
constexpr std::string_view kEnded = "ended ";
constexpr std::string_view kLogWritten = "log written";
constexpr std::string_view kLogProblem = "log-problem ";
// Far more than any outcome needs; a larger file is no outcome.
constexpr std::size_t kLargestOutcome = 64 * 1024;

}  // namespace

std::string FormatOutcome(const ScriptOutcome& outcome) {
    std::string text(kFirstLine);
    text += "\n";
    text += outcome.ending == ScriptOutcome::Ending::Exited ? kExited : kSignalled;
    text += std::to_string(outcome.code) + "\n";
    text += std::string(kEnded) + std::to_string(MillisecondsOf(outcome.endedAt)) + "\n";
    if (outcome.logProblem.empty()) text += kLogWritten;
    else text += std::string(kLogProblem) + Escaped(outcome.logProblem);
    return text + "\n";
}

std::optional<ScriptOutcome> ParseOutcome(std::string_view text) {
    const auto lines = LinesOf(text);
    if (!lines || lines->size() != 4 || (*lines)[0] != kFirstLine) return std::nullopt;
    ScriptOutcome outcome;
    std::string_view ending = (*lines)[1];
    if (ending.starts_with(kExited)) {
        ending.remove_prefix(kExited.size());
    } else if (ending.starts_with(kSignalled)) {
        ending.remove_prefix(kSignalled.size());
        outcome.ending = ScriptOutcome::Ending::Signalled;
    } else {
        return std::nullopt;
    }
    const auto code = NumberFrom<int>(ending);
    const std::string_view ended = (*lines)[2];
    const auto milliseconds =
        ended.starts_with(kEnded) ? NumberFrom<std::int64_t>(ended.substr(kEnded.size())) : std::nullopt;
    if (!code || !milliseconds) return std::nullopt;
    outcome.code = *code;
    outcome.endedAt = TimeFromMilliseconds(*milliseconds);
    const std::string_view log = (*lines)[3];
    if (log == kLogWritten) return outcome;
    if (!log.starts_with(kLogProblem)) return std::nullopt;
    const auto problem = Unescaped(log.substr(kLogProblem.size()));
    if (!problem || problem->empty()) return std::nullopt;
    outcome.logProblem = *problem;
    return outcome;
}

void WriteOutcomeFile(const std::filesystem::path& file, const ScriptOutcome& outcome) {
    ReplaceFileAtomically(file, FormatOutcome(outcome));
}

std::optional<ScriptOutcome> ReadOutcomeFile(const std::filesystem::path& file) {
    // A FIFO or a device in its place would block the read or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string text(kLargestOutcome + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestOutcome) return std::nullopt;
    return ParseOutcome(text);
}

}  // namespace vantrel
