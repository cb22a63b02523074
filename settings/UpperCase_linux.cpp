#include <locale.h>
#include <wctype.h>

namespace vantrel {

// glibc's C.UTF-8 locale carries the full Unicode simple case mapping,
// whatever locale the user runs in.
char32_t UpperCaseCodePoint(char32_t codePoint) {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (unicode == nullptr) return codePoint;
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(codePoint), unicode));
}

}  // namespace vantrel
