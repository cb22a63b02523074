// The UTF-8 decoder and the upper-case functions on any bytes: decoding and
// encoding again gives the bytes back, upper case keeps valid text valid and
// invalid bytes as they were, and a first-characters cut is a prefix.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/UpperCase.h"
#include "settings/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string again;
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size(); ++characters) {
        const std::size_t before = pos;
        vantrel::utf8::Append(again, vantrel::utf8::Next(text, pos));
        if (pos <= before || pos > text.size()) std::abort();
    }
    if (again != text) std::abort();

    const std::string upper = vantrel::UpperCase(text);
    if (vantrel::utf8::IsValid(text) != vantrel::utf8::IsValid(upper)) std::abort();
    for (const std::size_t count : {std::size_t{0}, characters / 2, characters, characters + 1}) {
        const std::string_view first = vantrel::FirstCharacters(text, count);
        if (!text.starts_with(first)) std::abort();
        if (count >= characters && first.size() != text.size()) std::abort();
    }
    return 0;
}
