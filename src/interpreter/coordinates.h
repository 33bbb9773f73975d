// The coordinate system: user units (plotter units without scaling) in,
// drawing units out. Every point a handler reads passes through
// transform_point: SC scaling onto P1/P2, the FR frame offset, the drawing
// factor f (drawing units per plotter unit), the RO rotation and the run's
// own rotation (/R, RotateC). Also the clip window and the drawing extents.
// The commands SC, IP, IR, PS, RO, FR and IW are in scaling_commands.cpp.
#pragma once

#include "interpreter/graphics_state.h"

namespace penloom {

struct DrawingPoint {
    double x = 0.0;  // drawing units
    double y = 0.0;  // drawing units
};

// Drawing units back to scaled plotter units: undoes the rotations, f and
// the scale factors, not the translation or the frame offset.
DrawingPoint inverse_transform(const GraphicsState& gs, double x, double y);

// A quarter-turn rotation of a point: 90 maps (x, y) to (-y, x), 180 to
// (-x, -y), 270 to (y, -x); any other angle leaves it.
inline DrawingPoint rotate_point(int angle, double x, double y) {
    switch (angle) {
        case 90: return {-y, x};
        case 180: return {-x, -y};
        case 270: return {y, -x};
        default: return {x, y};
    }
}

// Transforms a point in user units to drawing units. `relative` marks a
// displacement: no translation and no frame offset apply to it. Inline:
// every point read passes here, and its two results go straight on in
// registers.
inline DrawingPoint transform_point(const GraphicsState& gs, double x, double y, bool relative) {
    if (gs.scaling_on) {
        x *= gs.scale_x;
        y *= gs.scale_y;
        if (!relative) {
            x += gs.translate_x;
            y += gs.translate_y;
        }
    }
    if (!relative) y -= gs.frame_offset;
    x *= gs.drawing_factor;
    y *= gs.drawing_factor;
    const DrawingPoint p = rotate_point(gs.rotation, x, y);
    return rotate_point(gs.run_rotation, p.x, p.y);
}

// Reads an X,Y pair into the parameter slots 0 and 1, sets tokens.count to
// 0, 1 or 2 and returns it; repeat_pending is set when more numbers follow
// the pair. The pair is handed to transform_point (relative when relative
// plotting is on): the double slots then hold drawing units, the integer
// slots keep the values as read.
inline int read_point(GraphicsState& gs) {
    TokenState& tokens = gs.tokens;
    const int count = read_pair(tokens, gs.reader);
    const DrawingPoint point =
        transform_point(gs, tokens.values[0], tokens.values[1], gs.relative_plotting);
    tokens.values[0] = point.x;
    tokens.values[1] = point.y;
    tokens.count = count;
    return count;
}

// The clip window back to the page: clipping off; the corners (0,0) and the
// hard-clip limits, transformed as absolute points, ordered into the clip
// window, with a copy kept as the page window.
void reset_clip_window(GraphicsState& gs);

// True when clipping is off, or the point lies in the clip window (edges
// included).
bool in_clip_window(const GraphicsState& gs, double x, double y);

// Extends the drawing extents by a point (drawing units); see
// construction/extents.h.
inline void grow_extents(GraphicsState& gs, double x, double y) {
    grow_extents(gs.extents, x, y);
}

}  // namespace penloom
