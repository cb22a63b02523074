#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

/// The highest entry number that keeps its two digits; the queue is sound up to it.
constexpr int kMaxEntries = 99;

/// The entry number in the format "00": 4 gives "04", 12 gives "12".
std::string EntryNumber(int number);

/// Entry number, "-", and the script's full path: what the list shows.
std::string EntryText(int number, std::string_view path);

/// The entry text less its first three characters; empty for shorter texts.
std::string ScriptPath(std::string_view entryText);

/// The script path a line of a list file names: an entry text less its
/// two-digit number and "-", or else the line as it stands (a bare path).
std::string PathOfListLine(std::string_view line);

/// The number read from the first two characters, changed by `delta`, in the
/// format "00", followed by "-" and everything from the fourth character on.
/// Nothing when the text does not start with two digits.
std::optional<std::string> RenumberedEntryText(std::string_view entryText, int delta);

/// The name of the entry's key in the queue record. The platform decides:
/// on Windows every "\" becomes "/", elsewhere the text stands as it is.
std::string EntryKeyName(std::string_view entryText);

/// The entry text a key name of the queue record stands for (the reverse of EntryKeyName).
std::string EntryTextFromKeyName(std::string_view keyName);

/// Why a script path cannot enter the queue on this platform, or nothing when it can.
std::optional<std::string> PathRefusal(std::string_view path);

/// What the path names when that is not a file a script can be read from ("a
/// folder", "a device", or that nothing is there); nothing for a regular file.
std::optional<std::string> WhyNotAFile(const std::string& path);

}  // namespace vantrel
