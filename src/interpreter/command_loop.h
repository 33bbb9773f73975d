// The HP-GL command loop: one instruction per step, found by the tokenizer
// and sent through the dispatch table to its handler.
#pragma once

namespace penloom {

struct InterpreterContext;

// The tokenizer's mnemonic search (read_mnemonic) over the run's reader and
// tokens, with the interpreter's pending fill finished where the search
// hands control elsewhere.
int search_mnemonic(InterpreterContext& ctx, bool stop_at_escape);

// One step: finds the next instruction and runs it, then counts it. At the
// end of the input nothing is dispatched.
void run_hpgl_command(InterpreterContext& ctx);

// Runs the handler of a `CommandCode`; codes outside -8..95 do nothing.
// Always returns 0.
int dispatch(InterpreterContext& ctx, int code);

// What the end of a page or of the input finishes: a pending fill and the
// open path.
void flush_pending_output(InterpreterContext& ctx);

}  // namespace penloom
