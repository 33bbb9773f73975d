// The point transform and its inverse, the clip window and the extents.
#include "interpreter/coordinates.h"

#include <algorithm>

namespace penloom {

namespace {

// The inverse of rotate_point for the same angle.
DrawingPoint unrotate_point(int angle, double x, double y) {
    switch (angle) {
        case 90: return {y, -x};
        case 180: return {-x, -y};
        case 270: return {-y, x};
        default: return {x, y};
    }
}

}  // namespace

DrawingPoint inverse_transform(const GraphicsState& gs, double x, double y) {
    DrawingPoint p = unrotate_point(gs.run_rotation, x, y);
    p = unrotate_point(gs.rotation, p.x, p.y);
    p.x /= gs.drawing_factor;
    p.y /= gs.drawing_factor;
    if (gs.scaling_on) {
        p.x /= gs.scale_x;
        p.y /= gs.scale_y;
    }
    return p;
}

void reset_clip_window(GraphicsState& gs) {
    gs.clipping_off = true;
    DrawingPoint a = transform_point(gs, 0.0, 0.0, false);
    DrawingPoint b = transform_point(gs, gs.hard_clip_x, gs.hard_clip_y, false);
    gs.clip_min_x = std::min(a.x, b.x);
    gs.clip_min_y = std::min(a.y, b.y);
    gs.clip_max_x = std::max(a.x, b.x);
    gs.clip_max_y = std::max(a.y, b.y);
    gs.page_min_x = gs.clip_min_x;
    gs.page_min_y = gs.clip_min_y;
    gs.page_max_x = gs.clip_max_x;
    gs.page_max_y = gs.clip_max_y;
}

bool in_clip_window(const GraphicsState& gs, double x, double y) {
    return gs.clipping_off ||
           (gs.clip_min_x <= x && x <= gs.clip_max_x && gs.clip_min_y <= y && y <= gs.clip_max_y);
}

}  // namespace penloom
