// PCL and HP-RTL mode: what the stream loop runs while the language is PCL
// (one scanned sequence and its action), and the switches between PCL and
// HP-GL/2 with the PCL cursor carried across them.
#pragma once

#include <cstdint>

namespace penloom {

struct Context;
struct ReaderState;

// One step of PCL mode: scans one sequence (pcl_scanner.h) and acts on it:
// a form feed runs PG, ESC%#B and ESC%#A switch the mode, the byte counts
// of raster, font and transparent data are skipped, ESC*p#X/Y move the
// cursor, ESC*c#E flags a stop character; everything else is ignored.
void run_pcl_step(Context& ctx);

// ESC%#A (codes -3, -2): PCL mode, unless it is already on. For -3 the
// cursor is taken from the HP-GL/2 re-entry point.
void enter_pcl(Context& ctx, int code);

// ESC%#B (codes -6 to -4): HP-GL mode. For -6 the pen is lifted and moved
// to the PCL cursor, which becomes the re-entry point and the carriage-return
// point, and plotting is absolute.
void enter_hpgl(Context& ctx, int code);

// Passes over `count` raw bytes (none when not positive), stopping at the
// end of the input, which it then marks.
void skip_pcl_data(ReaderState& reader, std::int64_t count);

}  // namespace penloom
