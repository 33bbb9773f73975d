// Fills as HATCH entities or closed polylines.
#include "construction/hatch_emission.h"

#include <cmath>

#include "construction/entity_emission.h"
#include "construction/extents.h"
#include "construction/fill_patterns.h"
#include "construction/layers.h"
#include "construction/linetypes.h"
#include "construction/construction_context.h"

namespace penloom {

namespace {

constexpr std::uint32_t kPathBlobBlock = 4096;
constexpr std::uint32_t kSmallBlobBlock = 64;
constexpr double kSamePoint = 1e-10;
constexpr std::int32_t kPathWithHoles = hatch_path_polyline | hatch_path_external;  // 3
constexpr std::int32_t kHolePath = hatch_path_polyline | hatch_path_outermost;      // 18

bool hatch_open(const ConstructionContext& ctx) {
    return ctx.drawing.drawing != nullptr && ctx.drawing.model_space != nullptr &&
           ctx.drawing.hatch != nullptr;
}

template <class T>
void put(BlobWriter& writer, T value) {
    blob_write(writer, &value, sizeof value);
}

void put_point(BlobWriter& writer, double x, double y) {
    const double point[2] = {x, y};
    blob_write(writer, point, 16);
}

const Subpolygon& polygon_at(const PolygonList& list, int index) {
    return list.polygons[static_cast<std::size_t>(index)];
}

bool is_circle(const PolygonList& list, const Subpolygon& polygon) {
    return polygon.count > 0 && list.segments[polygon.first].kind == segment_circle;
}

// Points written for a polygon: a last point equal to the first is left out.
int points_to_write(const PolygonList& list, const Subpolygon& polygon) {
    int n = polygon.count;
    if (n > 1) {
        const Segment& a = list.segments[polygon.first];
        const Segment& b = list.segments[polygon.first + static_cast<std::size_t>(n - 1)];
        if (std::fabs(a.x0 - b.x0) <= kSamePoint && std::fabs(a.y0 - b.y0) <= kSamePoint) --n;
    }
    return n;
}

bool has_arcs(const PolygonList& list, const Subpolygon& polygon, int n) {
    for (int k = 0; k < n; ++k)
        if (list.segments[polygon.first + static_cast<std::size_t>(k)].kind == segment_arc)
            return true;
    return false;
}

// A polygon a HATCH path can be made of: a circle, or two points or more.
bool drawable(const PolygonList& list, int index) {
    const Subpolygon& polygon = polygon_at(list, index);
    return is_circle(list, polygon) || points_to_write(list, polygon) >= 2;
}

// A generated hatch whose spacing overflowed cannot be drawn: its lines
// must all be drawable numbers.
bool drawable_lines(const std::vector<HatchLine>& lines) {
    for (const HatchLine& l : lines)
        if (!drawable_value(l.angle) || !drawable_value(l.base_x) || !drawable_value(l.base_y) ||
            !drawable_value(l.offset_x) || !drawable_value(l.offset_y))
            return false;
    return true;
}

// Pattern lines: angle, base point, offset, dash count, dashes.
void put_line(BlobWriter& writer, double angle, double bx, double by, double ox, double oy,
              std::int16_t dashes, const double* dash) {
    put(writer, angle);
    put_point(writer, bx, by);
    put_point(writer, ox, oy);
    put(writer, dashes);
    for (std::int16_t i = 0; i < dashes; ++i) put(writer, dash[i]);
}

// The pattern of the fill into the HATCH record.
void set_pattern(ConstructionContext& ctx, HatchData& hatch) {
    Drawing& drawing = *ctx.drawing.drawing;
    FillPatternChoice choice = select_fill_pattern(ctx.state.fill, ctx.settings, ctx.state.fill.kind);
    // A pattern that cannot be drawn is treated as one that cannot be found.
    if (choice.source == PatternSource::generated && !drawable_lines(choice.generated->lines))
        choice.source = PatternSource::solid;
    if (choice.source == PatternSource::solid) {
        hatch.pattern_name = "SOLID";
        hatch.solid_fill = 1;
        hatch.pattern_type = 0;
        hatch.pattern_line_count = 0;
        return;
    }
    hatch.solid_fill = 0;
    hatch.pattern_scale = 1.0;
    hatch.pattern_angle = 0.0;
    hatch.pattern_lines = create_blob(drawing, kPathBlobBlock);
    BlobWriter writer = open_blob_writer(drawing, hatch.pattern_lines);
    std::int16_t count = 0;
    switch (choice.source) {
        case PatternSource::settings: {
            const HatchTemplate& t = choice.settings.pattern;
            hatch.pattern_name = std::string(t.name);
            hatch.pattern_type = 1;
            for (int i = 0; i < t.line_count; ++i, ++count) {
                const TemplateLine& l = t.lines[static_cast<std::size_t>(i)];
                put_line(writer, l.angle, l.base_x, l.base_y, l.offset_x, l.offset_y, l.dash_count,
                         l.dashes.data());
            }
            break;
        }
        case PatternSource::raster: {
            hatch.pattern_name = choice.raster->name;
            hatch.pattern_type = 0;
            for (const HatchLine& l : choice.raster->lines) {
                put_line(writer, l.angle, l.base_x, l.base_y, l.offset_x, l.offset_y,
                         static_cast<std::int16_t>(l.dashes.size()), l.dashes.data());
                ++count;
            }
            break;
        }
        case PatternSource::generated: {
            hatch.pattern_name = choice.generated->name;
            hatch.pattern_type = 0;
            // The dashes are the current linetype's elements as stored:
            // fractions of its pattern, not lengths.
            const double* dashes = nullptr;
            std::int16_t dash_count = 0;
            const int linetype = ctx.state.current_linetype;
            const auto& records = ctx.drawing.linetypes.records;
            if (linetype >= 0 && static_cast<std::size_t>(linetype) < records.size()) {
                const LinetypeRecord& record = records[static_cast<std::size_t>(linetype)];
                dashes = record.elements.data();
                dash_count = static_cast<std::int16_t>(record.count);
            }
            for (const HatchLine& l : choice.generated->lines) {
                put_line(writer, l.angle, l.base_x, l.base_y, l.offset_x, l.offset_y, dash_count,
                         dashes);
                ++count;
            }
            break;
        }
        case PatternSource::solid:
            break;
    }
    close_blob_writer(writer);
    hatch.pattern_line_count = count;
}

void put_polygon_points(BlobWriter& writer, const PolygonList& list, const Subpolygon& polygon,
                        int n, bool bulges) {
    for (int k = 0; k < n; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        put_point(writer, s.x0, s.y0);
        if (bulges) put(writer, s.kind == segment_arc ? s.bulge : 0.0);
    }
}

void emit_contour_polyline(ConstructionContext& ctx, const Contour& contour) {
    for (const ContourPoint& v : contour.vertices)
        if (!drawable_value(v.x) || !drawable_value(v.y)) return;
    PolylineBuild build = begin_polyline(ctx, contour.vertex_count, true, false);
    for (const ContourPoint& v : contour.vertices) add_vertex(ctx, build, v.x, v.y, 0.0);
    end_polyline(ctx, build);
}

}  // namespace

bool hatch_allowed(const ConstructionContext& ctx, int fill_rule) {
    return ctx.options.OutputRelease >= 6 && ctx.settings.FillOutlinesOnly == 0 && fill_rule == 0;
}

void emit_polygon_polyline(ConstructionContext& ctx, const PolygonList& list, int index) {
    const Subpolygon& polygon = polygon_at(list, index);
    if (polygon.count <= 0) return;
    if (is_circle(list, polygon)) {
        const Segment& s = list.segments[polygon.first];
        emit_circle(ctx, s.x0, s.y0, s.bulge);
        grow_extents(ctx.state.extents, s.x0 - s.bulge, s.y0 - s.bulge);
        grow_extents(ctx.state.extents, s.x0 + s.bulge, s.y0 + s.bulge);
        return;
    }
    const int n = points_to_write(list, polygon);
    const bool bulges = has_arcs(list, polygon, n);
    for (int k = 0; k < n; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        if (!drawable_value(s.x0) || !drawable_value(s.y0) || !drawable_value(s.bulge)) return;
    }
    PolylineBuild build = begin_polyline(ctx, n, true, bulges);
    for (int k = 0; k < n; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        add_vertex(ctx, build, s.x0, s.y0, s.kind == segment_arc ? s.bulge : 0.0);
    }
    end_polyline(ctx, build);
}

HatchBuild begin_hatch(ConstructionContext& ctx) {
    HatchBuild build;
    if (!hatch_open(ctx)) return build;
    Drawing& drawing = *ctx.drawing.drawing;
    EntityRecords& records = *ctx.drawing.hatch;
    int colour = ctx.state.current_colour;
    if (ctx.options.mono)
        colour = 7;
    else if (ctx.settings.PenByLayer != 0)
        colour = 256;
    make_current_layer_if_none(ctx, colour & 0xFF);

    records.header.type = hatch_type(drawing);
    init_entity(drawing, records.header, records.record);
    new_handle(drawing, records.header.handle);
    records.header.layer = ctx.drawing.current_layer;
    records.header.color = static_cast<std::int16_t>(colour);
    HatchData& hatch = records.record.hatch;
    hatch.elevation = 0.0;
    hatch.associative = 0;
    set_pattern(ctx, hatch);

    hatch.seed_count = 1;
    hatch.seeds = create_blob(drawing, kSmallBlobBlock);
    BlobWriter seeds = open_blob_writer(drawing, hatch.seeds);
    put_point(seeds, 0.0, 0.0);
    close_blob_writer(seeds);

    hatch.paths = create_blob(drawing, kPathBlobBlock);
    build.paths = open_blob_writer(drawing, hatch.paths);
    hatch.sources = create_blob(drawing, kSmallBlobBlock);
    build.sources = open_blob_writer(drawing, hatch.sources);
    build.active = true;
    return build;
}

void add_polygon_path(HatchBuild& build, const PolygonList& list, int index) {
    if (!build.active) return;
    const Subpolygon& polygon = polygon_at(list, index);
    const int n = points_to_write(list, polygon);
    const bool bulges = has_arcs(list, polygon, n);
    put(build.paths, hatch_path_polyline);
    put(build.paths, static_cast<std::int16_t>(bulges ? 1 : 0));
    put(build.paths, static_cast<std::int16_t>(1));
    put(build.paths, static_cast<std::int32_t>(n));
    for (int k = 0; k < n; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        if (!drawable_value(s.x0) || !drawable_value(s.y0) || !drawable_value(s.bulge))
            build.drawable = false;
    }
    put_polygon_points(build.paths, list, polygon, n, bulges);
    put(build.paths, static_cast<std::int32_t>(0));
}

void add_circle_path(HatchBuild& build, const PolygonList& list, int index) {
    if (!build.active) return;
    const Subpolygon& polygon = polygon_at(list, index);
    const Segment& s = list.segments[polygon.first];
    if (!drawable_value(s.x0) || !drawable_value(s.y0) || !drawable_value(s.bulge))
        build.drawable = false;
    put(build.paths, static_cast<std::int32_t>(0));
    put(build.paths, static_cast<std::int32_t>(polygon.count));
    put(build.paths, hatch_edge_arc);
    put_point(build.paths, s.x0, s.y0);
    put(build.paths, s.bulge);
    put(build.paths, s.x1);
    put(build.paths, s.y1);
    put(build.paths, static_cast<std::int16_t>(1));
    put(build.paths, static_cast<std::int32_t>(0));
}

void add_contour_path(HatchBuild& build, const Contour& contour, std::int32_t flags) {
    if (!build.active) return;
    put(build.paths, flags);
    put(build.paths, static_cast<std::int16_t>(0));
    put(build.paths, static_cast<std::int16_t>(1));
    put(build.paths, static_cast<std::int32_t>(contour.vertices.size()));
    for (const ContourPoint& v : contour.vertices) {
        if (!drawable_value(v.x) || !drawable_value(v.y)) build.drawable = false;
        put_point(build.paths, v.x, v.y);
    }
    put(build.paths, static_cast<std::int32_t>(0));
}

void end_hatch(ConstructionContext& ctx, HatchBuild& build, std::int32_t path_count) {
    if (!build.active) return;
    build.active = false;
    close_blob_writer(build.paths);
    close_blob_writer(build.sources);
    EntityRecords& records = *ctx.drawing.hatch;
    records.record.hatch.path_count = path_count;
    if (build.drawable) (void)add_entity_to_drawing(ctx, records);
}

void emit_polygon_hatch(ConstructionContext& ctx, const PolygonList& list, int first, int count) {
    int paths = 0;
    for (int i = first; i < first + count; ++i) paths += drawable(list, i) ? 1 : 0;
    if (paths == 0) return;
    HatchBuild build = begin_hatch(ctx);
    for (int i = first; i < first + count; ++i) {
        if (!drawable(list, i)) continue;
        if (is_circle(list, polygon_at(list, i)))
            add_circle_path(build, list, i);
        else
            add_polygon_path(build, list, i);
    }
    end_hatch(ctx, build, paths);
}

void emit_region_hatch(ConstructionContext& ctx, ContourSet& region) {
    std::vector<Contour>& all = region.contours;
    for (Contour& outer : all) {
        if (outer.hole || (outer.flags & (contour_dropped | contour_written))) continue;
        HatchBuild build = begin_hatch(ctx);
        add_contour_path(build, outer,
                         outer.child_count > 0 ? kPathWithHoles : hatch_path_polyline);
        outer.flags |= contour_written;
        std::int32_t holes = 0;
        for (std::int32_t h : outer.children) {
            Contour& hole = all[static_cast<std::size_t>(h)];
            if (hole.flags & contour_dropped) continue;
            add_contour_path(build, hole, kHolePath);
            hole.flags |= contour_written;
            ++holes;
        }
        end_hatch(ctx, build, 1 + holes);
    }
}

void fill_polygons(ConstructionContext& ctx, int first, int count, int fill_rule, bool combine) {
    const PolygonList& list = ctx.state.polygons.fill;
    if (count <= 0 || first < 0 || static_cast<std::size_t>(first + count) > list.polygons.size())
        return;
    const bool hatch = hatch_allowed(ctx, fill_rule);
    if (combine && count >= 2) {
        ContourSet region = combine_polygons(list, first, count);
        if (hatch) {
            emit_region_hatch(ctx, region);
            return;
        }
        for (const Contour& c : region.contours)
            if (!(c.flags & contour_dropped)) emit_contour_polyline(ctx, c);
        return;
    }
    if (hatch) {
        emit_polygon_hatch(ctx, list, first, count);
        return;
    }
    for (int i = first; i < first + count; ++i)
        if (drawable(list, i)) emit_polygon_polyline(ctx, list, i);
}

}  // namespace penloom
