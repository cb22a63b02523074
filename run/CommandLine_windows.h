#pragma once

#include <string>
#include <string_view>

namespace vantrel {

/// The argument as one word of a Windows command line, read back unchanged
/// by CommandLineToArgvW and the C runtime: between double quotes, with the
/// backslashes before a quote doubled and the quote escaped.
std::wstring QuotedArgument(std::wstring_view argument);

}  // namespace vantrel
