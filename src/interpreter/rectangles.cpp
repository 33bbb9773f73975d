// Rectangles: RA and RR fill one, EA and ER outline one; AC (anchor
// corner) is read and has no lasting effect.
#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "input/tokenizer.h"
#include "interpreter/coordinates.h"
#include "interpreter/handlers.h"
#include "interpreter/pens.h"
#include "interpreter/polygons.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

// The opposite corner of RA/EA (absolute) or RR/ER (a displacement from
// the current position), in drawing units. False without two numbers.
bool read_corner(InterpreterContext& ctx, bool relative, DrawingPoint& corner) {
    GraphicsState& gs = ctx.gs;
    if (read_numbers(gs, 2) < 2) return false;
    corner = transform_point(gs, gs.tokens.values[0], gs.tokens.values[1], relative);
    if (relative) {
        corner.x += gs.current_x;
        corner.y += gs.current_y;
    }
    return true;
}

}  // namespace

// RA x,y / RR dx,dy: a filled rectangle from the current position; the
// position stays.
void cmd_ra_rr(InterpreterContext& ctx, int code) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    clear_polygon_buffer(ctx);
    DrawingPoint corner;
    if (!read_corner(ctx, code == command_rr, corner)) return;
    grow_extents(gs, gs.current_x, gs.current_y);
    grow_extents(gs, corner.x, corner.y);
    ++gs.path_counter;
    fill_rectangle(ctx, gs.current_x, gs.current_y, corner.x, corner.y, false);
}

// EA x,y / ER dx,dy: the rectangle's outline as a path; EA leaves absolute
// and ER relative plotting in force. The position stays at the start.
void cmd_ea_er(InterpreterContext& ctx, int code) {
    GraphicsState& gs = ctx.gs;
    const bool relative = code == command_er;
    if (gs.pen_down) reopen_path(ctx);
    clear_polygon_buffer(ctx);
    const bool was_down = gs.pen_down;
    DrawingPoint corner;
    if (!read_corner(ctx, relative, corner)) return;
    gs.relative_plotting = relative;
    if (!gs.pen_down) put_pen_down(ctx);
    const double x0 = gs.current_x, y0 = gs.current_y;
    const PathVertex corners[4] = {
        {corner.x, y0, 0.0}, {corner.x, corner.y, 0.0}, {x0, corner.y, 0.0}, {x0, y0, 0.0}};
    for (const PathVertex& v : corners) add_path_vertex(ctx, v.x, v.y, 0.0, false);
    const PathVertex polygon[4] = {{x0, y0, 0.0}, corners[0], corners[1], corners[2]};
    add_closed_polygon(ctx, polygon, 4);
    end_path(ctx);
    if (was_down) {
        put_pen_down(ctx);
        gs.continued_path = true;
    }
}

// AC [x,y]: read and transformed; no pattern is anchored to it.
void cmd_ac(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (read_numbers(gs, 2) == 2)
        (void)transform_point(gs, gs.tokens.values[0], gs.tokens.values[1], false);
}

}  // namespace penloom
