#pragma once

#include <string>
#include <string_view>

namespace vantrel {

/// The UTF-8 text with every letter in upper case, non-ASCII letters included,
/// as the platform's own case rules map them. Invalid UTF-8 bytes are kept as
/// they are, so every text has an upper-case form.
std::string UpperCase(std::string_view utf8);

/// The first `count` characters (code points) of a UTF-8 text.
std::string_view FirstCharacters(std::string_view utf8, std::size_t count);

}  // namespace vantrel
