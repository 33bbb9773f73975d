// The parallel batch: the files of a wildcard run translated several at a
// time, each in a context of its own, with exactly the console text, the
// drawings and the exit status of a run that takes them one after another.
#pragma once

namespace penloom {

struct Context;

// How many files of the run's wildcard search to translate at once: /J or
// `Jobs` (0: one per online CPU), at most one per file. 1 (one at a time)
// outside wildcard mode and whenever files of the run share a file besides
// their inputs: the `trace` setting (it keeps "~tmphp~.dxf"), the parse
// trace, output through the converter (it works through "~tmphp~.dxf"), and
// an input that is itself a drawing (an earlier file could write it).
// Needs the search done (found_files).
[[nodiscard]] int parallel_jobs(const Context& ctx);

// Runs the batch over the found files with `jobs` workers and prints the
// closing line, as run_batch does. Every file's console text is printed in
// input order as soon as it and the files before it are done; drawings are
// saved under stand-in names and renamed in input order, so that a failure
// leaves exactly the drawings a one-at-a-time run would have left. Returns
// the exit status; a fatal exit of a file is thrown again here.
[[nodiscard]] int run_parallel_batch(Context& ctx, int jobs);

}  // namespace penloom
