// The interpreter's side of PCL mode: a PCL step with its actions, and the
// switches between PCL and HP-GL/2 with the PCL cursor carried across them.
#pragma once

namespace penloom {

struct InterpreterContext;

// One step of PCL mode (run_pcl_sequence in input/pcl.h): a form feed runs
// PG, ESC%#B and ESC%#A switch the mode here; the rest stays in the input.
void run_pcl_step(InterpreterContext& ctx);

// ESC%#A (codes -3, -2): PCL mode, unless it is already on. For -3 the
// cursor is taken from the HP-GL/2 re-entry point.
void enter_pcl(InterpreterContext& ctx, int code);

// ESC%#B (codes -6 to -4): HP-GL mode. For -6 the pen is lifted and moved
// to the PCL cursor, which becomes the re-entry point and the carriage-return
// point, and plotting is absolute.
void enter_hpgl(InterpreterContext& ctx, int code);

}  // namespace penloom
