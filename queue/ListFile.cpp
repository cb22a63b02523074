#include "queue/ListFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

#include "queue/ListFileText.h"

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

std::vector<std::string> SplitLines(std::string_view content) {
    std::vector<std::string> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    }
    return lines;
}

std::string ReadWholeFile(const fs::path& file) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ListFileError(LastFailure("the file cannot be opened"));
    std::string content;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw ListFileError(LastFailure("the file cannot be read"));
    return content;
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
    const std::string content = ReadWholeFile(PathFromUtf8(path));
    if (content.find('\0') != std::string::npos)
        throw ListFileError("it holds NUL bytes, so it is not a list file");
    return SplitLines(ListFileText(content));
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
