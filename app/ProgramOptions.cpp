#include "app/ProgramOptions.h"

#include "run/RunController.h"

namespace vantrel {

namespace {

constexpr std::string_view kUsage =
    "Usage: vantrel [options]\n"
    "Runs a queue of EssCmd script files, a bounded number at a time.\n"
    "\n"
    "Options:\n"
    "  -h, --help              Shows this help and ends.\n"
    "  --version               Shows the version and ends.\n"
    "  --start                 Starts the run as soon as the window is up, without run\n"
    "                          messages; an interrupted run is resumed.\n"
    "  --exit-when-done        With --start: closes Vantrel once the run has finished and\n"
    "                          every script it started has ended. Exit status: 0 all\n"
    "                          succeeded, 1 a script failed, 2 the run was stopped or\n"
    "                          Vantrel closed first, 3 it could not run.\n"
    "  --import FILE           Replaces the queue by the scripts the list file names.\n"
    "  --concurrency N         Runs at most N (1 to 8) scripts at a time, for this run.\n"
    "  --stop-on-failure       Starts no further script once one has failed, for this run.\n";

bool IsHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?";
}

std::optional<int> ConcurrencyFrom(std::string_view text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kMaxConcurrency) return std::nullopt;
    return text[0] - '0';
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedOptions parse() {
        for (next_ = 0; next_ < arguments_.size();) {
            const std::string argument = arguments_[next_++];
            if (argument == "--") {
                if (next_ < arguments_.size()) return refuse("unexpected argument: " + arguments_[next_]);
                break;
            }
            if (!take(argument)) return {std::nullopt, refusal_};
        }
        if (options_.exitWhenDone && !options_.start)
            return refuse("--exit-when-done needs --start");
        return {options_, {}};
    }

private:
    ParsedOptions refuse(std::string why) { return {std::nullopt, std::move(why)}; }

    bool take(const std::string& argument) {
        if (IsHelp(argument)) return options_.help = true;
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        std::optional<std::string> attached;
        if (equals != std::string::npos) attached = argument.substr(equals + 1);
        if (name == "--version") return flag(options_.version, name, attached);
        if (name == "--start") return flag(options_.start, name, attached);
        if (name == "--exit-when-done") return flag(options_.exitWhenDone, name, attached);
        if (name == "--stop-on-failure") return flag(options_.stopOnFailure, name, attached);
        if (name == "--import") return importFile(name, attached);
        if (name == "--concurrency") return concurrency(name, attached);
        refusal_ = (argument.starts_with('-') || argument.starts_with('/') ? "unknown option: "
                                                                         : "unexpected argument: ") +
                   argument;
        return false;
    }

    bool flag(bool& option, const std::string& name, const std::optional<std::string>& attached) {
        if (attached) return failed(name + " takes no value");
        option = true;
        return true;
    }

    std::optional<std::string> value(const std::string& name, const std::optional<std::string>& attached) {
        if (attached) return attached;
        if (next_ == arguments_.size()) {
            refusal_ = name + " needs a value";
            return std::nullopt;
        }
        return arguments_[next_++];
    }

    bool importFile(const std::string& name, const std::optional<std::string>& attached) {
        if (options_.importFile) return failed(name + " is given more than once");
        const std::optional<std::string> file = value(name, attached);
        if (!file) return false;
        if (file->empty()) return failed(name + " needs a file");
        options_.importFile = *file;
        return true;
    }

    bool concurrency(const std::string& name, const std::optional<std::string>& attached) {
        if (options_.concurrency) return failed(name + " is given more than once");
        const std::optional<std::string> text = value(name, attached);
        if (!text) return false;
        options_.concurrency = ConcurrencyFrom(*text);
        if (!options_.concurrency) return failed(name + " must be a number from 1 to 8, not " + *text);
        return true;
    }

    bool failed(std::string why) {
        refusal_ = std::move(why);
        return false;
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    ProgramOptions options_;
    std::string refusal_;
};

}  // namespace

ParsedOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    return Parser(arguments).parse();
}

std::string UsageText() { return std::string(kUsage); }

}  // namespace vantrel
