// What the PCL/HP-RTL scanner keeps between sequences: the PCL cursor, the
// stop characters of ESC*c#E, a combined sequence still in progress, and
// the pen position at which HP-GL/2 was last entered at the cursor. The
// resolution the cursor is measured in lives in LanguageState, because PJL
// sets it. Reset on the first page of a file; later pages keep it.
#pragma once

#include <bitset>

namespace penloom {

// ESC*c#E flags a byte value; values up to 511 are kept, larger ones ignored.
inline constexpr int kPclStopCharacters = 512;

struct PclState {
    // From ESC*p#X / ESC*p#Y, and from ESC%1A.
    double cursor_x = 0.0;  // PCL dots from the left page edge
    double cursor_y = 0.0;  // PCL dots from the top page edge, downward

    // From ESC%1B: where the pen was placed, for a later ESC%1A.
    double reentry_x = 0.0;  // drawing units
    double reentry_y = 0.0;  // drawing units

    // A combined sequence (`ESC&l1o2A`) after its lower-case terminator.
    int pending_group = 0;      // '%', '&', '*', '(' or ')'; 0 none
    int pending_parameter = 0;  // the lower-case parameter character; 0 none

    // A flagged byte ends the search for the next ESC.
    std::bitset<kPclStopCharacters> stop_characters;
};

}  // namespace penloom
