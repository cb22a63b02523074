#include "app/ProgramStart.h"

#include "about/ProductInfo.h"

namespace vantrel {

namespace {

std::string ErrorLine(const std::string& text) { return "vantrel: " + text + "\n"; }

}  // namespace

ProgramStart::ProgramStart(const std::vector<std::string>& arguments) {
    const ParsedOptions parsed = ParseProgramOptions(arguments);
    if (!parsed.options)
        endsAtOnce_ =
            ProgramEnd{kUsageErrorStatus, {}, ErrorLine(parsed.refusal) + "\n" + UsageText()};
    else if (parsed.options->help)
        endsAtOnce_ = ProgramEnd{0, UsageText(), {}};
    else if (parsed.options->version)
        endsAtOnce_ = ProgramEnd{0, std::string("Vantrel ") + product::kVersionText + "\n", {}};
    else
        options_ = *parsed.options;
}

std::string_view ProgramStart::requestForRunningProgram() const {
    // A run that would end the program cannot be handed over; the running
    // window still comes forward, so the user sees why.
    return options_.start && !options_.exitWhenDone ? kStartRunRequest : kComeForwardRequest;
}

ProgramEnd ProgramStart::handedOver(const std::string& answer) const {
    if (options_.exitWhenDone)
        return CannotRun(
            "Vantrel runs already on this desktop, and its window belongs to the person using it; "
            "a run that ends Vantrel when done cannot be handed to it.");
    return {0, {}, answer.empty() ? std::string() : ErrorLine(answer)};
}

ProgramEnd CannotRun(const std::string& why) { return {kCannotRunStatus, {}, ErrorLine(why)}; }

}  // namespace vantrel
