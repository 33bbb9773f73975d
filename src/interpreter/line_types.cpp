// LT: the line type of what follows, as an index into the drawing's
// linetype list, with the pattern length it is drawn at.
#include <cmath>
#include <utility>

#include "construction/linetypes.h"
#include "interpreter/interpreter_context.h"
#include "interpreter/handlers.h"
#include "interpreter/pens.h"
#include "interpreter/reset_hooks.h"

namespace penloom {

namespace {

constexpr int kSwapLineTypes = 99;

// Relative pattern lengths are percentages of the P1-P2 diagonal, at
// 0.025 mm per plotter unit.
constexpr double kPercentOfPlotterUnits = 0.00025;

double diagonal(const GraphicsState& gs) {
    double dx = static_cast<double>(gs.p2_x) - gs.p1_x;
    double dy = static_cast<double>(gs.p2_y) - gs.p1_y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

// LT [type[,length[,mode]]]. Without parameters lines are solid again;
// LT99 swaps back to the line type before the last one. Types with no
// pattern of their own (above 16, below -8) leave everything as it was.
void cmd_lt(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    int count = read_numbers(gs, 21);
    if (count == 0) {
        gs.current_linetype = -1;
        gs.previous_linetype = 0;
        return;
    }
    int type = gs.tokens.integers[0];
    if (type != kSwapLineTypes && template_index(type) < 0) return;
    PenState& pens = gs.pens;
    if (count >= 2) {
        if (count == 3) pens.pattern_mode = gs.tokens.integers[2];
        double length = gs.tokens.values[1];
        pens.pattern_length =
            pens.pattern_mode != 0 ? length : diagonal(gs) * length * kPercentOfPlotterUnits;
    }
    if (type == kSwapLineTypes) {
        std::swap(gs.current_linetype, gs.previous_linetype);
        return;
    }
    gs.previous_linetype = gs.current_linetype;
    gs.current_linetype = iget_linetype(ctx.drawing, ctx.out, type, pens.pattern_length);
}

// The drawing's linetype list is emptied with the table: every page
// starts its line types afresh.
void reset_linetype_table(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    ctx.drawing.linetypes.records.clear();
    gs.current_linetype = -1;
    gs.previous_linetype = 0;
    gs.pens.pattern_length = 20.0;
    gs.pens.pattern_mode = 0;
}

}  // namespace penloom
