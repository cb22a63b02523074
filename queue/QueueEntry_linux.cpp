#include "queue/QueueEntry.h"

namespace vantrel {

// "/" separates folders here, so entry texts are key names as they stand.
std::string EntryKeyName(std::string_view entryText) { return std::string(entryText); }

std::string EntryTextFromKeyName(std::string_view keyName) { return std::string(keyName); }

// "\" separates key levels in the store, so it cannot be part of a key name.
std::optional<std::string> PathRefusal(std::string_view path) {
    if (path.find('\\') == std::string_view::npos) return std::nullopt;
    return "The path " + std::string(path) +
           " holds a backslash (\\), which the queue cannot store. Rename the file or its "
           "folder and try again.";
}

}  // namespace vantrel
