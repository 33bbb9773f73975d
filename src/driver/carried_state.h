// What one input file hands on to the next in a batch: the interpreter state
// that the per-file reset leaves as it is (pen-down flag, fill type, line
// type settings, tick length, the absolute character size and so on). A
// parallel batch translates each file from the state of a fresh run and
// keeps the result only when the file before it handed on that same state.
#pragma once

namespace penloom {

struct GraphicsState;

// True when the two states, each taken right after the per-file reset, give
// the next file the same start. Looks at every field the reset may leave
// alone; the owned lists count only by their length.
[[nodiscard]] bool same_file_start(const GraphicsState& a, const GraphicsState& b);

// True when the state hands an instruction on to the next file: a file that
// begins with bare numbers repeats it (TokenState::repeated_before_first
// tells that a file did); a fresh start has none.
[[nodiscard]] bool ends_on_instruction(const GraphicsState& before);

}  // namespace penloom
