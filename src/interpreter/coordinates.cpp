// The point transform and the clip window reset. The transform so far only
// converts plotter units to drawing units; scaling, the frame offset and
// the rotations come with the coordinate-system commands.
#include "interpreter/coordinates.h"

#include <algorithm>

namespace penloom {

DrawingPoint transform_point(const GraphicsState& gs, double x, double y, bool relative) {
    (void)relative;
    return DrawingPoint{x * gs.drawing_factor, y * gs.drawing_factor};
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

}  // namespace penloom
