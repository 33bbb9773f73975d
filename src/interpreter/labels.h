// Labels: LB text becomes TEXT entities (one per line, or one per
// character for vertical labels) placed over the HP-GL character cells;
// symbol mode puts one character at every plotted vertex. The cell
// instructions (DT, DI, DR, DV, LO, CP, SM) are in label_cells.cpp, the
// sizes and font definitions in fonts.cpp.
#pragma once

#include <string_view>

namespace penloom {

struct InterpreterContext;
struct GraphicsState;

// The longest label text kept; the rest of a longer text is read and dropped.
inline constexpr std::size_t kMaxLabelText = 5100;

// The label offset and justification codes from the LO code and the
// current height and width.
void set_label_origin(GraphicsState& gs);

// True when clipping is off, or when at least 3 of the 4 corners of the
// line's box (from insertion point P, measured with label_width) lie in the
// clip window.
bool label_visible(const InterpreterContext& ctx, std::string_view line, double px, double py);

// Writes one line of a label at insertion point P as TEXT (per character
// when vertical labels are on). Nothing happens without an open drawing.
void write_label_line(InterpreterContext& ctx, std::string_view line, double px, double py);

// Called after every plotted vertex (with the carriage-return point already
// at the new pen position): draws the symbol of symbol mode, if on. The pen
// does not move.
void plot_symbol(InterpreterContext& ctx);

}  // namespace penloom
