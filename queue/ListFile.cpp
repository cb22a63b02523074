#include "queue/ListFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

#include "queue/ListFileBytes.h"
#include "queue/ListFileText.h"
#include "queue/QueueEntry.h"
#include "settings/Utf8.h"

namespace vantrel {

namespace fs = std::filesystem;

namespace {

fs::path PathFromUtf8(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

/// Why the last file operation failed, as the system tells it.
std::string LastFailure(const char* fallback) {
    return errno != 0 ? std::generic_category().message(errno) : fallback;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// Lines end with CR LF, LF or CR alone, whichever editor wrote them.
std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        lines.emplace_back(content.substr(0, end));
        if (end == std::string_view::npos) break;
        const bool crLf = content.substr(end, 2) == "\r\n";
        content.remove_prefix(end + (crLf ? 2 : 1));
    }
    return lines;
}

void RefuseOverlongLines(const std::vector<std::string>& lines) {
    const std::size_t longest = LongestPathBytes();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > longest)
            throw ListFileError("line " + std::to_string(i + 1) +
                                " is longer than the longest path the system allows (" +
                                std::to_string(longest) + " bytes)");
    }
}

fs::path TemporaryBeside(const fs::path& target) {
    std::random_device random;
    fs::path temporary = target;
    temporary += "." + std::to_string(random()) + ".tmp";
    return temporary;
}

void WriteLines(const fs::path& file, const std::vector<std::string>& lines) {
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) throw ListFileError(LastFailure("the file cannot be created"));
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
    if (out) out.close();
    if (!out) throw ListFileError(LastFailure("the file cannot be written"));
}

/// A replaced file keeps who may read and write it.
void KeepPermissions(const fs::path& from, const fs::path& to) {
    std::error_code ignored;
    const fs::file_status status = fs::status(from, ignored);
    if (fs::exists(status)) fs::permissions(to, status.permissions(), ignored);
}

}  // namespace

std::vector<std::string> ReadListFile(const std::string& path) {
    // Room for the longest line, its line end and a little more, for every entry.
    const std::size_t maxBytes = kMaxEntries * (LongestPathBytes() + 5);
    // One byte more than allowed tells a file that is too large, however it grows meanwhile.
    const std::string content = ReadListFileBytes(path, maxBytes + 1);
    if (content.size() > maxBytes)
        throw ListFileError("it holds more than " + std::to_string(maxBytes) +
                            " bytes, more than a list of the most scripts the queue holds");
    if (content.find('\0') != std::string::npos)
        throw ListFileError("it holds NUL bytes, so it is not a list file");
    const std::string utf8Text = ListFileText(content);
    if (!utf8::IsValid(utf8Text)) throw ListFileError("it is not UTF-8 text");
    std::string_view text = utf8Text;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> lines = SplitLines(text);
    RefuseOverlongLines(lines);
    return lines;
}

void WriteListFile(const std::string& path, const std::vector<std::string>& lines) {
    const fs::path target = PathFromUtf8(path);
    const fs::path temporary = TemporaryBeside(target);
    try {
        WriteLines(temporary, lines);
        KeepPermissions(target, temporary);
        std::error_code error;
        fs::rename(temporary, target, error);
        if (error) throw ListFileError(error.message());
    } catch (const ListFileError&) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

}  // namespace vantrel
