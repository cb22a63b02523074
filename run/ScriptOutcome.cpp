#include "run/ScriptOutcome.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <vector>

#include "run/AtomicFile.h"

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

/// The problem's text on one line: line ends and backslashes escaped.
std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') escaped += "\\\\";
        else if (c == '\n') escaped += "\\n";
        else if (c == '\r') escaped += "\\r";
        else escaped += c;
    }
    return escaped;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        if (text[i] == '\\') plain += '\\';
        else if (text[i] == 'n') plain += '\n';
        else if (text[i] == 'r') plain += '\r';
        else return std::nullopt;
    }
    return plain;
}

/// The whole text as a decimal number, or nullopt.
template <typename Number>
std::optional<Number> NumberFrom(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

/// The lines of a text that ends with a line end; nothing when it does not.
std::optional<std::vector<std::string_view>> LinesOf(std::string_view text) {
    if (!text.ends_with('\n')) return std::nullopt;
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find('\n', begin);
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

}  // namespace

std::string FormatOutcome(const ScriptOutcome& outcome) {
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
        outcome.endedAt.time_since_epoch());
    std::string text(kFirstLine);
    text += "\n";
    text += outcome.ending == ScriptOutcome::Ending::Exited ? kExited : kSignalled;
    text += std::to_string(outcome.code) + "\n";
    text += std::string(kEnded) + std::to_string(milliseconds.count()) + "\n";
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
    outcome.endedAt = WallTime(std::chrono::duration_cast<WallTime::duration>(
        std::chrono::milliseconds(*milliseconds)));
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
