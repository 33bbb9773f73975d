// PCL and HP-RTL mode: one scanned sequence and its action while the
// language is PCL. The cursor moves, stop characters and data skips happen
// here; what reaches beyond the stream (the page advance of a form feed,
// the switches between PCL and HP-GL/2) is asked of the interpreter through
// PclActions.
#pragma once

#include <cstdint>

#include "input/language_mode.h"
#include "input/pcl_state.h"
#include "input/reader.h"

namespace penloom {

// What a PCL sequence makes the interpreter do. One call per sequence that
// needs it, none per byte.
class PclActions {
public:
    // A form feed between sequences: the page advance PG.
    virtual void advance_page() = 0;
    // ESC%#B (codes -6 to -4): back to HP-GL/2.
    virtual void enter_hpgl(int code) = 0;
    // ESC%#A (codes -3, -2) met in PCL.
    virtual void enter_pcl(int code) = 0;

protected:
    ~PclActions() = default;
};

// One step of PCL mode: scans one sequence (pcl_scanner.h) and acts on it:
// a form feed advances the page, ESC%#B and ESC%#A switch the mode, the
// byte counts of raster, font and transparent data are skipped, ESC*p#X/Y
// move the cursor, ESC*c#E flags a stop character; everything else is
// ignored.
void run_pcl_sequence(ReaderState& reader, PclState& pcl, const LanguageState& language,
                      PclActions& actions);

// Passes over `count` raw bytes (none when not positive), stopping at the
// end of the input, which it then marks.
void skip_pcl_data(ReaderState& reader, std::int64_t count);

}  // namespace penloom
