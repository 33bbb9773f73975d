// Bezier curves (BR relative, BZ absolute).
#pragma once

namespace penloom {

struct InterpreterContext;

// The number of points a curve is drawn with: 6 for the smallest up to 50,
// from its size in user units (BR: the larger coordinate of the third
// relative point; BZ: the larger span between first and third control
// points).
int bezier_point_count(double size, bool relative);

// Reads sets of six numbers (three control points) until a set is
// incomplete and draws each curve from the current position.
void run_bezier(InterpreterContext& ctx, bool relative);

}  // namespace penloom
