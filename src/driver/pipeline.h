// The per-file translation pipeline: one pass turns the open plot stream
// into one output drawing. The batch loop calls translate_one once per
// drawing with the output name already fixed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/file_handle.h"

namespace penloom {

struct Context;

// A drawing saved under a stand-in name, waiting to be renamed to its own.
struct StagedDrawing {
    std::string staged_name;
    std::string output_name;
};

// What the pipeline keeps between the passes over one input file.
struct PipelineState {
    FileHandle input;              // the plot file, open for binary reading
    bool keep_input_open = false;  // a page end left input behind
    bool input_is_plx = false;     // the input is itself a parse trace
    std::string trace_path;        // parse trace file of this input; empty when not tracing
    std::int64_t file_length = 0;  // bytes, measured on the first pass of a file

    // Parallel batch: when the prefix is set, every drawing is saved as
    // prefix + its number + ".tmp" instead of its output name and listed in
    // `staged`; the batch gives them their names once every earlier file is
    // done.
    std::string staging_prefix;
    std::vector<StagedDrawing> staged;
};

// Translates one drawing. `continue_input` says on entry whether the input
// is still open from the previous pass (a page end), and on return whether
// the next pass should continue it. Prints the progress line and, on
// success outside a test run, " OK.", then the line end. Returns 0, or the
// status that ends the batch. Unreadable input and identical input and
// output names end the run by throwing FatalExit{-1}.
[[nodiscard]] int translate_one(Context& ctx, bool& continue_input);

// Prints "%s -> %s (R%s format) " and the rotation, without a line end.
void print_progress_line(Context& ctx);

// Opens the plot file on a first pass (a failure prints its diagnosis and
// throws FatalExit{-1}), then applies the parse trace rule: a PLX input turns
// tracing off for the rest of the run; otherwise, when tracing, the trace
// file name is the input path with the extension "plx".
void open_plot_file(Context& ctx, bool continue_input);

// Closes the input and the parse trace unless a page end keeps the input
// open for the next pass.
void close_plot_files(Context& ctx);

// Drops whatever input is still open, its parse trace and the keep-open
// request (end of a file in wildcard mode, end of the run, a fatal exit).
void release_plot_input(Context& ctx);

// The save step: refuses identical input and output names (FatalExit{-1},
// also in a test run); in a test run writes nothing and returns 0.
// Otherwise writes the drawing (directly, or through "~tmphp~.dxf" and the
// converter) and returns 0, 100 + the database error, or the converter's
// status.
[[nodiscard]] int save_output(Context& ctx);

}  // namespace penloom
