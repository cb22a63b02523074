#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

/// The UTF-16 form of a UTF-8 text, as the wide Windows functions take it;
/// nothing when the text is not valid UTF-8, so no character is ever replaced.
std::optional<std::wstring> WideFromUtf8(std::string_view utf8);

/// The UTF-8 form of a UTF-16 text. An unpaired surrogate, which has no UTF-8
/// form, becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

/// The system's description of an error code (GetLastError, LSTATUS), in UTF-8.
std::string SystemErrorText(unsigned long code);

}  // namespace vantrel
