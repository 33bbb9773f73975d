// Pen motion: the open polyline (the pen-down path) and the instructions
// that move the pen, PA, PR, PD, PU, and the ticks XT, YT, TL. Vertices come
// in as drawing units; a finished path goes to entity emission, cut at the
// clip window when clipping is on. In polygon mode vertices go to the
// polygon buffer instead.
#pragma once

#include "interpreter/coordinates.h"

namespace penloom {

struct InterpreterContext;

// The single entry for everything drawn. In polygon mode the vertex goes to
// the polygon buffer. Otherwise a pending fill is written first, the point
// grows the extents, and: with no polyline the point becomes its start
// point; with only the start point the list begins with it; then the point
// is appended, and with `has_bulge` the bulge goes on the previous vertex
// (the segment that ends here).
void add_path_vertex(InterpreterContext& ctx, double x, double y, double bulge, bool has_bulge);

// With the pen down: pen up, and the open polyline finished (a lone start
// point becomes a short dot unless the path was re-opened by a pen change;
// cut at the clip window; handed to emit_path_polyline). Clears the
// continued-path flag. In polygon mode it only lifts the pen.
void end_path(InterpreterContext& ctx);

// PD without parameters: with the pen up (and outside polygon mode) the
// polyline starts at the current position; the pen goes down.
void put_pen_down(InterpreterContext& ctx);

// PD to a point (drawing units): pen down as put_pen_down, then the current
// position moves there and the point is added.
void draw_to(InterpreterContext& ctx, DrawingPoint point);

// Moves with the pen up (ending the path first); in polygon mode the move
// is recorded in the polygon buffer.
void move_to(InterpreterContext& ctx, DrawingPoint point);

// Per-page reset of the path state: the vertex list freed, no polyline,
// the continued-path and polygon-mode flags cleared.
void release_page_lists(InterpreterContext& ctx);

}  // namespace penloom
