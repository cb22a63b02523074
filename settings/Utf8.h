#pragma once

#include <string>
#include <string_view>

namespace vantrel::utf8 {

/// Decodes the code point at `pos` and advances `pos` past it. A byte that
/// does not start a valid sequence decodes as itself (a value above 0x10FFFF
/// marks it) so that callers can copy it unchanged.
char32_t Next(std::string_view text, std::size_t& pos);

constexpr char32_t kRawByteMark = 0x80000000;

void Append(std::string& out, char32_t codePoint);

/// True when every byte of the text belongs to a valid UTF-8 sequence.
bool IsValid(std::string_view text);

}  // namespace vantrel::utf8
