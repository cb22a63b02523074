#pragma once

#include <string>

namespace vantrel {

/// The UTF-8 text of a list file's bytes. Files the program writes are UTF-8;
/// on Windows, files a user writes by hand are often in the ANSI code page, so
/// there bytes that are not valid UTF-8 are read in that code page.
std::string ListFileText(std::string bytes);

}  // namespace vantrel
