#include "construction/polygon_union.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace penloom {
namespace {

struct Point { double x, y; int kind = segment_straight; };

// A closed polygon's segments as close_subpolygon hands them over.
std::vector<Segment> segments_of(const std::vector<Point>& points) {
    std::vector<Segment> out;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Point& a = points[k];
        const Point& b = points[(k + 1) % points.size()];
        Segment s;
        s.x0 = a.x;
        s.y0 = a.y;
        s.x1 = b.x;
        s.y1 = b.y;
        s.kind = a.kind;
        s.bulge = a.kind == segment_arc ? 0.5 : 0.0;
        out.push_back(s);
    }
    return out;
}

std::string points_text(const std::vector<Segment>& segments, int n) {
    std::string out;
    char text[64];
    for (int k = 0; k < n; ++k) {
        std::snprintf(text, sizeof text, "%s(%.10g,%.10g)", k ? " " : "", segments[k].x0,
                      segments[k].y0);
        out += text;
    }
    return out;
}

TEST(CleanPolygon, Rows) {
    struct Row { const char* name; std::vector<Point> points; bool slivers; std::string expected; };
    const std::vector<Row> rows = {
        {"a point a hair from its neighbour goes",
         {{0, 0}, {10, 0}, {10, 0.0000005}, {10, 10}, {0, 10}, {0, 0}}, true,
         "(0,0) (10,0) (10,10) (0,10)"},
        {"outside the segment: nothing lost", {{0, 0}, {10, 0}, {5, 0}, {5, 5}}, true,
         "(0,0) (10,0) (5,0) (5,5)"},
        {"the path doubles back past the kept point", {{2, 0}, {10, 0}, {0, 0}, {0, 5}, {2, 5}},
         true, "(2,0) (0,0) (0,5) (2,5)"},
        {"without ElimSlivers the spike stays", {{2, 0}, {10, 0}, {0, 0}, {0, 5}, {2, 5}}, false,
         "(2,0) (10,0) (0,0) (0,5) (2,5)"},
        {"a spike back to the kept point drops both",
         {{0, 0}, {10, 0}, {10, 10}, {10, 0}, {20, 0}, {20, 20}}, true, "(0,0) (10,0) (20,0) (20,20)"},
        {"a point next to an arc stays", {{2, 0}, {10, 0, segment_arc}, {0, 0}, {0, 5}, {2, 5}},
         true, "(2,0) (10,0) (0,0) (0,5) (2,5)"},
        {"all points the same", {{1, 1}, {1, 1}, {1, 1}}, true, ""},
        {"repeats in the middle", {{0, 0}, {5, 0}, {5, 0}, {5, 5}}, true, "(0,0) (5,0) (5,5)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Segment> s = segments_of(row.points);
        const int n = clean_polygon(s.data(), static_cast<int>(s.size()), row.slivers);
        EXPECT_EQ(points_text(s, n), row.expected);
        // The segments join up again after the clean-up.
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(s[k].x1, s[(k + 1) % n].x0);
            EXPECT_EQ(s[k].y1, s[(k + 1) % n].y0);
        }
    }
}

TEST(ClassifyPoint, Positions) {
    EXPECT_EQ(classify_point({0, 0}, {0, 0}, {5, 5}), PointPosition::at_a);
    EXPECT_EQ(classify_point({5, 5}, {0, 0}, {5, 5}), PointPosition::at_b);
    EXPECT_EQ(classify_point({2, 2}, {0, 0}, {5, 5}), PointPosition::inside);
    EXPECT_EQ(classify_point({0, 3}, {0, 0}, {0, 5}), PointPosition::inside);
    EXPECT_EQ(classify_point({7, 7}, {0, 0}, {5, 5}), PointPosition::outside);
    EXPECT_EQ(classify_point({2, 3}, {0, 0}, {5, 5}), PointPosition::not_collinear);
}

Contour square(double x0, double y0, double x1, double y1) {
    Contour c;
    c.vertices = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    c.vertex_count = 4;
    return c;
}

PolygonList buffer_of(const std::vector<std::vector<Point>>& polygons) {
    PolygonList list;
    for (const auto& points : polygons) {
        Subpolygon p;
        p.first = list.segments.size();
        const std::vector<Segment> s = segments_of(points);
        p.count = static_cast<int>(s.size());
        list.segments.insert(list.segments.end(), s.begin(), s.end());
        list.polygons.push_back(p);
    }
    return list;
}

// Outer contours and holes as "O4" / "H4" (vertex counts), in order, with
// the children of each.
std::string shape_of(const ContourSet& set) {
    std::string out;
    for (std::size_t i = 0; i < set.contours.size(); ++i) {
        const Contour& c = set.contours[i];
        if (c.flags & contour_dropped) continue;
        out.append(c.hole ? " H" : " O");
        out.append(std::to_string(c.vertex_count));
        if (c.child_count > 0) {
            out.append("<");
            out.append(std::to_string(c.child_count));
            out.append(">");
        }
    }
    return out;
}

double area(const Contour& c) {
    double sum = 0.0;
    for (std::size_t k = 0; k < c.vertices.size(); ++k) {
        const ContourPoint& a = c.vertices[k];
        const ContourPoint& b = c.vertices[(k + 1) % c.vertices.size()];
        sum += a.x * b.y - a.y * b.x;
    }
    return sum / 2.0;
}

// Even-odd within the first set: two equal squares cancel. (Unions of
// overlapping squares, holes and circles are checked through whole runs.)
TEST(CombinePolygons, EqualSquaresCancel) {
    const PolygonList list = buffer_of({{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                        {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                        {{20, 0}, {30, 0}, {30, 10}, {20, 10}}});
    EXPECT_EQ(shape_of(combine_polygons(list, 0, 3)), " O4");
}

TEST(CombinePolygons, VertexReduction) {
    ContourSet set;
    Contour c;
    c.vertices = {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}};
    c.vertex_count = 5;
    set.contours.push_back(c);
    set.contours.push_back(square(0, 0, 1, 1));
    set.contours.back().vertices = {{0, 0}, {1, 0}, {2, 0}};
    set.contours.back().vertex_count = 3;
    reduce_contour_vertices(set);
    EXPECT_EQ(set.contours[0].vertex_count, 4);
    EXPECT_EQ(set.contours[0].vertices[1].x, 10.0);
    EXPECT_TRUE(set.contours[1].flags & contour_dropped);
}

TEST(CombinePolygons, FinalCleanupDropsTinyContours) {
    ContourSet set;
    Contour c = square(0, 0, 10, 10);
    c.vertices.insert(c.vertices.begin() + 1, {0.0000001, 0});
    c.vertex_count = 5;
    set.contours.push_back(c);
    Contour hole = square(2, 2, 2.0000001, 2.0000001);
    hole.hole = 1;
    set.contours.push_back(hole);
    set.contours[0].children = {1};
    set.contours[0].child_count = 1;
    final_contour_cleanup(set);
    EXPECT_EQ(set.contours[0].vertex_count, 4);
    EXPECT_TRUE(set.contours[1].flags & contour_dropped);
    EXPECT_EQ(set.contours[0].child_count, 0);
}

// Union in either order covers the same area (seeded random rectangles).
TEST(PolygonUnion, EitherOrderSameArea) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    for (int trial = 0; trial < 20; ++trial) {
        ContourSet a, b;
        for (int i = 0; i < 5; ++i) {
            const double x = coordinate(random), y = coordinate(random);
            a.contours.push_back(square(x, y, x + 20, y + 15));
        }
        const double x = coordinate(random), y = coordinate(random);
        b.contours.push_back(square(x, y, x + 30, y + 10));
        auto total = [](const ContourSet& set) {
            double sum = 0.0;
            for (const Contour& c : set.contours) sum += area(c);
            return sum;
        };
        const double ab = total(polygon_union(a, b)), ba = total(polygon_union(b, a));
        EXPECT_NEAR(ab, ba, 1e-6);
        EXPECT_GT(ab, 0.0);
    }
}

}  // namespace
}  // namespace penloom
