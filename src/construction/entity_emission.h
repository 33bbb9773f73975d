// Entity emission for line work: what the interpreter has drawn (paths as
// vertex lists, arcs, circles; drawing units) becomes entities of the open
// drawing's model space, with the current pen's layer, colour, linetype,
// lineweight and width. Polylines are LWPOLYLINE, or 2D POLYLINE with
// VERTEX and SEQEND where the output release or a patterned linetype needs
// it. With no drawing open nothing is written.
#pragma once

#include <cstdint>

#include "construction/drawing_state.h"
#include "construction/open_path.h"

namespace penloom {

struct ConstructionContext;

// The common set-up of every entity: type, defaults, a new handle, the
// current layer, the linetype of list index `linetype` (>= 0; -1 leaves
// BYLAYER) and the colour (>= 0; -1 leaves BYLAYER; 7 in monochrome).
void begin_entity(ConstructionContext& ctx, std::uint16_t type, int colour, int linetype, EntityRecords& records);

// Adds the entity to model space. On failure the database error is
// reported (location -88) and only this entity is lost; returns false.
[[nodiscard]] bool add_entity_to_drawing(ConstructionContext& ctx, EntityRecords& records);

// True when polylines are written as LWPOLYLINE: release R14 or later,
// `OutputPolyline` off and no patterned linetype in force.
bool use_lwpolyline(const ConstructionContext& ctx);

// The current pen width in drawing units: millimetres x output units per
// millimetre / ScaleFactor.
double pen_width_in_drawing_units(const ConstructionContext& ctx);

// One polyline being written: begin_polyline, add_vertex for each vertex,
// end_polyline. Nothing else may be written in between.
struct PolylineBuild {
    bool active = false;       // a drawing is open and the head could be started
    bool lightweight = false;  // LWPOLYLINE, else POLYLINE/VERTEX/SEQEND
    bool has_bulges = false;
    bool head_lost = false;    // the POLYLINE head was refused: its vertices go too
    bool drawable = true;      // every vertex passed drawable_value (else LWPOLYLINE is dropped)
    BlobWriter writer;         // LWPOLYLINE vertex blob
};

PolylineBuild begin_polyline(ConstructionContext& ctx, int vertex_count, bool closed, bool has_bulges);
void add_vertex(ConstructionContext& ctx, PolylineBuild& build, double x, double y, double bulge);
void end_polyline(ConstructionContext& ctx, PolylineBuild& build);

// A finished pen-down path: a last point equal to the first (within 1e-10)
// is dropped, and the polyline is closed when 3 or more points remain;
// fewer than 2 points write nothing; bulges below 0.001 in magnitude do not
// count.
void emit_path_polyline(ConstructionContext& ctx, const PathVertex* vertices, int count);

// A circle: CIRCLE, or with `UsePolylineWidths` a closed polyline through
// (cx + r, cy) and (cx - r, cy) with bulge 1.0 at both.
void emit_circle(ConstructionContext& ctx, double centre_x, double centre_y, double radius);

// A closed two-vertex polyline with bulge 1.0 at both vertices (a circle
// through the two points, which lie opposite each other).
void emit_circle_polyline(ConstructionContext& ctx, double x1, double y1, double x2, double y2);

// An ARC, counter-clockwise from start to end (radians).
void emit_arc(ConstructionContext& ctx, double centre_x, double centre_y, double radius, double start_angle,
              double end_angle);

// An ELLIPSE (R13 and later): centre, major axis end relative to it,
// minor/major ratio, counter-clockwise from start to end (parameters in
// radians).
void emit_ellipse(ConstructionContext& ctx, double centre_x, double centre_y, double major_x, double major_y, double ratio,
                  double start_parameter, double end_parameter);

}  // namespace penloom
