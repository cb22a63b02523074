#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrel {

/// A file could not be written; what() names it and gives the reason.
class FileWriteError : public std::runtime_error {
public:
    FileWriteError(const std::filesystem::path& file, std::string reason);
    /// The system's words for what went wrong ("No space left on device").
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

/// Replaces `file` with `bytes` so that a reader, a crash or a power cut finds
/// the old content or the new, never a part of either: the bytes go to a
/// temporary file in the same folder, reach the disk, and are renamed over
/// the file. The folder must exist. Throws FileWriteError.
void ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace vantrel
