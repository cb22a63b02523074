#pragma once

#include <string_view>

namespace vantrel::win32 {

/// Writes UTF-8 text where a console program's standard output or error
/// goes: to the handle the program was given (a file, a pipe, a console), or,
/// when it was given none, as a program with a window started from a console
/// is not, to the console of the program that started it. Lines end in CR LF.
void WriteStandardOutput(std::string_view text);
void WriteStandardError(std::string_view text);

}  // namespace vantrel::win32
