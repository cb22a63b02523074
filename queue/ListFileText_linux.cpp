#include "queue/ListFileText.h"

namespace vantrel {

// The locale's 8-bit encoding is UTF-8 here: the bytes are the text.
std::string ListFileText(std::string bytes) { return bytes; }

}  // namespace vantrel
