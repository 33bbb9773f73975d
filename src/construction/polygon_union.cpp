// Polygon clean-up and the union behind combined fills. The union itself is
// Clipper's (a Vatti scanbeam implementation) on 64-bit integers: doubles
// are scaled by a power of two chosen from the largest coordinate, so that
// the largest maps just below 2^50 and the rest keep all the precision a
// double can give them there.
#include "construction/polygon_union.h"

#include <algorithm>
#include <cmath>
#include <polyclipping/clipper.hpp>

namespace penloom {

namespace {

constexpr double kCleanSame = 1e-6;
constexpr double kCloseSame = 1e-10;
constexpr double kCollinear = 1e-20;
constexpr int kScaleBits = 50;

bool same_within(ContourPoint a, ContourPoint b, double tolerance) {
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance;
}

ContourPoint start_of(const Segment& s) {
    return {s.x0, s.y0};
}

// Trailing points that equal the first (all of them when every point does).
int trim_end(const Segment* segments, int n) {
    const ContourPoint first = start_of(segments[0]);
    while (n > 0 && same_within(start_of(segments[n - 1]), first, kCleanSame)) --n;
    return n;
}

int remove_repeats(Segment* segments, int n) {
    if (n == 0) return 0;
    int kept = 1;
    for (int i = 1; i < n; ++i) {
        if (same_within(start_of(segments[i]), start_of(segments[kept - 1]), kCleanSame)) continue;
        segments[kept++] = segments[i];
    }
    return kept;
}

// Points where a straight path turns back on itself. Kinds are those of the
// original neighbours, so a point next to an arc always stays.
int remove_slivers(Segment* segments, int n, std::vector<char>& keep) {
    if (n < 2) return n;
    keep.assign(static_cast<std::size_t>(n), 1);
    int last = 0;
    for (int i = 1; i < n; ++i) {
        if (!keep[static_cast<std::size_t>(i)]) continue;
        const int next = i + 1 < n ? i + 1 : 0;
        const bool straight = segments[i - 1].kind == segment_straight &&
                              segments[i].kind == segment_straight &&
                              segments[next].kind == segment_straight;
        if (!straight) {
            last = i;
            continue;
        }
        switch (classify_point(start_of(segments[last]), start_of(segments[i]),
                               start_of(segments[next]))) {
            case PointPosition::at_b:
                keep[static_cast<std::size_t>(i)] = 0;
                if (next != 0) keep[static_cast<std::size_t>(next)] = 0;
                break;
            case PointPosition::inside:
            case PointPosition::at_a:
                keep[static_cast<std::size_t>(i)] = 0;
                break;
            case PointPosition::outside:
            case PointPosition::not_collinear:
                last = i;
                break;
        }
    }
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (keep[static_cast<std::size_t>(i)]) segments[kept++] = segments[i];
    return kept;
}

void box_of(Contour& c) {
    c.min_x = c.min_y = 1e300;
    c.max_x = c.max_y = -1e300;
    for (const ContourPoint& v : c.vertices) {
        c.min_x = std::min(c.min_x, v.x);
        c.min_y = std::min(c.min_y, v.y);
        c.max_x = std::max(c.max_x, v.x);
        c.max_y = std::max(c.max_y, v.y);
    }
    c.box_valid = 1;
}

bool box_holds(const Contour& outer, const Contour& inner) {
    return outer.min_x <= inner.min_x && outer.min_y <= inner.min_y && outer.max_x >= inner.max_x &&
           outer.max_y >= inner.max_y;
}

// One polygon of the buffer as a contour: its points, without a last point
// that repeats the first. A circle gives no contour.
void add_polygon_contour(const PolygonList& list, int index, ContourSet& set) {
    const Subpolygon& polygon = list.polygons[static_cast<std::size_t>(index)];
    if (polygon.count <= 0) return;
    const Segment* segments = &list.segments[polygon.first];
    if (segments[0].kind == segment_circle) return;
    Contour c;
    c.vertices.reserve(static_cast<std::size_t>(polygon.count));
    for (int k = 0; k < polygon.count; ++k) c.vertices.push_back(start_of(segments[k]));
    if (c.vertices.size() > 1 && same_within(c.vertices.front(), c.vertices.back(), kCloseSame))
        c.vertices.pop_back();
    c.vertex_count = static_cast<std::int32_t>(c.vertices.size());
    set.contours.push_back(std::move(c));
}

double largest_coordinate(const ContourSet& a, const ContourSet& b) {
    double largest = 0.0;
    for (const ContourSet* set : {&a, &b})
        for (const Contour& c : set->contours)
            for (const ContourPoint& v : c.vertices)
                if (std::isfinite(v.x) && std::isfinite(v.y))
                    largest = std::max(largest, std::max(std::fabs(v.x), std::fabs(v.y)));
    return largest;
}

void to_paths(const ContourSet& set, double scale, ClipperLib::Paths& paths) {
    paths.reserve(set.contours.size());
    for (const Contour& c : set.contours) {
        ClipperLib::Path path;
        path.reserve(c.vertices.size());
        bool finite = true;
        for (const ContourPoint& v : c.vertices) {
            finite = finite && std::isfinite(v.x) && std::isfinite(v.y);
            if (!finite) break;
            path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(v.x * scale)),
                              static_cast<ClipperLib::cInt>(std::llround(v.y * scale)));
        }
        if (finite && path.size() >= 3) paths.push_back(std::move(path));
    }
}

// The contour boxes on a uniform grid, for finding the first contour (in
// list order) whose box holds a given box without trying every contour. A
// box that holds another holds its centre, so it is listed in the cell of
// that centre; boxes spanning many cells go on one list of their own that
// every search also reads.
class BoxGrid {
public:
    explicit BoxGrid(const std::vector<Contour>& all) : all_(all) {
        cells_.resize(1);
        if (all.empty()) return;
        min_x_ = min_y_ = 1e300;
        double max_x = -1e300, max_y = -1e300, widths = 0.0, heights = 0.0;
        for (const Contour& c : all) {
            min_x_ = std::min(min_x_, c.min_x);
            min_y_ = std::min(min_y_, c.min_y);
            max_x = std::max(max_x, c.max_x);
            max_y = std::max(max_y, c.max_y);
            widths += c.max_x - c.min_x;
            heights += c.max_y - c.min_y;
        }
        // Cells about the size of an average box, at most four per contour.
        const double n = static_cast<double>(all.size());
        const double limit = std::min(1024.0, std::floor(std::sqrt(4.0 * n)) + 1.0);
        auto sides = [&](double extent, double mean) {
            const double count = mean > 0.0 ? extent / mean : 1.0;
            return static_cast<int>(count >= limit ? limit : count >= 1.0 ? count : 1.0);
        };
        columns_ = sides(max_x - min_x_, widths / n);
        rows_ = sides(max_y - min_y_, heights / n);
        cell_x_ = (max_x - min_x_) / columns_;
        cell_y_ = (max_y - min_y_) / rows_;
        cells_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
        // In list order, so that every cell list is sorted by index.
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Contour& c = all[i];
            const int x0 = column(c.min_x), x1 = column(c.max_x);
            const int y0 = row(c.min_y), y1 = row(c.max_y);
            if ((x1 - x0 + 1) * (y1 - y0 + 1) > kMaxCellsPerBox) {
                wide_.push_back(i);
                continue;
            }
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) cells_[cell(x, y)].push_back(i);
        }
    }

    // The first contour other than `inner` whose box holds the box of
    // contour `inner`, or all.size() when none does.
    std::size_t first_holding(std::size_t inner) const {
        const Contour& c = all_[inner];
        const double cx = c.min_x + (c.max_x - c.min_x) / 2;
        const double cy = c.min_y + (c.max_y - c.min_y) / 2;
        const std::vector<std::size_t>& local = cells_[cell(column(cx), row(cy))];
        std::size_t a = 0, b = 0;
        while (a < local.size() || b < wide_.size()) {
            std::size_t i;
            if (b == wide_.size() || (a < local.size() && local[a] < wide_[b]))
                i = local[a++];
            else
                i = wide_[b++];
            if (i != inner && box_holds(all_[i], c)) return i;
        }
        return all_.size();
    }

private:
    static constexpr int kMaxCellsPerBox = 64;

    // Cell numbers only ever rise with the coordinate, so a box that holds
    // a point covers the cell of that point.
    static int index_of(double v, double origin, double size, int count) {
        if (!(size > 0.0)) return 0;
        const double at = (v - origin) / size;
        if (!(at >= 0.0)) return 0;
        return at >= count - 1 ? count - 1 : static_cast<int>(at);
    }
    int column(double x) const { return index_of(x, min_x_, cell_x_, columns_); }
    int row(double y) const { return index_of(y, min_y_, cell_y_, rows_); }
    std::size_t cell(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(x);
    }

    const std::vector<Contour>& all_;
    double min_x_ = 0.0, min_y_ = 0.0, cell_x_ = 0.0, cell_y_ = 0.0;
    int columns_ = 1, rows_ = 1;
    std::vector<std::vector<std::size_t>> cells_;
    std::vector<std::size_t> wide_;
};

void hole_assignment(ContourSet& set) {
    std::vector<Contour>& all = set.contours;
    bool any_hole = false;
    for (const Contour& c : all) any_hole = any_hole || c.hole;
    if (any_hole) {
        for (Contour& c : all) box_of(c);
        const BoxGrid grid(all);
        for (std::size_t h = 0; h < all.size(); ++h) {
            if (!all[h].hole) continue;
            const std::size_t i = grid.first_holding(h);
            if (i == all.size()) continue;
            all[h].parent = static_cast<std::int32_t>(i);
            all[i].children.push_back(static_cast<std::int32_t>(h));
            all[i].child_count = static_cast<std::int32_t>(all[i].children.size());
        }
    }
    for (Contour& c : all)
        if (c.hole || c.child_count > 0) c.flags = contour_with_holes;
}

// Repeats removed cyclically, pass after pass, until nothing changes.
void cleanup_vertices(Contour& c) {
    for (;;) {
        std::vector<ContourPoint>& v = c.vertices;
        if (v.empty()) break;
        std::size_t kept = 1;
        for (std::size_t i = 1; i < v.size(); ++i) {
            if (same_within(v[i], v[kept - 1], kCleanSame)) continue;
            v[kept++] = v[i];
        }
        // The wrap from the last vertex to the first.
        if (kept > 1 && same_within(v[kept - 1], v[0], kCleanSame)) --kept;
        const bool removed = kept != v.size();
        v.resize(kept);
        if (!removed) break;
    }
    c.vertex_count = static_cast<std::int32_t>(c.vertices.size());
}

// The union of the paths of A and B whose boxes touch, group by group:
// contours that overlap no other box are united on their own, so many
// separate polygons cost one small run each instead of one run whose
// scanlines cross all of them. False when Clipper refused the input.
bool union_by_groups(const ClipperLib::Paths& a, const ClipperLib::Paths& b,
                     ClipperLib::Paths& solution) {
    struct Box {
        ClipperLib::cInt min_x, min_y, max_x, max_y;
    };
    const std::size_t n = a.size() + b.size();
    std::vector<Box> boxes(n);
    auto path_of = [&](std::size_t i) -> const ClipperLib::Path& {
        return i < a.size() ? a[i] : b[i - a.size()];
    };
    for (std::size_t i = 0; i < n; ++i) {
        Box box{path_of(i)[0].X, path_of(i)[0].Y, path_of(i)[0].X, path_of(i)[0].Y};
        for (const ClipperLib::IntPoint& p : path_of(i)) {
            box.min_x = std::min(box.min_x, p.X);
            box.min_y = std::min(box.min_y, p.Y);
            box.max_x = std::max(box.max_x, p.X);
            box.max_y = std::max(box.max_y, p.Y);
        }
        boxes[i] = box;
    }
    std::vector<std::size_t> group(n);
    for (std::size_t i = 0; i < n; ++i) group[i] = i;
    auto root = [&](std::size_t i) {
        while (group[i] != i) i = group[i] = group[group[i]];
        return i;
    };
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t x, std::size_t y) { return boxes[x].min_x < boxes[y].min_x; });
    std::vector<std::size_t> active;
    for (std::size_t i : order) {
        const Box& box = boxes[i];
        for (std::size_t k = 0; k < active.size();) {
            const Box& other = boxes[active[k]];
            if (other.max_x < box.min_x) {
                active[k] = active.back();
                active.pop_back();
                continue;
            }
            if (other.min_y <= box.max_y && box.min_y <= other.max_y)
                group[root(active[k])] = root(i);
            ++k;
        }
        active.push_back(i);
    }
    // Members of each group, in input order.
    std::vector<std::size_t> first(n, n), next(n, n), last(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t g = root(i);
        if (first[g] == n)
            first[g] = i;
        else
            next[last[g]] = i;
        last[g] = i;
    }
    try {
        ClipperLib::Paths part_a, part_b, part;
        for (std::size_t g = 0; g < n; ++g) {
            if (first[g] == n) continue;
            part_a.clear();
            part_b.clear();
            for (std::size_t i = first[g]; i != n; i = next[i])
                (i < a.size() ? part_a : part_b).push_back(path_of(i));
            ClipperLib::Clipper clipper;
            clipper.AddPaths(part_a, ClipperLib::ptSubject, true);
            clipper.AddPaths(part_b, ClipperLib::ptClip, true);
            part.clear();
            if (!clipper.Execute(ClipperLib::ctUnion, part, ClipperLib::pftEvenOdd,
                                 ClipperLib::pftEvenOdd))
                return false;
            for (ClipperLib::Path& path : part) solution.push_back(std::move(path));
        }
    } catch (...) {
        // Clipper refuses coordinates beyond its range; the fill is lost.
        return false;
    }
    return true;
}

}  // namespace

PointPosition classify_point(ContourPoint p, ContourPoint a, ContourPoint b) {
    if (p.x == a.x && p.y == a.y) return PointPosition::at_a;
    if (p.x == b.x && p.y == b.y) return PointPosition::at_b;
    const double area = p.x * a.y - p.y * a.x + p.y * b.x - p.x * b.y + a.x * b.y - a.y * b.x;
    if (!(std::fabs(area) < kCollinear)) return PointPosition::not_collinear;
    const bool in_x = (a.x < p.x && p.x < b.x) || (b.x < p.x && p.x < a.x);
    const bool in_y = (a.y < p.y && p.y < b.y) || (b.y < p.y && p.y < a.y);
    return in_x || in_y ? PointPosition::inside : PointPosition::outside;
}

int clean_polygon(Segment* segments, int count, bool eliminate_slivers) {
    if (count <= 0) return 0;
    int n = trim_end(segments, count);
    n = remove_repeats(segments, n);
    if (eliminate_slivers) {
        std::vector<char> keep;
        n = remove_slivers(segments, n, keep);
    }
    if (n > 0) n = trim_end(segments, n);
    for (int k = 0; k < n; ++k) {
        const Segment& next = segments[k + 1 < n ? k + 1 : 0];
        segments[k].x1 = next.x0;
        segments[k].y1 = next.y0;
    }
    return n;
}

ContourSet polygon_union(const ContourSet& a, const ContourSet& b) {
    ContourSet result;
    double largest = largest_coordinate(a, b);
    if (largest <= 0.0) largest = 1.0;
    const double scale = std::ldexp(1.0, kScaleBits - (std::ilogb(largest) + 1));
    ClipperLib::Paths paths_a, paths_b;
    to_paths(a, scale, paths_a);
    to_paths(b, scale, paths_b);
    if (paths_a.empty() && paths_b.empty()) return result;

    ClipperLib::Paths solution;
    if (!union_by_groups(paths_a, paths_b, solution)) return result;

    // Outer contours turn counter-clockwise, holes clockwise.
    const double unscale = 1.0 / scale;
    result.contours.reserve(solution.size());
    for (const ClipperLib::Path& path : solution) {
        if (path.size() < 3) continue;
        Contour c;
        c.hole = ClipperLib::Orientation(path) ? 0 : 1;
        c.vertices.reserve(path.size());
        for (const ClipperLib::IntPoint& p : path)
            c.vertices.push_back(
                {static_cast<double>(p.X) * unscale, static_cast<double>(p.Y) * unscale});
        c.vertex_count = static_cast<std::int32_t>(c.vertices.size());
        box_of(c);
        c.box_valid = 0;
        result.contours.push_back(std::move(c));
    }
    // Smallest box first: the first box that holds a hole's box is then the
    // boundary right round it rather than one further out.
    std::stable_sort(result.contours.begin(), result.contours.end(),
                     [](const Contour& x, const Contour& y) {
                         return (x.max_x - x.min_x) * (x.max_y - x.min_y) <
                                (y.max_x - y.min_x) * (y.max_y - y.min_y);
                     });
    return result;
}

void reduce_contour_vertices(ContourSet& set) {
    std::vector<ContourPoint> kept;
    for (Contour& c : set.contours) {
        const std::vector<ContourPoint>& v = c.vertices;
        const std::size_t n = v.size();
        if (n == 0) continue;
        kept.clear();
        kept.push_back(v[0]);
        std::vector<char> gone(n, 0);
        for (std::size_t i = 1; i < n; ++i) {
            if (gone[i]) continue;
            const std::size_t next = i + 1 < n ? i + 1 : 0;
            if (same_within(v[i], kept.back(), kCloseSame)) continue;
            switch (classify_point(kept.back(), v[i], v[next])) {
                case PointPosition::not_collinear:
                    kept.push_back(v[i]);
                    break;
                case PointPosition::at_b:
                    if (next != 0) gone[next] = 1;
                    break;
                default:
                    break;
            }
        }
        if (kept.size() == n) continue;
        if (kept.size() >= 3) {
            c.vertices = kept;
            c.vertex_count = static_cast<std::int32_t>(kept.size());
        } else {
            c.flags |= contour_dropped;
        }
    }
}

void final_contour_cleanup(ContourSet& set) {
    std::vector<Contour>& all = set.contours;
    for (Contour& c : all) {
        if ((c.flags & contour_dropped) || (c.hole && c.child_count == 0)) continue;
        cleanup_vertices(c);
        for (std::int32_t h : c.children) {
            Contour& hole = all[static_cast<std::size_t>(h)];
            if (!(hole.flags & contour_dropped)) cleanup_vertices(hole);
        }
        if (c.vertex_count < 3) c.flags |= contour_dropped;
        std::vector<std::int32_t> remaining;
        for (std::int32_t h : c.children) {
            Contour& hole = all[static_cast<std::size_t>(h)];
            if (hole.vertex_count < 3) hole.flags |= contour_dropped;
            if (!(hole.flags & contour_dropped)) remaining.push_back(h);
        }
        c.children = std::move(remaining);
        c.child_count = static_cast<std::int32_t>(c.children.size());
    }
}

ContourSet combine_polygons(const PolygonList& list, int first, int count) {
    ContourSet a, b;
    for (int i = first; i < first + count - 1; ++i) add_polygon_contour(list, i, a);
    add_polygon_contour(list, first + count - 1, b);
    ContourSet result = polygon_union(a, b);
    hole_assignment(result);
    reduce_contour_vertices(result);
    reduce_contour_vertices(result);
    final_contour_cleanup(result);
    return result;
}

}  // namespace penloom
