#include <windows.h>

namespace vantrel {

// CharUpperBuffW is what the registry and the window manager compare with.
char32_t UpperCaseCodePoint(char32_t codePoint) {
    if (codePoint > 0xFFFF) return codePoint;
    WCHAR unit = static_cast<WCHAR>(codePoint);
    CharUpperBuffW(&unit, 1);
    return unit;
}

}  // namespace vantrel
