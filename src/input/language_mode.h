// The printer language the stream is read in (`LanguageMode`) and the
// language-related flags that PJL and the escape handling share, plus the
// skip over PCL or PostScript to the next HP-GL entry point.
#pragma once

#include "input/reader.h"

namespace penloom {

enum LanguageMode : int {
    language_hpgl = 1,             // HP-GL instructions
    language_pcl = 2,              // HP-RTL/PCL escape sequences
    language_pjl = 3,              // PJL commands
    language_skip_pcl = 4,         // PCL, skipped to the next HP-GL entry point
    language_skip_postscript = 5,  // PostScript, skipped likewise
};

struct LanguageState {
    int mode = language_hpgl;  // a LanguageMode
    bool pcl_context = false;  // PJL entered PCL: ESC%0A and ESC%1A are not mode switches
    int resolution = 300;      // dots per inch: 300, 600, 1200 or 2400
    bool ret_on = false;       // PJL "SET RET=ON" seen
};

// Reads raw bytes until ESC `%` followed by "-12345X", "0B" or "1B" (all
// consumed; a byte that breaks the pattern is looked at again as a possible
// ESC), or the end of the input; then the mode is HP-GL.
void skip_to_hpgl_entry(ReaderState& reader, LanguageState& language);

}  // namespace penloom
