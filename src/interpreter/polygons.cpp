// Polygon mode and filled shapes: the polygon buffer's vertex intake, PM,
// EP, FP, the pending solid fill and the outline of the edge list.
#include "interpreter/polygons.h"

#include <cmath>
#include <numbers>

#include "construction/entity_emission.h"
#include "construction/fill_patterns.h"
#include "construction/hatch_emission.h"
#include "construction/polygon_union.h"
#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "input/tokenizer.h"
#include "interpreter/ellipses.h"
#include "interpreter/handlers.h"
#include "interpreter/pens.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

constexpr double kSamePoint = 1e-10;
constexpr int kImmediateFillCount = 1000;  // subpolygons that make FP fill at once

void begin_in(PolygonList& list) {
    Subpolygon polygon;
    polygon.first = list.segments.size();
    list.polygons.push_back(polygon);
}

// Appends a segment ending at (x, y) to the last open subpolygon of the
// list (beginning one when there is none); the first segment of a
// subpolygon starts at the stored start point.
void append_to(PolygonList& list, const PolygonState& state, double x, double y, double bulge,
               bool has_bulge, bool pen_down) {
    Segment s;
    if (list.polygons.empty() || list.polygons.back().closed) begin_in(list);
    if (list.polygons.back().count == 0) {
        s.x0 = state.start_x;
        s.y0 = state.start_y;
    } else {
        const Segment& last = list.segments.back();
        s.x0 = last.x1;
        s.y0 = last.y1;
    }
    s.x1 = x;
    s.y1 = y;
    // The bulge is that of the segment that ends here.
    s.kind = has_bulge ? segment_arc : segment_straight;
    s.bulge = has_bulge ? bulge : 0.0;
    s.pen_down = pen_down;
    list.segments.push_back(s);
    ++list.polygons.back().count;
}

void compute_box(const PolygonList& list, Subpolygon& polygon) {
    polygon.min_x = polygon.min_y = 1e30;
    polygon.max_x = polygon.max_y = -1e30;
    for (int k = 0; k < polygon.count; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        double xs[2] = {s.x0, s.x1}, ys[2] = {s.y0, s.y1};
        if (s.kind == segment_circle) {
            xs[0] = s.x0 - s.bulge;
            xs[1] = s.x0 + s.bulge;
            ys[0] = s.y0 - s.bulge;
            ys[1] = s.y0 + s.bulge;
        }
        for (int i = 0; i < 2; ++i) {
            polygon.min_x = std::fmin(polygon.min_x, xs[i]);
            polygon.max_x = std::fmax(polygon.max_x, xs[i]);
            polygon.min_y = std::fmin(polygon.min_y, ys[i]);
            polygon.max_y = std::fmax(polygon.max_y, ys[i]);
        }
    }
}

// Adds the closing segment back to the first point (at least two segments).
void add_closing_segment(PolygonList& list, Subpolygon& polygon, bool pen_down) {
    if (polygon.count < 2) return;
    const Segment& first = list.segments[polygon.first];
    Segment s;
    s.x0 = list.segments.back().x1;
    s.y0 = list.segments.back().y1;
    s.x1 = first.x0;
    s.y1 = first.y0;
    s.pen_down = pen_down;
    list.segments.push_back(s);
    ++polygon.count;
}

bool outside_clip(const GraphicsState& gs, const Subpolygon& p) {
    if (gs.clipping_off) return false;
    return p.max_x <= gs.clip_min_x || p.min_x >= gs.clip_max_x || p.max_y <= gs.clip_min_y ||
           p.min_y >= gs.clip_max_y;
}

bool has_curves(const PolygonList& list, const Subpolygon& p) {
    for (int k = 0; k < p.count; ++k) {
        const std::int32_t kind = list.segments[p.first + static_cast<std::size_t>(k)].kind;
        if (kind == segment_arc || kind == segment_circle) return true;
    }
    return false;
}

// The fill list's last subpolygon after its segments are complete: cleaned,
// boxed, and kept or dropped. Returns false when dropped.
bool settle_fill_polygon(InterpreterContext& ctx) {
    PolygonList& list = ctx.gs.polygons.fill;
    Subpolygon& polygon = list.polygons.back();
    if (polygon.count >= 3 ||
        (polygon.count > 0 && list.segments[polygon.first].kind != segment_circle)) {
        const int n = clean_polygon(&list.segments[polygon.first], polygon.count,
                                    ctx.settings.ElimSlivers != 0);
        polygon.count = n;
        list.segments.resize(polygon.first + static_cast<std::size_t>(n));
    }
    compute_box(list, polygon);
    if (outside_clip(ctx.gs, polygon) || (polygon.count < 3 && !has_curves(list, polygon))) {
        list.segments.resize(polygon.first);
        list.polygons.pop_back();
        return false;
    }
    polygon.closed = true;
    return true;
}

void settle_edge_polygon(PolygonList& list) {
    Subpolygon& polygon = list.polygons.back();
    compute_box(list, polygon);
    polygon.closed = true;
}

void empty_lists(PolygonState& state) {
    state.fill.segments.clear();
    state.fill.polygons.clear();
    state.edge.segments.clear();
    state.edge.polygons.clear();
    state.filled_count = 0;
}

void run_deferred_edge(InterpreterContext& ctx) {
    if (!ctx.gs.polygons.edge_after_fill) return;
    ctx.gs.polygons.edge_after_fill = false;
    run_edge(ctx);
}

// One run of pen-down segments as a polyline (arcs as bulges).
void emit_run(InterpreterContext& ctx, const PolygonList& list, const Subpolygon& polygon, int from, int to) {
    std::vector<PathVertex>& points = ctx.gs.polygons.scratch;
    points.clear();
    const Segment& head = list.segments[polygon.first + static_cast<std::size_t>(from)];
    points.push_back({head.x0, head.y0, 0.0});
    for (int k = from; k < to; ++k) {
        const Segment& s = list.segments[polygon.first + static_cast<std::size_t>(k)];
        if (std::fabs(s.x1 - points.back().x) <= kSamePoint &&
            std::fabs(s.y1 - points.back().y) <= kSamePoint)
            continue;
        points.back().bulge = s.kind == segment_arc ? s.bulge : 0.0;
        points.push_back({s.x1, s.y1, 0.0});
    }
    emit_path_polyline(ctx, points.data(), static_cast<int>(points.size()));
}

}  // namespace

void finish_pending_fill(InterpreterContext& ctx) {
    if (!ctx.gs.fill_pending) return;
    run_fill(ctx, false, true);
}

void polygon_add_vertex(InterpreterContext& ctx, double x, double y, double bulge, bool has_bulge) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    grow_extents(gs, x, y);
    if (state.new_subpolygon) {
        if (state.start_only) {
            state.start_x = x;
            state.start_y = y;
            state.start_only = false;
            return;
        }
        begin_in(state.fill);
        begin_in(state.edge);
        state.new_subpolygon = false;
    }
    append_to(state.fill, state, x, y, bulge, has_bulge, gs.pen_down);
    append_to(state.edge, state, x, y, bulge, has_bulge, gs.pen_down);
}

void polygon_add_circle(InterpreterContext& ctx, double centre_x, double centre_y, double radius) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    Segment s;
    s.x0 = centre_x;
    s.y0 = centre_y;
    s.bulge = radius;
    s.x1 = 0.0;
    s.y1 = 2.0 * std::numbers::pi;
    s.kind = segment_circle;
    grow_extents(gs, centre_x - radius, centre_y - radius);
    grow_extents(gs, centre_x + radius, centre_y + radius);
    for (PolygonList* list : {&state.fill, &state.edge}) {
        Subpolygon polygon;
        polygon.first = list->segments.size();
        polygon.count = 1;
        list->segments.push_back(s);
        list->polygons.push_back(polygon);
    }
    settle_fill_polygon(ctx);
    settle_edge_polygon(state.edge);
    state.new_subpolygon = true;
    state.start_only = false;
    state.start_x = gs.current_x;
    state.start_y = gs.current_y;
}

void polygon_add_ellipse(InterpreterContext& ctx, const UserArc& ellipse) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    std::vector<PathVertex>& points = state.scratch;
    user_arc_chords(ellipse, points);
    points.pop_back();  // the closing segment comes back to the first point
    add_closed_polygon(ctx, points.data(), static_cast<int>(points.size()));
    state.new_subpolygon = true;
    state.start_only = false;
    state.start_x = gs.current_x;
    state.start_y = gs.current_y;
}

void close_subpolygon(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    PolygonList& fill = state.fill;
    if (!fill.polygons.empty() && !fill.polygons.back().closed) {
        Subpolygon& polygon = fill.polygons.back();
        if (polygon.count >= 2) {
            add_closing_segment(fill, polygon, gs.pen_down);
            gs.current_x = fill.segments[polygon.first].x0;
            gs.current_y = fill.segments[polygon.first].y0;
        }
        settle_fill_polygon(ctx);
    }
    PolygonList& edge = state.edge;
    if (!edge.polygons.empty() && !edge.polygons.back().closed) {
        add_closing_segment(edge, edge.polygons.back(), gs.pen_down);
        settle_edge_polygon(edge);
    }
}

void run_fill(InterpreterContext& ctx, bool read_rule, bool flush_only, int limit) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    const int size = static_cast<int>(state.fill.polygons.size());
    const int count = limit >= 0 && limit < size ? limit : size;
    int mode = 0;
    if (!flush_only) {
        int rule = 0;
        if (read_rule && read_numbers(gs, 1) == 1) rule = gs.tokens.integers[0];
        state.fill_rule = rule;
        if (rule == 1) {
            mode = count < 2 ? 1 : 2;
            gs.fill_pending = false;
        } else if (count >= kImmediateFillCount) {
            mode = 1;
            gs.fill_pending = false;
        }
    } else {
        gs.fill_pending = false;
        mode = 1;
    }
    if (gs.pens.white_colour && ctx.settings.TransWhiteFill == 0) {
        run_deferred_edge(ctx);
        return;
    }
    if (fill_level(gs.fill, ctx.settings, gs.current_colour) == 100) {
        state.edge_after_fill = false;
    } else if (gs.fill_pending) {
        mode = count < 2 ? 1 : 2;
        gs.fill_pending = false;
    }
    if (!gs.fill_pending) {
        switch (mode) {
            case 0:
                fill_polygons(ctx, 0, count, state.fill_rule, false);
                break;
            case 1:
                fill_polygons(ctx, 0, count, state.fill_rule, true);
                break;
            default:
                fill_polygons(ctx, 0, count - 1, 0, true);
                fill_polygons(ctx, count - 1, 1, state.fill_rule, true);
                break;
        }
    }
    state.filled_count = gs.fill_pending ? count : 0;
    run_deferred_edge(ctx);
}

void run_edge(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    // The outline empties both lists: a solid fill still pending from an
    // FP before it is gone with them.
    const PolygonList& edge = state.edge;
    for (const Subpolygon& polygon : edge.polygons) {
        if (polygon.count <= 0) continue;
        const Segment& head = edge.segments[polygon.first];
        if (head.kind == segment_circle) {
            emit_circle(ctx, head.x0, head.y0, head.bulge);
            continue;
        }
        int k = 0;
        while (k < polygon.count) {
            while (k < polygon.count &&
                   !edge.segments[polygon.first + static_cast<std::size_t>(k)].pen_down)
                ++k;
            const int from = k;
            while (k < polygon.count &&
                   edge.segments[polygon.first + static_cast<std::size_t>(k)].pen_down)
                ++k;
            if (k > from) emit_run(ctx, edge, polygon, from, k);
        }
    }
    empty_lists(state);
}

void clear_polygon_buffer(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    gs.fill_pending = false;
    gs.polygon_mode = false;
    state.new_subpolygon = false;
    state.start_only = false;
    state.edge_after_fill = false;
    empty_lists(state);
}

bool add_closed_polygon(InterpreterContext& ctx, const PathVertex* vertices, int count) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    if (count <= 0) return false;
    for (PolygonList* list : {&state.fill, &state.edge}) {
        Subpolygon polygon;
        polygon.first = list->segments.size();
        polygon.count = count;
        for (int k = 0; k < count; ++k) {
            const PathVertex& a = vertices[k];
            const PathVertex& b = vertices[k + 1 < count ? k + 1 : 0];
            Segment s;
            s.x0 = a.x;
            s.y0 = a.y;
            s.x1 = b.x;
            s.y1 = b.y;
            s.bulge = a.bulge;
            s.kind = a.bulge != 0.0 ? segment_arc : segment_straight;
            list->segments.push_back(s);
        }
        list->polygons.push_back(polygon);
    }
    for (int k = 0; k < count; ++k) grow_extents(gs, vertices[k].x, vertices[k].y);
    settle_edge_polygon(state.edge);
    return settle_fill_polygon(ctx);
}

void fill_rectangle(InterpreterContext& ctx, double x0, double y0, double x1, double y1,
                    bool stay_in_polygon_mode) {
    clear_polygon_buffer(ctx);
    const PathVertex corners[4] = {{x0, y0, 0.0}, {x1, y0, 0.0}, {x1, y1, 0.0}, {x0, y1, 0.0}};
    add_closed_polygon(ctx, corners, 4);
    run_fill(ctx, false, false);
    if (stay_in_polygon_mode) restart_polygon_mode(ctx);
}

namespace {

// Polygon mode begins at the current position with a new subpolygon.
void enter_polygon_mode(GraphicsState& gs) {
    PolygonState& state = gs.polygons;
    state.origin_x = state.start_x = gs.current_x;
    state.origin_y = state.start_y = gs.current_y;
    gs.polygon_mode = true;
    state.new_subpolygon = true;
    state.start_only = false;
}

}  // namespace

void restart_polygon_mode(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    gs.fill_pending = false;
    empty_lists(gs.polygons);
    enter_polygon_mode(gs);
}

void release_polygon_lists(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    gs.polygons = PolygonState{};
    gs.fill_pending = false;
    gs.polygon_mode = false;
    reset_fill_state(gs);
}

int peek_command(InterpreterContext& ctx) {
    ReaderState& reader = ctx.gs.reader;
    const ReadPosition position = save_position(reader);
    const int current = reader.current, previous = reader.previous;
    const bool push_back = reader.push_back, ended = reader.end_of_input, trace = reader.trace_on;
    reader.trace_on = false;  // what is only looked at is echoed when it is read
    int c = next_char(reader);
    while (c != kEndOfInput && c != kEscape && !is_letter(c)) c = next_char(reader);
    int code = 0;
    if (is_letter(c)) {
        const int second = next_char(reader);
        code = lookup_command(c, second);
    }
    restore_position(reader, position);
    reader.current = current;
    reader.previous = previous;
    reader.push_back = push_back;
    reader.end_of_input = ended;
    reader.trace_on = trace;
    return code;
}

// PM 0|1|2 (none: 0).
void begin_polygon_mode(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    if (!gs.fill_pending) {
        empty_lists(state);
        if (gs.fill.kind == fill_solid) gs.fill_pending = true;
    }
    // A path still open is written now rather than lost.
    if (!gs.polygon_mode && gs.pen_down) reopen_path(ctx);
    enter_polygon_mode(gs);
}

void end_polygon_mode(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    close_subpolygon(ctx);
    gs.current_x = state.origin_x;
    gs.current_y = state.origin_y;
    gs.polygon_mode = false;
    state.new_subpolygon = false;
    state.start_only = false;
}

void fill_circle(InterpreterContext& ctx, double centre_x, double centre_y, double radius) {
    begin_polygon_mode(ctx);
    // Circles join the polygon buffer only where HATCH can hold them.
    if (ctx.options.OutputRelease >= version_r14)
        polygon_add_circle(ctx, centre_x, centre_y, radius);
    else
        emit_circle(ctx, centre_x, centre_y, radius);
    end_polygon_mode(ctx);
    run_fill(ctx, false, false);
}

void cmd_pm(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    PolygonState& state = gs.polygons;
    const int n = read_numbers(gs, 1) >= 1 ? gs.tokens.integers[0] : 0;
    switch (n) {
        case 0:
            begin_polygon_mode(ctx);
            break;
        case 1:
            if (peek_command(ctx) == command_pm) return;
            close_subpolygon(ctx);
            gs.fill_pending = false;
            state.new_subpolygon = true;
            state.start_only = true;
            break;
        case 2:
            end_polygon_mode(ctx);
            break;
        default:
            break;
    }
}

// EP: outlines now, or after the FP that follows at once. A solid fill that
// an FP before it left waiting is written first (PCB plotters fill every pad
// and then edge it, FP;EP;): emptying the buffer would otherwise lose it.
// Polygons that no FP asked to fill are only outlined.
void cmd_ep(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (peek_command(ctx) == command_fp) {
        gs.polygons.edge_after_fill = true;
        return;
    }
    if (gs.fill_pending && gs.polygons.filled_count > 0) run_fill(ctx, false, true, gs.polygons.filled_count);
    run_edge(ctx);
}

// FP [rule]: 0 even-odd, 1 non-zero winding.
void cmd_fp(InterpreterContext& ctx, int) {
    run_fill(ctx, true, false);
}

}  // namespace penloom
