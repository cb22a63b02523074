#pragma once

// What the small text files the runs leave behind are made of: one record per
// line, fields escaped so that any path fits in one, numbers in decimal.

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "queue/ScriptTable.h"

namespace vantrel {

/// The text on one line and in one tab-separated field: tabs, line ends and
/// backslashes escaped.
std::string Escaped(std::string_view text);
/// The text Escaped made; nullopt for anything else.
std::optional<std::string> Unescaped(std::string_view text);

/// The whole text as a decimal number, or nullopt.
template <typename Number>
std::optional<Number> NumberFrom(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

/// The lines of a text that ends with a line end; nothing when it does not.
std::optional<std::vector<std::string_view>> LinesOf(std::string_view text);
/// The tab-separated fields of a line.
std::vector<std::string_view> FieldsOf(std::string_view line);

/// A time as milliseconds since the epoch, and back.
std::int64_t MillisecondsOf(WallTime time);
WallTime TimeFromMilliseconds(std::int64_t milliseconds);

}  // namespace vantrel
