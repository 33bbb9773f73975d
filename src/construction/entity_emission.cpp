// Line-work entities: the common entity set-up, the polyline writer
// (LWPOLYLINE or POLYLINE/VERTEX/SEQEND), paths, circles and arcs.
#include "construction/entity_emission.h"

#include <cmath>

#include "construction/extents.h"
#include "construction/layers.h"
#include "construction/linetypes.h"
#include "construction/construction_context.h"

namespace penloom {

namespace {

constexpr std::uint32_t kVertexBlobBlock = 4096;
constexpr double kSamePoint = 1e-10;
constexpr double kSmallestBulge = 0.001;

bool drawing_open(const ConstructionContext& ctx) {
    return ctx.drawing.drawing != nullptr && ctx.drawing.model_space != nullptr &&
           ctx.drawing.line_work != nullptr;
}

// Lineweights exist from release 2000 on.
void set_lineweight(const ConstructionContext& ctx, EntityHeader& header) {
    if (ctx.settings.UseLineWeights != 0 && ctx.options.OutputRelease > 6)
        header.lineweight = static_cast<std::int16_t>(ctx.state.current_lineweight);
}

bool use_widths(const ConstructionContext& ctx) {
    return ctx.settings.UsePolylineWidths != 0;
}

bool drawable_point(double x, double y) {
    return drawable_value(x) && drawable_value(y);
}

}  // namespace

void begin_entity(ConstructionContext& ctx, std::uint16_t type, int colour, int linetype, EntityRecords& records) {
    if (!ctx.drawing.drawing) return;
    // The entity's colour stands for the pen number here (layers.h).
    make_current_layer_if_none(ctx, colour);
    colour = entity_colour(ctx, colour);

    Drawing& drawing = *ctx.drawing.drawing;
    EntityHeader& header = records.header;
    header.type = type;
    init_entity(drawing, header, records.record);
    new_handle(drawing, header.handle);
    header.layer = ctx.drawing.current_layer;
    if (linetype >= 0) header.linetype = linetype_handle(ctx.drawing, linetype);
    if (colour >= 0) header.color = static_cast<std::int16_t>(colour);
}

bool add_entity_to_drawing(ConstructionContext& ctx, EntityRecords& records) {
    if (!drawing_open(ctx)) return false;
    if (add_entity(*ctx.drawing.drawing, *ctx.drawing.model_space, records.header, records.record))
        return true;
    report_database_error(ctx.drawing, ctx.out, ctx.settings, -88);
    return false;
}

bool use_lwpolyline(const ConstructionContext& ctx) {
    return ctx.options.OutputRelease >= 6 && ctx.settings.OutputPolyline == 0 &&
           ctx.state.current_linetype < 1;
}

double pen_width_in_drawing_units(const ConstructionContext& ctx) {
    return ctx.state.current_width * ctx.settings.unit_factor / ctx.settings.ScaleFactor;
}

PolylineBuild begin_polyline(ConstructionContext& ctx, int vertex_count, bool closed, bool has_bulges) {
    PolylineBuild build;
    if (!drawing_open(ctx)) return build;
    build.active = true;
    build.has_bulges = has_bulges;
    build.lightweight = use_lwpolyline(ctx);
    Drawing& drawing = *ctx.drawing.drawing;
    EntityRecords& records = *ctx.drawing.line_work;
    const double width = use_widths(ctx) ? pen_width_in_drawing_units(ctx) : 0.0;

    if (build.lightweight) {
        begin_entity(ctx, lwpolyline_type(drawing), ctx.state.current_colour, ctx.state.current_linetype,
                     records);
        LwpolylineData& lw = records.record.lwpolyline;
        lw.vertex_count = vertex_count;
        lw.flags = lwpolyline_translator_mark;
        if (closed) lw.flags |= lwpolyline_closed;
        if (has_bulges) lw.flags |= lwpolyline_has_bulges;
        if (use_widths(ctx)) {
            lw.flags |= lwpolyline_has_constant_width;
            lw.constant_width = width;
        }
        lw.elevation = 0.0;
        lw.vertices = create_blob(drawing, kVertexBlobBlock);
        build.writer = open_blob_writer(drawing, lw.vertices);
        set_lineweight(ctx, records.header);
        return build;
    }

    begin_entity(ctx, entity_polyline, ctx.state.current_colour, ctx.state.current_linetype, records);
    PolylineData& polyline = records.record.polyline;
    polyline.flags = closed ? polyline_continuous_linetype | polyline_closed : polyline_continuous_linetype;
    polyline.start_width = width;
    polyline.end_width = width;
    set_lineweight(ctx, records.header);
    build.head_lost = !add_entity_to_drawing(ctx, records);
    return build;
}

void add_vertex(ConstructionContext& ctx, PolylineBuild& build, double x, double y, double bulge) {
    if (!build.active) return;
    if (!drawable_point(x, y) || !drawable_value(bulge)) {
        build.drawable = false;
        return;
    }
    if (build.lightweight) {
        const double point[2] = {x, y};
        blob_write(build.writer, point, 16);
        if (build.has_bulges) blob_write(build.writer, &bulge, 8);
        return;
    }
    if (build.head_lost) return;
    EntityRecords& records = *ctx.drawing.line_work;
    begin_entity(ctx, entity_vertex, -1, ctx.state.current_linetype, records);
    VertexData& vertex = records.record.vertex;
    vertex.location = {x, y, 0.0};
    if (use_widths(ctx)) vertex.start_width = vertex.end_width = pen_width_in_drawing_units(ctx);
    if (build.has_bulges) vertex.bulge = bulge;
    set_lineweight(ctx, records.header);
    (void)add_entity_to_drawing(ctx, records);
}

void end_polyline(ConstructionContext& ctx, PolylineBuild& build) {
    if (!build.active) return;
    build.active = false;
    Drawing& drawing = *ctx.drawing.drawing;
    EntityRecords& records = *ctx.drawing.line_work;
    if (build.lightweight) {
        close_blob_writer(build.writer);
        if (build.drawable) (void)add_entity_to_drawing(ctx, records);
        return;
    }
    if (build.head_lost) return;
    // SEQEND keeps the defaults: the drawing's first layer, colour BYLAYER.
    records.header.type = entity_seqend;
    init_entity(drawing, records.header, records.record);
    new_handle(drawing, records.header.handle);
    (void)add_entity_to_drawing(ctx, records);
}

void emit_path_polyline(ConstructionContext& ctx, const PathVertex* vertices, int count) {
    int n = count;
    bool closed = false;
    if (n > 2 && std::fabs(vertices[0].x - vertices[n - 1].x) <= kSamePoint &&
        std::fabs(vertices[0].y - vertices[n - 1].y) <= kSamePoint) {
        --n;
        closed = n >= 3;
    }
    if (n < 2) return;
    // A path through a point the drawing cannot hold is not written at all.
    for (int i = 0; i < n; ++i)
        if (!drawable_point(vertices[i].x, vertices[i].y) || !drawable_value(vertices[i].bulge))
            return;
    bool has_bulges = false;
    for (int i = 0; i < n && !has_bulges; ++i) has_bulges = std::fabs(vertices[i].bulge) >= kSmallestBulge;
    PolylineBuild build = begin_polyline(ctx, n, closed, has_bulges);
    for (int i = 0; i < n; ++i) add_vertex(ctx, build, vertices[i].x, vertices[i].y, vertices[i].bulge);
    end_polyline(ctx, build);
}

void emit_circle_polyline(ConstructionContext& ctx, double x1, double y1, double x2, double y2) {
    if (!drawable_point(x1, y1) || !drawable_point(x2, y2)) return;
    PolylineBuild build = begin_polyline(ctx, 2, true, true);
    add_vertex(ctx, build, x1, y1, 1.0);
    add_vertex(ctx, build, x2, y2, 1.0);
    end_polyline(ctx, build);
}

void emit_circle(ConstructionContext& ctx, double centre_x, double centre_y, double radius) {
    if (!drawing_open(ctx)) return;
    if (!drawable_point(centre_x, centre_y) || !drawable_value(radius)) return;
    if (use_widths(ctx)) {
        emit_circle_polyline(ctx, centre_x + radius, centre_y, centre_x - radius, centre_y);
        return;
    }
    EntityRecords& records = *ctx.drawing.line_work;
    begin_entity(ctx, entity_circle, ctx.state.current_colour, ctx.state.current_linetype, records);
    records.record.circle.center = {centre_x, centre_y, 0.0};
    records.record.circle.radius = radius;
    set_lineweight(ctx, records.header);
    (void)add_entity_to_drawing(ctx, records);
}

void emit_arc(ConstructionContext& ctx, double centre_x, double centre_y, double radius, double start_angle,
              double end_angle) {
    if (!drawing_open(ctx)) return;
    if (!drawable_point(centre_x, centre_y) || !drawable_value(radius) ||
        !drawable_value(start_angle) || !drawable_value(end_angle))
        return;
    EntityRecords& records = *ctx.drawing.line_work;
    begin_entity(ctx, entity_arc, ctx.state.current_colour, ctx.state.current_linetype, records);
    ArcData& arc = records.record.arc;
    arc.center = {centre_x, centre_y, 0.0};
    arc.radius = radius;
    arc.start_angle = start_angle;
    arc.end_angle = end_angle;
    set_lineweight(ctx, records.header);
    (void)add_entity_to_drawing(ctx, records);
}

void emit_ellipse(ConstructionContext& ctx, double centre_x, double centre_y, double major_x, double major_y, double ratio,
                  double start_parameter, double end_parameter) {
    if (!drawing_open(ctx)) return;
    if (!drawable_point(centre_x, centre_y) || !drawable_point(major_x, major_y) || !(ratio > 0.0) ||
        !drawable_value(start_parameter) || !drawable_value(end_parameter))
        return;
    EntityRecords& records = *ctx.drawing.line_work;
    begin_entity(ctx, entity_ellipse, ctx.state.current_colour, ctx.state.current_linetype, records);
    EllipseData& ellipse = records.record.ellipse;
    ellipse.center = {centre_x, centre_y, 0.0};
    ellipse.major_axis = {major_x, major_y, 0.0};
    ellipse.ratio = ratio;
    ellipse.start_parameter = start_parameter;
    ellipse.end_parameter = end_parameter;
    set_lineweight(ctx, records.header);
    (void)add_entity_to_drawing(ctx, records);
}

}  // namespace penloom
