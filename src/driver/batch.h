// The batch loop: one pass per output drawing, over one input file or the
// files of a wildcard search, then the closing line.
#pragma once

namespace penloom {

struct BatchState;
struct Context;
struct Settings;

// Takes the defaults of the run record from the settings: release, mono,
// parse trace and rotation. Switches read later override them.
void apply_settings_defaults(BatchState& batch, const Settings& settings);

// Wildcard mode: runs the directory search once (later calls do nothing);
// found_files then holds every match in the order they are taken.
void start_search(BatchState& batch);

// The next input file: always the one file in non-wildcard mode; in
// wildcard mode the next file the search found (the search runs on the
// first call). Returns false when there is none left.
bool next_input(BatchState& batch);

// Fixes the output name of the drawing about to be written. The first page
// of a single input keeps the name from the command line; every other
// drawing is named output folder + input base name (+ "-n" for page n > 1)
// + ".DXF" or ".DWG". A built name that is neither throws FatalExit{1} after
// "ERROR: Output file should be DXF or DWG\n".
void fix_output_name(Context& ctx);

// Runs the loop and prints the closing line. Returns the exit status: 0, or
// the status of the first drawing that failed. A wildcard run translates
// several files at once when parallel_jobs allows it, with the same text,
// drawings and status.
[[nodiscard]] int run_batch(Context& ctx);

}  // namespace penloom
