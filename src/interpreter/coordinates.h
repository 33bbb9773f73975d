// The coordinate system: user and plotter units in, drawing units out.
// Every point a handler reads passes through transform_point.
#pragma once

#include "interpreter/graphics_state.h"

namespace penloom {

struct DrawingPoint {
    double x = 0.0;  // drawing units
    double y = 0.0;  // drawing units
};

// Transforms a point in user units (plotter units without scaling) to
// drawing units. `relative` marks a displacement: no translation and no
// frame offset apply to it.
DrawingPoint transform_point(const GraphicsState& gs, double x, double y, bool relative);

// The clip window back to the page: clipping off; the corners (0,0) and the
// hard-clip limits, transformed as absolute points, ordered into the clip
// window, with a copy kept as the page window.
void reset_clip_window(GraphicsState& gs);

}  // namespace penloom
