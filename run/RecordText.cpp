#include "run/RecordText.h"

namespace vantrel {

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') escaped += "\\\\";
        else if (c == '\n') escaped += "\\n";
        else if (c == '\r') escaped += "\\r";
        else if (c == '\t') escaped += "\\t";
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
        else if (text[i] == 't') plain += '\t';
        else return std::nullopt;
    }
    return plain;
}

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

std::vector<std::string_view> FieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t begin = 0;;) {
        const std::size_t end = line.find('\t', begin);
        fields.push_back(line.substr(begin, end - begin));
        if (end == std::string_view::npos) return fields;
        begin = end + 1;
    }
}

std::int64_t MillisecondsOf(WallTime time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

WallTime TimeFromMilliseconds(std::int64_t milliseconds) {
    return WallTime(
        std::chrono::duration_cast<WallTime::duration>(std::chrono::milliseconds(milliseconds)));
}

}  // namespace vantrel
