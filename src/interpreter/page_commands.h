// Pages: the per-page initialisation of the graphics state, the commands
// that reset it (IN, DF) or end a page (PG, NR, RP), and the page signals
// the pipeline reads after the stream loop.
#pragma once

namespace penloom {

struct InterpreterContext;
struct GraphicsState;

// Prepares the state for a page. Everything page-bound is reset; the first
// page of a file (more-pages flag clear) also resets the language, the
// hard-clip limits, P1 and P2, the page size, the user window, the rotation
// and the fonts. Later pages keep those. Also takes the drawing factor from
// the settings.
void initialize_file_state(InterpreterContext& ctx);

// A new input file is taken: forget the pages of the last one (more-pages
// flag and page counter), so the next initialize_file_state is a first page.
void start_input_file(GraphicsState& gs);

// The stream loop stopped at a page end (PG, NR, or NR then IN).
bool page_ended(const GraphicsState& gs);

// The next drawing continues this input: a page ended and input is left.
bool input_continues(const GraphicsState& gs);

}  // namespace penloom
