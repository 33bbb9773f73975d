// Arcs and circles: AA/AR (centre and sweep), AT/RT (three points) and CI.
// They are not broken into chords: each becomes an ARC or CIRCLE entity,
// or, with `UsePolylineWidths`, bulge vertices of the open polyline (or a
// closed two-vertex bulge polyline for a whole circle).
#pragma once

namespace penloom {

struct InterpreterContext;

// Normalises an angle or sweep in degrees into -360..360: above 360 loses
// 360 at a time, below -360 gains it.
double normalise_degrees(double angle);

}  // namespace penloom
