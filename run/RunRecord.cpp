#include "run/RunRecord.h"

#include <fstream>
#include <map>

#include "queue/QueueEntry.h"
#include "run/AtomicFile.h"
#include "run/RecordText.h"

namespace vantrel {

namespace {

constexpr std::string_view kFirstLine = "vantrel-run 1";
constexpr std::string_view kRun = "run";
constexpr std::string_view kLaunch = "launch";
constexpr std::string_view kChecksum = "checksum";
constexpr std::string_view kNone = "-";
constexpr std::size_t kLaunchFields = 16;
// A record of a hundred launches of the longest paths is far smaller.
constexpr std::uintmax_t kLargestRecord = 16 * 1024 * 1024;

std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

/// FNV-1a: enough to tell a record cut short or edited from one written whole.
std::string Checksum(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    constexpr char kHex[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) hex[i] = kHex[hash & 0xF];
    return hex;
}

std::string TimeField(const std::optional<WallTime>& time) {
    return time ? std::to_string(MillisecondsOf(*time)) : std::string(kNone);
}

std::optional<std::optional<WallTime>> TimeFrom(std::string_view field) {
    if (field == kNone) return std::optional<WallTime>{};
    const auto milliseconds = NumberFrom<std::int64_t>(field);
    if (!milliseconds) return std::nullopt;
    return std::optional<WallTime>{TimeFromMilliseconds(*milliseconds)};
}

std::string Flags(const RecordedLaunch& launch) {
    std::string flags;
    if (launch.skipped) flags += 's';
    if (launch.superseded) flags += 'r';
    if (launch.journaled) flags += 'j';
    return flags.empty() ? std::string(kNone) : flags;
}

std::string FormatLaunch(const RecordedLaunch& launch) {
    const std::optional<ScriptOutcome>& outcome = launch.outcome;
    const std::string ending = !outcome ? std::string(kNone)
                               : outcome->ending == ScriptOutcome::Ending::Exited ? "exited"
                                                                                   : "signalled";
    const std::vector<std::string> fields = {
        std::string(kLaunch),
        Escaped(launch.entryText),
        Escaped(launch.key.scriptPath),
        std::to_string(launch.key.occurrence),
        std::to_string(MillisecondsOf(launch.startedAt)),
        std::to_string(launch.process.id),
        std::to_string(launch.process.startMark),
        Escaped(Utf8Of(launch.outcomeFile)),
        Escaped(Utf8Of(launch.logFile)),
        TimeField(launch.windowSeenAt),
        TimeField(launch.endedAt),
        ending,
        outcome ? std::to_string(outcome->code) : std::string(kNone),
        outcome ? Escaped(outcome->logProblem) : std::string(),
        Flags(launch),
        "."};
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
    return line;
}

std::optional<RecordedLaunch> ParseLaunch(std::string_view line) {
    const std::vector<std::string_view> f = FieldsOf(line);
    if (f.size() != kLaunchFields || f[0] != kLaunch || f[15] != ".") return std::nullopt;
    RecordedLaunch launch;
    const auto entryText = Unescaped(f[1]);
    const auto scriptPath = Unescaped(f[2]);
    const auto occurrence = NumberFrom<int>(f[3]);
    const auto startedAt = NumberFrom<std::int64_t>(f[4]);
    const auto id = NumberFrom<std::uint64_t>(f[5]);
    const auto startMark = NumberFrom<std::uint64_t>(f[6]);
    const auto outcomeFile = Unescaped(f[7]);
    const auto logFile = Unescaped(f[8]);
    const auto windowSeenAt = TimeFrom(f[9]);
    const auto endedAt = TimeFrom(f[10]);
    if (!entryText || !scriptPath || !occurrence || !startedAt || !id || !startMark ||
        !outcomeFile || !logFile || !windowSeenAt || !endedAt)
        return std::nullopt;
    launch.entryText = *entryText;
    launch.key = {*scriptPath, *occurrence};
    launch.startedAt = TimeFromMilliseconds(*startedAt);
    launch.process = {*id, *startMark};
    launch.outcomeFile = PathFromUtf8(*outcomeFile);
    launch.logFile = PathFromUtf8(*logFile);
    launch.windowSeenAt = *windowSeenAt;
    launch.endedAt = *endedAt;
    if (f[11] != kNone) {
        const auto code = NumberFrom<int>(f[12]);
        const auto logProblem = Unescaped(f[13]);
        if ((f[11] != "exited" && f[11] != "signalled") || !code || !logProblem || !*endedAt)
            return std::nullopt;
        launch.outcome = ScriptOutcome{f[11] == "exited" ? ScriptOutcome::Ending::Exited
                                                         : ScriptOutcome::Ending::Signalled,
                                       *code, **endedAt, *logProblem};
    }
    if (f[14] != kNone) {
        if (f[14].find_first_not_of("srj") != std::string_view::npos) return std::nullopt;
        launch.skipped = f[14].find('s') != std::string_view::npos;
        launch.superseded = f[14].find('r') != std::string_view::npos;
        launch.journaled = f[14].find('j') != std::string_view::npos;
    }
    return launch;
}

std::string TimeStamp(WallTime time) {
    return std::to_string(MillisecondsOf(time));
}

}  // namespace

std::vector<EntryKey> EntryKeys(const std::vector<std::string>& entryTexts) {
    std::map<std::string, int> seen;
    std::vector<EntryKey> keys;
    for (const std::string& text : entryTexts) {
        const std::string path = ScriptPath(text);
        keys.push_back({path, seen[path]++});
    }
    return keys;
}

const RecordedLaunch* LaunchFor(const RunRecord& run, const EntryKey& key) {
    for (auto launch = run.launches.rbegin(); launch != run.launches.rend(); ++launch)
        if (!launch->superseded && launch->key == key) return &*launch;
    return nullptr;
}

std::string FormatRunRecord(const RunRecord& run) {
    std::string text = std::string(kFirstLine) + "\n" + std::string(kRun) + "\t" +
                       Escaped(run.runId) + "\t" + TimeStamp(run.startedAt) + "\t" +
                       (run.finished ? "finished" : "going") + "\n";
    for (const RecordedLaunch& launch : run.launches) text += FormatLaunch(launch) + "\n";
    return text + std::string(kChecksum) + "\t" + Checksum(text) + "\n";
}

std::optional<RunRecord> ParseRunRecord(std::string_view text) {
    const auto lines = LinesOf(text);
    if (!lines || lines->size() < 3 || (*lines)[0] != kFirstLine) return std::nullopt;
    const std::string_view last = lines->back();
    const std::string_view body = text.substr(0, text.size() - last.size() - 1);
    if (last != std::string(kChecksum) + "\t" + Checksum(body)) return std::nullopt;
    const std::vector<std::string_view> run = FieldsOf((*lines)[1]);
    if (run.size() != 4 || run[0] != kRun || (run[3] != "finished" && run[3] != "going"))
        return std::nullopt;
    const auto runId = Unescaped(run[1]);
    const auto startedAt = NumberFrom<std::int64_t>(run[2]);
    if (!runId || !startedAt) return std::nullopt;
    RunRecord data{*runId, TimeFromMilliseconds(*startedAt), run[3] == "finished", {}};
    for (std::size_t i = 2; i + 1 < lines->size(); ++i) {
        std::optional<RecordedLaunch> launch = ParseLaunch((*lines)[i]);
        if (!launch) return std::nullopt;
        data.launches.push_back(std::move(*launch));
    }
    return data;
}

RunRecordFile::Loaded RunRecordFile::load() const {
    std::error_code error;
    const std::filesystem::path path = file();
    if (!std::filesystem::exists(path, error) && !error) return {};
    std::string problem;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > kLargestRecord) {
        problem = "it is not a record Vantrel wrote";
    } else {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) problem = "it cannot be read";
        else if (std::optional<RunRecord> run = ParseRunRecord(text)) return {std::move(run), {}, {}};
        else problem = "it is damaged";
    }
    // Kept for a person to look at; never read again as the last run.
    const std::filesystem::path aside =
        folder_ / ("damaged-run-" + TimeStamp(std::chrono::system_clock::now()) + ".txt");
    std::filesystem::rename(path, aside, error);
    if (error) return {std::nullopt, std::nullopt, problem + ", and it cannot be moved aside: " + error.message()};
    return {std::nullopt, aside, problem};
}

void RunRecordFile::save(const RunRecord& run) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) throw FileWriteError(folder_, error.message());
    ReplaceFileAtomically(file(), FormatRunRecord(run));
}

std::string RunRecordFile::launchName(const RunRecord& run, std::size_t launch) {
    return run.runId + "-" + std::to_string(launch + 1);
}

}  // namespace vantrel
