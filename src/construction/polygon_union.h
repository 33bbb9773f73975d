// Polygon overlap processing: the clean-up of a polygon as it closes, and
// the combination of the polygons of one fill into outer boundaries with
// their holes by a polygon union (Clipper, even-odd within each set).
// In: segments of the polygon buffer (drawing units). Out: the cleaned
// segments in place, or a ContourSet for the fill writers.
#pragma once

#include <cstdint>
#include <vector>

#include "construction/polygon_buffer.h"

namespace penloom {

struct ContourPoint {
    double x = 0.0, y = 0.0;
};

// ORDER CONTOURFLAGS
enum ContourFlags : std::int32_t {
    contour_contributes = 1,
    contour_dropped = 2,
    contour_with_holes = 4,  // set on holes and on contours with holes
    contour_written = 32,
};

// A closed contour: the last vertex joins the first, none repeats it.
struct Contour {
    std::int32_t vertex_count = 0;
    std::int32_t hole = 0;
    std::int32_t parent = -1;
    std::int32_t child_count = 0;
    std::vector<std::int32_t> children;  // holes assigned to it
    std::int32_t flags = contour_contributes;
    std::int32_t box_valid = 0;
    double min_x = 0.0, min_y = 0.0, max_x = 0.0, max_y = 0.0;
    std::vector<ContourPoint> vertices;
};

struct ContourSet {
    std::vector<Contour> contours;
};

// Rewrites the `count` segments of a just-closed polygon (point k is the
// start of segment k): trailing points equal to the first dropped, repeated
// points dropped (both within 1e-6), and with `eliminate_slivers` the
// points where a straight path doubles back on itself; the end points are
// then made to join the segments again. Returns the new count.
int clean_polygon(Segment* segments, int count, bool eliminate_slivers);

// Combines polygons 0..count-1 of the fill list range starting at `first`
// (count >= 2): the last against all the others, by their points (arcs as
// chords; circles contribute nothing). Holes get the first contour whose
// box holds theirs as parent; collinear and repeated vertices go; contours
// left with fewer than 3 vertices are flagged dropped.
ContourSet combine_polygons(const PolygonList& list, int first, int count);

// The region inside A or inside B, each set taken by the even-odd rule, as
// outer contours and holes (flags 1, no parents yet). Contours are listed
// deepest first, so a hole comes before the boundary that holds it.
ContourSet polygon_union(const ContourSet& a, const ContourSet& b);

// Twice the signed area test of three points (below 1e-20: collinear), and
// the position of p on the line through a and b.
enum class PointPosition { not_collinear, at_a, at_b, inside, outside };
PointPosition classify_point(ContourPoint p, ContourPoint a, ContourPoint b);

// The vertex reduction and final clean-up steps alone (combine_polygons runs
// them after the hole assignment).
void reduce_contour_vertices(ContourSet& set);
void final_contour_cleanup(ContourSet& set);

}  // namespace penloom
