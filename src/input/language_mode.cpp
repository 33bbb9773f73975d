// Skipping a PCL or PostScript stretch up to the next HP-GL entry point.
#include "input/language_mode.h"

namespace penloom {

void skip_to_hpgl_entry(ReaderState& reader, LanguageState& language) {
    static constexpr char kUniversalExit[] = "12345X";  // after ESC % -
    int c = next_byte(reader);
    while (c >= 0) {
        if (c != kEscape) {
            c = next_byte(reader);
            continue;
        }
        c = next_byte(reader);
        if (c != '%') continue;
        c = next_byte(reader);
        if (c == '-') {
            const char* expected = kUniversalExit;
            c = next_byte(reader);
            while (*expected != '\0' && c == *expected) {
                ++expected;
                if (*expected != '\0') c = next_byte(reader);
            }
            if (*expected == '\0') break;
            continue;  // c broke the pattern: look at it again
        }
        if (c == '0' || c == '1') {
            c = next_byte(reader);
            if (c == 'B') break;
        }
    }
    language.mode = language_hpgl;
}

}  // namespace penloom
