#include "queue/ListFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
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

enum class Utf16Order { LittleEndian, BigEndian };

/// What Windows Notepad saves as "Unicode" starts with a byte-order mark.
std::optional<Utf16Order> Utf16OrderOf(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) return Utf16Order::LittleEndian;
    if (bytes.starts_with("\xFE\xFF")) return Utf16Order::BigEndian;
    return std::nullopt;
}

/// The UTF-8 form of UTF-16 text after its byte-order mark.
std::string Utf8FromUtf16(std::string_view bytes, Utf16Order order) {
    if (bytes.size() % 2 != 0) throw ListFileError("it is not UTF-16 text: it ends in half a character");
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(order == Utf16Order::LittleEndian ? first | second << 8
                                                                        : first << 8 | second);
    };
    std::string text;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 3 < bytes.size()) {
            const char32_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
                i += 2;
                utf8::Append(text, unit);
                continue;
            }
        }
        if (high || low) throw ListFileError("it is not UTF-16 text: it holds a lone surrogate");
        utf8::Append(text, unit);
    }
    return text;
}

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
    const std::string content = ReadListFileBytes(path, 2 * maxBytes + 1);
    const std::optional<Utf16Order> utf16 = Utf16OrderOf(content);
    const std::size_t allowed = utf16 ? 2 * maxBytes : maxBytes;
    if (content.size() > allowed)
        throw ListFileError("it holds more than " + std::to_string(allowed) +
                            " bytes, more than a list of the most scripts the queue holds");
    const std::string utf8Text = utf16 ? Utf8FromUtf16(content, *utf16) : ListFileText(content);
    if (utf8Text.find('\0') != std::string::npos)
        throw ListFileError(
            "it is a binary file, not a list of scripts: it holds NUL bytes (a list in UTF-16 "
            "must start with a byte-order mark)");
    if (!utf8::IsValid(utf8Text)) throw ListFileError("it is not UTF-8 text");
    std::string_view text = utf8Text;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> lines = SplitLines(text);
    RefuseOverlongLines(lines);
    return lines;
}

std::string ListedScriptPath(const std::string& listFile, const std::string& listed) {
    const fs::path path = PathFromUtf8(listed);
    if (listed.empty() || path.is_absolute()) return listed;
    std::error_code ignored;
    fs::path resolved = fs::absolute(PathFromUtf8(listFile), ignored).parent_path();
    for (const fs::path& part : path)
        if (part != ".") resolved /= part;
    const std::u8string text = resolved.u8string();
    return std::string(text.begin(), text.end());
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
