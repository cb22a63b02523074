#include "run/RunJournal.h"

#include <fstream>
#include <system_error>

#include "queue/LocalTime.h"

namespace vantrel {

namespace {

/// A tab or a line end inside a field would start a new column or row in a
/// spreadsheet; each becomes a space.
std::string Field(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string TimeField(const std::optional<WallTime>& time) {
    return time ? IsoLocalTime(*time) : std::string();
}

/// UTF-8 on every platform, for messages.
std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Formatted(const JournalLine& line) {
    const std::string seconds = line.endedAt ? SecondsText(*line.endedAt - line.startedAt) : "";
    return Field(line.entryText) + '\t' + Field(line.scriptPath) + '\t' +
           IsoLocalTime(line.startedAt) + '\t' + TimeField(line.windowSeenAt) + '\t' +
           TimeField(line.endedAt) + '\t' + seconds + '\t' + Field(line.exitStatus) + '\t' +
           Field(line.log);
}

}  // namespace

std::filesystem::path RunJournal::fileFor(WallTime time) const {
    return folder_ / ("journal-" + LocalDate(time) + ".tsv");
}

void RunJournal::append(const JournalLine& line) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        throw JournalError("cannot create the folder " + PathText(folder_) + ": " + error.message());
    const std::filesystem::path file = fileFor(line.startedAt);
    const bool isNew = !std::filesystem::exists(file, error) || std::filesystem::file_size(file, error) == 0;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (isNew) out << kJournalHeader << "\r\n";
    out << Formatted(line) << "\r\n";
    out.flush();
    if (!out) throw JournalError("cannot write to " + PathText(file));
}

}  // namespace vantrel
