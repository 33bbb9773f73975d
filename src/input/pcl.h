// PCL and HP-RTL mode: what the stream loop runs while the language is PCL,
// and the switches between PCL and HP-GL. For now PCL data is not scanned:
// PCL mode skips to the next HP-GL entry point, as the PCL and PostScript
// skips of PJL jobs do. The escape-sequence scanner replaces this file.
#pragma once

namespace penloom {

struct Context;

// One step of PCL mode: here, the skip to the next HP-GL entry point.
void run_pcl_step(Context& ctx);

// ESC%#A (codes -3, -2): PCL mode, unless it is already on.
void enter_pcl(Context& ctx, int code);

// ESC%#B (codes -6 to -4): HP-GL mode.
void enter_hpgl(Context& ctx, int code);

}  // namespace penloom
