#include "run/runner/ScriptRunner.h"

#include <algorithm>

#include "run/AtomicFile.h"

namespace vantrel {

namespace {

constexpr std::string_view kName = "vantrel-script: ";

std::string UsageError(const std::string& problem) {
    return std::string(kName) + problem + "; " + std::string(kRunnerUsage);
}

}  // namespace

std::variant<RunnerRequest, std::string> ParseRunnerArguments(const std::vector<std::string>& arguments) {
    std::optional<std::string> outcomeFile;
    RunnerRequest request;
    const std::pair<std::string_view, std::optional<std::string>*> options[] = {
        {"--outcome", &outcomeFile}, {"--log", &request.logFile}, {"--title", &request.title}};
    auto argument = arguments.begin();
    for (; argument != arguments.end() && *argument != "--"; ++argument) {
        const std::string option = *argument;
        const auto known = std::ranges::find(options, option, [](const auto& o) { return o.first; });
        if (known == std::end(options)) return UsageError("unknown argument " + option);
        if (known->second->has_value()) return UsageError(option + " is given twice");
        if (++argument == arguments.end() || argument->empty())
            return UsageError(option + " needs a value");
        *known->second = *argument;
    }
    if (!outcomeFile) return UsageError("--outcome is missing");
    if (argument == arguments.end()) return UsageError("-- and the program are missing");
    request.outcomeFile = *outcomeFile;
    request.program.assign(argument + 1, arguments.end());
    if (request.program.empty() || request.program.front().empty())
        return UsageError("the program is missing");
    return request;
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

void OutputCopy::logFailed(std::string reason) {
    log_ = nullptr;
    logProblem_ = "the log " + logName_ + " cannot be written: " + reason;
    say(std::string(kName) + logProblem_);
}

void OutputCopy::copy(std::string_view bytes) {
    if (!windowGone_) windowGone_ = window_.write(bytes).has_value();
    if (log_ == nullptr) return;
    if (std::optional<std::string> failure = log_->write(bytes)) logFailed(std::move(*failure));
}

void OutputCopy::say(const std::string& line) {
    if (!windowGone_) windowGone_ = window_.write(line + "\n").has_value();
}

std::optional<std::filesystem::path> PrepareLogFile(const RunnerRequest& request) {
    if (!request.logFile) return std::nullopt;
    const std::filesystem::path file = PathFromUtf8(*request.logFile);
    // When the folder cannot be made, opening the log says why.
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    return file;
}

int FinishRun(const RunnerRequest& request, const ScriptOutcome& outcome, OutputCopy& copy) {
    const std::filesystem::path file = PathFromUtf8(request.outcomeFile);
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    try {
        WriteOutcomeFile(file, outcome);
    } catch (const FileWriteError& error) {
        copy.say(std::string(kName) + "the outcome " + request.outcomeFile +
                 " cannot be written: " + error.reason());
    }
    return outcome.ending == ScriptOutcome::Ending::Signalled ? 128 + outcome.code : outcome.code;
}

}  // namespace vantrel
