#include "settings/UpperCase.h"

#include "settings/Utf8.h"

namespace vantrel {

// The platform's mapping of one code point; raw bytes never reach it.
char32_t UpperCaseCodePoint(char32_t codePoint);

std::string UpperCase(std::string_view text) {
    std::string upper;
    upper.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        // Titles are mostly ASCII, and the window count maps every one of them on each tick.
        if (const auto byte = static_cast<unsigned char>(text[pos]); byte < 0x80) {
            upper += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        const char32_t codePoint = utf8::Next(text, pos);
        utf8::Append(upper, codePoint & utf8::kRawByteMark ? codePoint
                                                           : UpperCaseCodePoint(codePoint));
    }
    return upper;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) utf8::Next(text, pos);
    return text.substr(0, pos);
}

}  // namespace vantrel
