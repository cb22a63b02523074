#pragma once

#include <cstddef>
#include <string>

// The platform's part of reading a list file.

namespace vantrel {

/// The longest path the system allows, in bytes of UTF-8.
std::size_t LongestPathBytes();

/// The bytes of the file at `path` (UTF-8), at most `limit` of them, from a
/// regular file: a FIFO, a device or a folder is refused without waiting on
/// it. Throws ListFileError when the file is not a regular one or cannot be read.
std::string ReadListFileBytes(const std::string& path, std::size_t limit);

}  // namespace vantrel
