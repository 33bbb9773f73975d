// The PCL/HP-RTL escape-sequence scanner: reads one sequence of a PCL or
// HP-RTL stream (or the text up to it) and names it with a code. It reads
// only the sequence itself; the data a sequence announces (raster rows,
// fonts, transparent print data) is left for pcl.cpp to skip.
#pragma once

#include <cstdint>

#include "input/pcl_state.h"
#include "input/reader.h"

namespace penloom {

// Codes with an action. 75 and -6 to -2 are the CommandCode values shared
// with the HP-GL dispatcher; 0 is anything unknown, incomplete or cut by
// the end of the input. Recognised sequences without an action get codes
// of their own from kIgnoredPclCodes upward (see pcl_scanner.cpp).
enum PclCode : int {
    pcl_unknown = 0,
    pcl_form_feed = 75,              // byte 12 between sequences: PG
    pcl_reset = 1000,                // ESC E
    pcl_universal_exit = 1001,       // ESC%-12345X
    pcl_skip_config_data = 1002,     // ESC&b#W
    pcl_skip_raster_plane = 1008,    // ESC*b#V, count limited to 0..32767
    pcl_skip_raster_row = 1009,      // ESC*b#W
    pcl_skip_pattern = 1013,         // ESC*c#W
    pcl_skip_raster_config = 1014,   // ESC*g#W
    pcl_cursor_x = 1018,             // ESC*p#X
    pcl_cursor_y = 1019,             // ESC*p#Y
    pcl_skip_palette = 1036,         // ESC*v#W
    pcl_skip_transparent = 1150,     // ESC&p#X
    pcl_skip_symbol_set = 1154,      // ESC(#W
    pcl_skip_font_secondary = 1158,  // ESC)s#W
    pcl_skip_font_primary = 1159,    // ESC(s#W
    pcl_stop_character = 1160,       // ESC*c#E
    pcl_stopped = 1999,              // a flagged byte ended the search for ESC
};

inline constexpr int kIgnoredPclCodes = 2000;

// One scanned sequence.
struct PclSequence {
    int code = pcl_unknown;
    std::int32_t integer = 0;  // the value text as a 32-bit integer (saturated)
    double value = 0.0;        // the same text as a double; 0 without digits
    int sign = 0;              // +1 after an explicit '+', -1 after '-', 0 without
    int terminator = 0;        // the raw terminating character; 0 when none was read
};

// Scans one sequence from the reader (next_char_keep_case). Without
// a combined sequence in progress, first searches for ESC: a form feed gives
// 75, a byte flagged in the stop-character table 1999, the end of the input
// 0. A lower-case terminator leaves the group and parameter character
// pending in `pcl` for the next call; anything else clears them.
// `pcl_context` (PJL entered PCL) is LanguageState's flag.
PclSequence scan_pcl_sequence(ReaderState& reader, PclState& pcl, bool pcl_context);

}  // namespace penloom
