#include <sys/stat.h>

#include <cerrno>
#include <system_error>

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

std::optional<std::string> WhyNotAFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return errno == ENOENT ? "nothing is there"
                               : "it cannot be reached (" + std::generic_category().message(errno) + ")";
    if (S_ISREG(status.st_mode)) return std::nullopt;
    if (S_ISDIR(status.st_mode)) return "a folder";
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "a device";
    if (S_ISFIFO(status.st_mode)) return "a named pipe";
    if (S_ISSOCK(status.st_mode)) return "a socket";
    return "not a regular file";
}

}  // namespace vantrel
