// What one input file hands on to the next in a batch: the interpreter state
// that the per-file reset leaves as it is (the absolute character size, the
// number of pens, a pen left down and so on). A parallel batch translates a
// file from the state it expects the file before to hand on, and keeps the
// result only when that file did hand on that same state.
#pragma once

namespace penloom {

struct GraphicsState;

// True when the two states, each taken right after the per-file reset, give
// the next file the same start. Looks at every field the reset may leave
// alone (and at the others too, which costs little).
[[nodiscard]] bool same_file_start(const GraphicsState& a, const GraphicsState& b);

// Gives `to` the fields same_file_start looks at from `from`, so that a
// fresh state starts the next file as `from` would.
void copy_file_start(GraphicsState& to, const GraphicsState& from);

// True when the state hands an instruction on to the next file: a file that
// begins with bare numbers repeats it (TokenState::repeated_before_first
// tells that a file did).
[[nodiscard]] bool ends_on_instruction(const GraphicsState& state);

}  // namespace penloom
