// Circles and arcs under a scaling whose x and y factors differ. The
// circle of CI, AA, AR, AT, RT and the wedges lives in user units, so on
// the drawing it is an ellipse: an ELLIPSE entity where the release has one,
// otherwise (and wherever straight pieces are needed: R12, polyline widths,
// the polygon buffer, wedge outlines) fine chords along it.
#pragma once

#include <vector>

#include "construction/open_path.h"
#include "interpreter/coordinates.h"

namespace penloom {

struct InterpreterContext;

// True when scaling is on and |sx| and |sy| differ by more than 1e-9 of
// the larger. Rotations and mirrors keep circles circular.
bool anisotropic(const GraphicsState& gs);

// A circle of user space, as drawn: the point at user angle t is
// centre + cos(t) * u + sin(t) * v.
struct UserArc {
    DrawingPoint centre;      // drawing units
    DrawingPoint u;           // drawing units: the user radius along user x
    DrawingPoint v;           // drawing units: the user radius along user y
    double from = 0.0;        // radians, user angle of the start point
    double sweep = 0.0;       // radians, signed as drawn; +-2 pi for a whole circle
    bool full = false;
};

// A whole circle of `radius` user units round a drawing point.
UserArc user_circle(const GraphicsState& gs, DrawingPoint centre, double radius);

// The arc round `centre` that starts at `start` (both drawing units) and
// sweeps `sweep` radians of user angle.
UserArc user_arc_from(const GraphicsState& gs, DrawingPoint centre, DrawingPoint start, double sweep);

DrawingPoint user_arc_point(const UserArc& arc, double angle);
inline DrawingPoint user_arc_end(const UserArc& arc) { return user_arc_point(arc, arc.from + arc.sweep); }

// The arc's points in drawing order, start and end included (a whole
// circle ends where it began), so that no chord strays more than 0.01
// drawing units from the curve, with at most 2048 chords a whole turn.
void user_arc_chords(const UserArc& arc, std::vector<PathVertex>& out);

// The extents of a whole ellipse grow by its box; of an arc by its centre
// and end points, as for circular arcs.
void grow_extents_by_arc(GraphicsState& gs, const UserArc& arc);

// Writes the arc as an entity with the current pen: ELLIPSE from R13 on,
// a polyline of chords at R12 or with polyline widths on.
void emit_user_arc(InterpreterContext& ctx, const UserArc& arc);

}  // namespace penloom
