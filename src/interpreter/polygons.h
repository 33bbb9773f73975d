// Polygon mode and filled shapes.
#pragma once

namespace penloom {

struct Context;

// Writes the fill that waits for the next drawing command, if there is one,
// and clears the fill-pending flag.
void finish_pending_fill(Context& ctx);

// Where vectors, arcs and Bezier curves send their vertices in polygon mode
// (drawing units; the bulge belongs to the segment ending at the point).
// Pen-up moves come here too, with the pen up. Not collected yet.
void polygon_add_vertex(Context& ctx, double x, double y, double bulge, bool has_bulge);

// A whole circle (CI in polygon mode, R14 and later). Not collected yet.
void polygon_add_circle(Context& ctx, double centre_x, double centre_y, double radius);

}  // namespace penloom
