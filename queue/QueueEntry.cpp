#include "queue/QueueEntry.h"

#include <cstdio>

namespace vantrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string EntryNumber(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

std::string EntryText(int number, std::string_view path) {
    return EntryNumber(number) + "-" + std::string(path);
}

std::string ScriptPath(std::string_view entryText) {
    return entryText.size() < 3 ? std::string() : std::string(entryText.substr(3));
}

std::string PathOfListLine(std::string_view line) {
    const bool numbered = line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && line[2] == '-';
    return std::string(numbered ? line.substr(3) : line);
}

std::optional<std::string> RenumberedEntryText(std::string_view entryText, int delta) {
    if (entryText.size() < 2 || !IsDigit(entryText[0]) || !IsDigit(entryText[1]))
        return std::nullopt;
    const int number = (entryText[0] - '0') * 10 + (entryText[1] - '0');
    return EntryNumber(number + delta) + "-" + ScriptPath(entryText);
}

}  // namespace vantrel
