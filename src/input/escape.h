// The escape recogniser: what an ESC met in HP-GL text means. Mode switches
// to PCL become negative command codes, HP-GL/2 entry sequences are
// swallowed, device-control sequences of pen plotters (`ESC.x ... :`) are
// skipped, and a device-control mnemonic or a page advance found by the
// device-control skip becomes a command.
#pragma once

#include "input/tokenizer.h"

namespace penloom {

// Returned when a whole sequence was consumed and the search should go on
// with the next character (an HP-GL/2 entry sequence ending in `B`).
inline constexpr int kEscapeConsumed = 1000;

// Recognises the sequence whose ESC is the current character. Returns
//   0                nothing decided; the current character is looked at
//                    again (a `:` ending device control, an ESC, or -1);
//   kEscapeConsumed  nothing decided; read on;
//   -2, -3           ESC%0A / ESC%1A outside a PJL-entered PCL job;
//   75               `ESC.)` then "PG": a page advance (path counter above
//                    zero and more than 200 bytes left);
//   1..95            `ESC.x` followed by a known mnemonic, which becomes the
//                    current command (search.command) and mnemonic.
int recognise_escape(const MnemonicSearch& search);

}  // namespace penloom
