// The polygon buffer of polygon mode: two lists of subpolygons, the fill
// list and the edge list, which receive the same segments. The fill list is
// cleaned and pruned as its subpolygons close; the edge list keeps every
// segment as drawn so EP can outline the pen-down parts. All coordinates are
// drawing units. The interpreter fills the buffer; the fills and the
// polygon union here read it, so the type lives in this layer.
//
// Storage is flat: each list keeps all its segments in one array and each
// subpolygon names a range of it, so collecting vertices allocates nothing
// per vertex or per subpolygon once the arrays have grown.
#pragma once

#include <cstdint>
#include <vector>

#include "construction/open_path.h"

namespace penloom {

// ORDER SEGMENTKIND: the segment kinds the fill writers test.
enum SegmentKind : std::int32_t {
    segment_straight = 1,
    segment_arc = 2,     // an arc given by the bulge
    segment_circle = 3,  // the whole subpolygon is a circle: centre at the
                         // start point, radius in the bulge, start and end
                         // angle (radians) in the end point's x and y
};

// Segment k of a subpolygon runs from its start point (point k of the
// polygon) to its end point; the bulge belongs to this segment.
struct Segment {
    double x0 = 0.0, y0 = 0.0;  // start, drawing units
    double x1 = 0.0, y1 = 0.0;  // end, drawing units
    double bulge = 0.0;
    std::int32_t kind = segment_straight;
    bool pen_down = true;  // pen-up segments shape the fill but are not outlined
};

struct Subpolygon {
    std::size_t first = 0;  // index of its first segment in the list's array
    int count = 0;          // segments
    bool closed = false;    // close_subpolygon has run on it
    double min_x = 1e30, min_y = 1e30, max_x = -1e30, max_y = -1e30;  // drawing units
};

struct PolygonList {
    std::vector<Segment> segments;
    std::vector<Subpolygon> polygons;
};

// Polygon-mode state beside the two lists (`polygon_mode` and
// `fill_pending` stand in GraphicsState itself).
struct PolygonState {
    PolygonList fill;
    PolygonList edge;
    bool new_subpolygon = false;            // the next vertex begins a subpolygon
    bool start_only = false;                // the next vertex is only the next start point (PM1)
    double origin_x = 0.0, origin_y = 0.0;  // current position at PM0, drawing units
    double start_x = 0.0, start_y = 0.0;    // start point of the next subpolygon, drawing units
    bool edge_after_fill = false;           // an EP waits for the FP that follows it
    int fill_rule = 0;                      // 0 even-odd, 1 non-zero winding
    int filled_count = 0;                   // subpolygons an FP left waiting in the pending fill
    std::vector<PathVertex> scratch;        // one outline run or wedge being built
};

}  // namespace penloom
