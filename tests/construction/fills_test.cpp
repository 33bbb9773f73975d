// Fills: the settings' hatch pattern, and the clean-up and union of the
// polygons a fill is made of.
#include "construction/polygon_union.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "construction/fill_patterns.h"
#include "driver/context.h"

namespace penloom {
namespace {

// The lookup and ANSI31 at a scale are checked through whole runs; here the
// dashes of a pattern with its own scale, and a negative scale.
TEST(HatchTemplates, SettingsPatternScaled) {
    Settings settings;
    settings.HatchPattern = "AR-B816";  // scale 0.2
    settings.HatchScale = 5.0;
    SettingsPattern p = make_settings_pattern(settings);
    EXPECT_EQ(p.entry, find_hatch_template("ar-b816"));
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[1], -0.8);
    settings.HatchScale = -1.0;
    p = make_settings_pattern(settings);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[0], 0.8);
}

struct Point { double x, y; int kind = segment_straight; };

// A closed polygon's segments as close_subpolygon hands them over.
std::vector<Segment> segments_of(const std::vector<Point>& points) {
    std::vector<Segment> out;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Point &a = points[k], &b = points[(k + 1) % points.size()];
        out.push_back(Segment{a.x, a.y, b.x, b.y, a.kind == segment_arc ? 0.5 : 0.0, a.kind});
    }
    return out;
}

TEST(CleanPolygon, Rows) {
    const std::vector<Point> spike = {{2, 0}, {10, 0}, {0, 0}, {0, 5}, {2, 5}};
    struct Row { const char* name; std::vector<Point> points; bool slivers; std::string expected; };
    const Row rows[] = {
        {"a point a hair from its neighbour goes",
         {{0, 0}, {10, 0}, {10, 0.0000005}, {10, 10}, {0, 10}, {0, 0}}, true, "0,0 10,0 10,10 0,10"},
        {"outside the segment: nothing lost", {{0, 0}, {10, 0}, {5, 0}, {5, 5}}, true, "0,0 10,0 5,0 5,5"},
        {"doubling back past the kept point", spike, true, "2,0 0,0 0,5 2,5"},
        {"without ElimSlivers the spike stays", spike, false, "2,0 10,0 0,0 0,5 2,5"},
        {"a spike back to the kept point drops both",
         {{0, 0}, {10, 0}, {10, 10}, {10, 0}, {20, 0}, {20, 20}}, true, "0,0 10,0 20,0 20,20"},
        {"by an arc", {{2, 0}, {10, 0, segment_arc}, {0, 0}, {0, 5}, {2, 5}}, true, "2,0 10,0 0,0 0,5 2,5"},
        {"all points the same", {{1, 1}, {1, 1}, {1, 1}}, true, ""},
        {"repeats in the middle", {{0, 0}, {5, 0}, {5, 0}, {5, 5}}, true, "0,0 5,0 5,5"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Segment> s = segments_of(row.points);
        const int n = clean_polygon(s.data(), static_cast<int>(s.size()), row.slivers);
        std::string text;
        char point[64];
        for (int k = 0; k < n; ++k) {
            std::snprintf(point, sizeof point, "%s%.10g,%.10g", k ? " " : "", s[k].x0, s[k].y0);
            text += point;
            // The segments join up again after the clean-up.
            EXPECT_EQ(s[k].x1, s[(k + 1) % n].x0);
            EXPECT_EQ(s[k].y1, s[(k + 1) % n].y0);
        }
        EXPECT_EQ(text, row.expected);
    }
}

Contour contour(std::vector<ContourPoint> vertices, int hole = 0) {
    Contour c;
    c.vertex_count = static_cast<std::int32_t>(vertices.size());
    c.vertices = std::move(vertices);
    c.hole = hole;
    return c;
}

// Even-odd within the first set: two equal squares cancel. (Unions of
// overlapping squares, holes and circles are checked through whole runs.)
TEST(CombinePolygons, EqualSquaresCancel) {
    PolygonList list;
    for (double x : {0.0, 0.0, 20.0}) {
        const std::vector<Segment> s = segments_of({{x, 0}, {x + 10, 0}, {x + 10, 10}, {x, 10}});
        list.polygons.push_back(Subpolygon{list.segments.size(), static_cast<int>(s.size())});
        list.segments.insert(list.segments.end(), s.begin(), s.end());
    }
    const ContourSet set = combine_polygons(list, 0, 3);
    std::string shape;  // "O4" per outer contour, "H4" per hole
    for (const Contour& c : set.contours)
        if (!(c.flags & contour_dropped)) shape += (c.hole ? " H" : " O") + std::to_string(c.vertex_count);
    EXPECT_EQ(shape, " O4");
}

TEST(CombinePolygons, VertexReductionAndFinalCleanup) {
    ContourSet set;
    set.contours = {contour({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}),
                    contour({{0, 0}, {1, 0}, {2, 0}})};
    reduce_contour_vertices(set);
    EXPECT_EQ(set.contours[0].vertex_count, 4);
    EXPECT_EQ(set.contours[0].vertices[1].x, 10.0);
    EXPECT_TRUE(set.contours[1].flags & contour_dropped);
    set.contours = {contour({{0, 0}, {0.0000001, 0}, {10, 0}, {10, 10}, {0, 10}}),
                    contour({{2, 2}, {2.0000001, 2}, {2.0000001, 2.0000001}, {2, 2.0000001}}, 1)};
    set.contours[0].children = {1};
    set.contours[0].child_count = 1;
    final_contour_cleanup(set);
    EXPECT_EQ(set.contours[0].vertex_count, 4);
    EXPECT_TRUE(set.contours[1].flags & contour_dropped);
    EXPECT_EQ(set.contours[0].child_count, 0);
}

}  // namespace
}  // namespace penloom
