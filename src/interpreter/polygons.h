// Polygon mode and filled shapes: PM collects the segments of the vector
// and arc commands into the polygon buffer (polygon_buffer.h); EP outlines
// it, FP fills it. Solid fills wait (fill pending) so that consecutive
// polygons are written as one combined fill; anything else drawn finishes
// the waiting fill first.
#pragma once

#include "construction/open_path.h"

namespace penloom {

struct InterpreterContext;
struct GraphicsState;

// Before every page: both fill pattern lists freed, the fill state at its
// start values and the FT3/FT4 spacings cleared (fill_types.cpp).
void reset_fill_state(GraphicsState& gs);

// Writes the fill that waits for the next drawing command, if there is one,
// and clears the fill-pending flag.
void finish_pending_fill(InterpreterContext& ctx);

// Where vectors, arcs and Bezier curves send their vertices in polygon mode
// (drawing units; the bulge belongs to the segment ending at the point).
// Pen-up moves come here too, with the pen up.
void polygon_add_vertex(InterpreterContext& ctx, double x, double y, double bulge, bool has_bulge);

// A whole circle (CI in polygon mode, R14 and later): a subpolygon of its
// own; the next vertex begins a new subpolygon at the current position.
void polygon_add_circle(InterpreterContext& ctx, double centre_x, double centre_y, double radius);

// A whole ellipse (CI in polygon mode under anisotropic scaling, R14 and
// later): its chords as a closed subpolygon of its own, then as for a circle.
struct UserArc;
void polygon_add_ellipse(InterpreterContext& ctx, const UserArc& ellipse);

// Closes the last subpolygon of both lists (once): a closing segment back
// to its first point, which becomes the current position; the fill list's
// copy is cleaned and dropped when degenerate or outside the clip window.
void close_subpolygon(InterpreterContext& ctx);

// PM0 and PM2 without reading parameters.
void begin_polygon_mode(InterpreterContext& ctx);
void end_polygon_mode(InterpreterContext& ctx);

// A circle filled as PM0, CI, PM2, FP would fill it (symbol mode's dot);
// below R14 the circle is drawn as CI draws it and nothing is filled.
void fill_circle(InterpreterContext& ctx, double centre_x, double centre_y, double radius);

// FP's logic (`read_rule`: read the rule parameter). `flush_only` finishes
// a pending fill: everything in the buffer (or its first `limit`
// subpolygons), combined.
void run_fill(InterpreterContext& ctx, bool read_rule, bool flush_only, int limit = -1);

// Outlines the pen-down runs of every subpolygon of the edge list, then
// empties both lists.
void run_edge(InterpreterContext& ctx);

// Leaves polygon mode and empties the buffer (RA, RR, EA, ER, WG, PE
// rectangles). A pending fill is written first, so that nothing drawn
// before is lost.
void clear_polygon_buffer(InterpreterContext& ctx);

// Appends a closed subpolygon through the vertices (drawing units; a
// vertex's bulge belongs to the segment leaving it) to both lists, pen
// down, growing the extents. Returns false when it was dropped.
bool add_closed_polygon(InterpreterContext& ctx, const PathVertex* vertices, int count);

// A rectangle between two corners (drawing units) filled with the even-odd
// rule in a buffer of its own; the current position does not change. With
// `stay_in_polygon_mode` (PE rectangles in polygon mode) polygon mode is on
// again afterwards, ready for a new subpolygon.
void fill_rectangle(InterpreterContext& ctx, double x0, double y0, double x1, double y1,
                    bool stay_in_polygon_mode);

// PM0's restart for PE's first rectangle in polygon mode: no fill pending,
// the buffer emptied, the origin at the current position.
void restart_polygon_mode(InterpreterContext& ctx);

// The page reset's share: buffers freed, polygon flags cleared, the fill
// state and pattern lists back to their start.
void release_polygon_lists(InterpreterContext& ctx);

// The code of the next instruction in the input, without consuming it (0
// when none follows, or ESC comes first).
int peek_command(InterpreterContext& ctx);

}  // namespace penloom
