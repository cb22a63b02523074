#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A list file holds one entry text per line, in queue order, as 8-bit text
// (UTF-8 here); it is written without a byte-order mark.

namespace vantrel {

/// A list file that cannot be read or written; what() says why.
class ListFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The lines of the list file at `path` (UTF-8; UTF-16 when it starts with
/// that byte-order mark, little- or big-endian; on Windows a file that is not
/// valid UTF-8 is read in the ANSI code page), each without its line end (CR
/// LF, LF or CR alone). A byte-order mark at the start is dropped. A last line
/// without a line end is a line; a line end at the very end adds none; an
/// empty line is an empty text. The whole file is read before anything is
/// returned. Throws ListFileError when the file is not a regular file, cannot
/// be opened or read, holds more than a list of the most entries the queue
/// holds can need, holds NUL bytes (a binary file) or text that is not UTF-8
/// or UTF-16, or has a line longer than the longest path the system allows;
/// no list file does.
std::vector<std::string> ReadListFile(const std::string& path);

/// The script path `listed`, read from `listFile`, as the queue keeps it: a
/// relative path names a file from the list file's folder and is made absolute
/// ("." parts dropped); an absolute or empty one stays as it is.
std::string ListedScriptPath(const std::string& listFile, const std::string& listed);

/// Writes every line followed by CR LF; no lines give an empty file. An
/// existing file is replaced only once the new content is complete: it is
/// written beside it under a temporary name and then renamed over it.
/// Throws ListFileError when the file cannot be created or written, leaving
/// an existing file as it was.
void WriteListFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vantrel
