#include <algorithm>

#include "queue/QueueEntry.h"

namespace vantrel {

// A key name cannot hold "\", so the folders of a Windows path are kept with "/".
std::string EntryKeyName(std::string_view entryText) {
    std::string name(entryText);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string EntryTextFromKeyName(std::string_view keyName) {
    std::string text(keyName);
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::optional<std::string> PathRefusal(std::string_view) { return std::nullopt; }

}  // namespace vantrel
