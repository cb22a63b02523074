#include <windows.h>

#include <algorithm>

#include "base/WideText_windows.h"
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

std::optional<std::string> WhyNotAFile(const std::string& path) {
    const std::optional<std::wstring> wide = WideFromUtf8(path);
    const DWORD attributes =
        wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) return "nothing is there";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder";
    if (attributes & FILE_ATTRIBUTE_DEVICE) return "a device";
    return std::nullopt;
}

}  // namespace vantrel
