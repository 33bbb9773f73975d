// The numbers a drawing takes and the extents its entities cover. The
// interpreter grows the extents as it draws; entity construction and the
// drawing header read them, and both test numbers with drawable_value.
#pragma once

namespace penloom {

// Coordinates and sizes a drawing takes: finite and below 1e300 in
// magnitude, so that sums and differences of two of them (extents, view)
// stay finite. Entities with any other number are not written, and such
// points leave the extents alone. False for NaN.
inline constexpr double kLargestCoordinate = 1e300;
inline bool drawable_value(double v) {
    return v < kLargestCoordinate && v > -kLargestCoordinate;
}

struct DrawingExtents {
    double min_x = 1e20, min_y = 1e20;    // drawing units
    double max_x = -1e20, max_y = -1e20;  // drawing units
};

// Extends the extents by a point (drawing units); points that are not
// drawable_value are ignored. Inline: every vertex passes here.
inline void grow_extents(DrawingExtents& extents, double x, double y) {
    if (!drawable_value(x) || !drawable_value(y)) return;
    extents.min_x = x < extents.min_x ? x : extents.min_x;
    extents.min_y = y < extents.min_y ? y : extents.min_y;
    extents.max_x = x > extents.max_x ? x : extents.max_x;
    extents.max_y = y > extents.max_y ? y : extents.max_y;
}

}  // namespace penloom
