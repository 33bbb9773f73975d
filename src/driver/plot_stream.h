// The stream loop: drives one page of the plot stream through the
// interpreter by printer language (HP-GL instructions, PCL escape
// sequences, PJL commands, or skipping PCL and PostScript to the next HP-GL
// entry point) until the page or the input ends.
#pragma once

namespace penloom {

struct InterpreterContext;

// Runs one page: an IN first when the last page end asked for it, then
// steps by language mode until the end of the input (reader flag) or a page
// end (stop flag); then finishes what is pending (fill, open path).
void run_plot_stream(InterpreterContext& ctx);

// One PJL command: "[ESC%-12345X]@PJL <command>" up to the line end.
// ENTER LANGUAGE switches the mode, SET RESOLUTION and SET RET set the
// resolution; other commands are ignored. Anything that is not a PJL line
// falls back to HP-GL (the bytes read are not given back).
void run_pjl_command(InterpreterContext& ctx);

}  // namespace penloom
