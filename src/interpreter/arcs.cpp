// AA, AR, AT, RT and CI.
#include "interpreter/arcs.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "construction/entity_emission.h"
#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "input/tokenizer.h"
#include "interpreter/ellipses.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

constexpr double kNoSweep = 1e-10;      // degrees
constexpr double kCollinear = 1e-20;    // twice the triangle area, drawing units squared
constexpr double kSamePoint = 1e-10;
constexpr double kDegrees = 180.0 / std::numbers::pi;

struct ArcOutput {
    DrawingPoint centre;
    double radius = 0.0;
    DrawingPoint start;          // the current position
    DrawingPoint end;
    double from = 0.0, to = 0.0; // degrees, counter-clockwise from `from` to `to`
    double sweep = 0.0;          // degrees as drawn, signed: its bulge is tan(sweep / 4)
    bool full = false;
    bool joins = false;          // the arc becomes a bulge vertex of the open polyline
};

bool pen_joins_as_bulges(const InterpreterContext& ctx) {
    return ctx.settings.UsePolylineWidths != 0;
}

// The output common to every arc: the drawing (when the pen was down), then
// the pen and the current position move to the end.
void output_arc(InterpreterContext& ctx, const ArcOutput& arc, bool was_down) {
    GraphicsState& gs = ctx.gs;
    // Coordinates beyond the range of doubles make no drawable arc.
    if (!std::isfinite(arc.radius) || !std::isfinite(arc.end.x) || !std::isfinite(arc.end.y)) return;
    if (was_down) {
        const double bulge = std::tan(arc.sweep / 4.0 / kDegrees);
        if (gs.polygon_mode) {
            polygon_add_vertex(ctx, arc.end.x, arc.end.y, bulge, true);
        } else if (arc.joins) {
            add_path_vertex(ctx, arc.end.x, arc.end.y, bulge, true);
        } else if (arc.full && pen_joins_as_bulges(ctx)) {
            emit_circle_polyline(ctx, arc.start.x, arc.start.y, 2.0 * arc.centre.x - arc.start.x,
                                 2.0 * arc.centre.y - arc.start.y);
        } else if (arc.full) {
            emit_circle(ctx, arc.centre.x, arc.centre.y, arc.radius);
        } else {
            emit_arc(ctx, arc.centre.x, arc.centre.y, arc.radius, arc.from / kDegrees, arc.to / kDegrees);
        }
        if (arc.full) {
            grow_extents(gs, arc.centre.x - arc.radius, arc.centre.y - arc.radius);
            grow_extents(gs, arc.centre.x + arc.radius, arc.centre.y + arc.radius);
        } else {
            grow_extents(gs, arc.centre.x, arc.centre.y);
            grow_extents(gs, arc.start.x, arc.start.y);
            grow_extents(gs, arc.end.x, arc.end.y);
        }
        if (!arc.joins && !gs.polygon_mode) put_pen_down(ctx);
        if (gs.polygon_mode) gs.pen_down = true;
    }
    gs.current_x = gs.carriage_x = arc.end.x;
    gs.current_y = gs.carriage_y = arc.end.y;
    ++gs.path_counter;
    if (was_down) {
        gs.path_start_x = arc.end.x;
        gs.path_start_y = arc.end.y;
    }
}

// The same for an arc of user space under anisotropic scaling: where a
// circular arc would be an entity it is an ellipse, and where it would be
// a bulge it is a run of chords.
void output_user_arc(InterpreterContext& ctx, const UserArc& arc, bool joins, bool was_down) {
    GraphicsState& gs = ctx.gs;
    const DrawingPoint end = arc.full ? user_arc_point(arc, arc.from) : user_arc_end(arc);
    if (!std::isfinite(end.x) || !std::isfinite(end.y)) return;
    if (was_down) {
        if (gs.polygon_mode || joins) {
            std::vector<PathVertex>& points = gs.polygons.scratch;
            user_arc_chords(arc, points);
            // Copied out: the polygon buffer and the path may use the scratch list.
            const std::vector<PathVertex> chords(points.begin() + 1, points.end());
            for (const PathVertex& p : chords) {
                if (gs.polygon_mode)
                    polygon_add_vertex(ctx, p.x, p.y, 0.0, false);
                else
                    add_path_vertex(ctx, p.x, p.y, 0.0, false);
            }
        } else {
            emit_user_arc(ctx, arc);
        }
        grow_extents_by_arc(gs, arc);
        if (!joins && !gs.polygon_mode) put_pen_down(ctx);
        if (gs.polygon_mode) gs.pen_down = true;
    }
    gs.current_x = gs.carriage_x = end.x;
    gs.current_y = gs.carriage_y = end.y;
    ++gs.path_counter;
    if (was_down) {
        gs.path_start_x = end.x;
        gs.path_start_y = end.y;
    }
}

// AA and AR: centre, sweep in degrees (the chord angle is ignored).
void arc_by_centre(InterpreterContext& ctx, bool relative) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 4);
    if (count < 3) return;
    const double* v = gs.tokens.values;
    DrawingPoint centre = transform_point(gs, v[0], v[1], relative);
    if (relative) {
        centre.x += gs.current_x;
        centre.y += gs.current_y;
    }
    const double sweep = normalise_degrees(v[2]);
    if (!(std::fabs(sweep) >= kNoSweep)) return;

    if (anisotropic(gs)) {
        const bool full = std::fabs(std::fabs(sweep) - 360.0) < kNoSweep;
        const bool joins = pen_joins_as_bulges(ctx) && !full;
        const bool was_down = gs.pen_down;
        if (!gs.polygon_mode && !joins) end_path(ctx);
        const double turn = full ? (sweep < 0.0 ? -360.0 : 360.0) : sweep;
        UserArc arc = user_arc_from(gs, centre, {gs.current_x, gs.current_y}, turn / kDegrees);
        arc.full = full;
        output_user_arc(ctx, arc, joins, was_down);
        return;
    }

    ArcOutput arc;
    arc.full = std::fabs(std::fabs(sweep) - 360.0) < kNoSweep;
    // A mirrored system (one scale factor negative) turns the other way.
    const bool mirrored = gs.scaling_on && ((gs.scale_x < 0.0) != (gs.scale_y < 0.0));
    // A mirrored arc with polyline widths is an ARC entity, so the path ends
    // for it as for any other entity.
    arc.joins = pen_joins_as_bulges(ctx) && !arc.full && !mirrored;
    const bool was_down = gs.pen_down;
    if (!gs.polygon_mode && !arc.joins) end_path(ctx);

    arc.centre = centre;
    arc.start = {gs.current_x, gs.current_y};
    arc.radius = std::hypot(gs.current_x - centre.x, gs.current_y - centre.y);
    const double start = std::atan2(gs.current_y - centre.y, gs.current_x - centre.x) * kDegrees;
    const double end = mirrored ? start - sweep : start + sweep;
    arc.from = mirrored ? start - sweep : start;
    arc.to = mirrored ? start : start + sweep;
    arc.sweep = mirrored ? -sweep : sweep;
    arc.end = arc.full ? arc.start
                       : DrawingPoint{centre.x + arc.radius * std::cos(end / kDegrees),
                                      centre.y + arc.radius * std::sin(end / kDegrees)};
    if (sweep < 0.0) std::swap(arc.from, arc.to);
    arc.from = normalise_degrees(arc.from);
    arc.to = normalise_degrees(arc.to);
    output_arc(ctx, arc, was_down);
}

// AT and RT under anisotropic scaling: the circle through the three points
// is found in user space, where it is a circle.
void arc_through_user_points(InterpreterContext& ctx, DrawingPoint start, DrawingPoint mid, DrawingPoint end, bool joins,
                             bool was_down) {
    const GraphicsState& gs = ctx.gs;
    const DrawingPoint a = inverse_transform(gs, mid.x - start.x, mid.y - start.y);
    const DrawingPoint b = inverse_transform(gs, end.x - start.x, end.y - start.y);
    const double area2 = a.x * b.y - a.y * b.x;
    const double a2 = a.x * a.x + a.y * a.y, b2 = b.x * b.x + b.y * b.y;
    const double d = 2.0 * area2;
    const DrawingPoint c{(b.y * a2 - a.y * b2) / d, (a.x * b2 - b.x * a2) / d};
    const DrawingPoint offset = transform_point(gs, c.x, c.y, true);
    const DrawingPoint centre{start.x + offset.x, start.y + offset.y};
    const double from = std::atan2(-c.y, -c.x);
    const double to = std::atan2(b.y - c.y, b.x - c.x);
    const double turn = 2.0 * std::numbers::pi;
    const double sweep = area2 > 0.0 ? std::fmod(to - from + 2.0 * turn, turn) : -std::fmod(from - to + 2.0 * turn, turn);
    UserArc arc = user_arc_from(gs, centre, start, sweep);
    arc.full = false;
    output_user_arc(ctx, arc, joins, was_down);
}

// AT and RT: through an intermediate point to an end point.
void arc_through_points(InterpreterContext& ctx, bool relative) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 5);
    if (count < 4) return;
    const double* v = gs.tokens.values;
    DrawingPoint mid = transform_point(gs, v[0], v[1], relative);
    DrawingPoint end = transform_point(gs, v[2], v[3], relative);
    if (relative) {
        mid.x += gs.current_x;
        mid.y += gs.current_y;
        end.x += gs.current_x;
        end.y += gs.current_y;
    }
    const DrawingPoint start{gs.current_x, gs.current_y};
    const bool was_down = gs.pen_down;
    const bool closes = std::fabs(end.x - start.x) <= kSamePoint && std::fabs(end.y - start.y) <= kSamePoint;
    const bool joins = pen_joins_as_bulges(ctx) && !closes;
    if (!gs.polygon_mode && !joins) end_path(ctx);

    const double ax = mid.x - start.x, ay = mid.y - start.y;
    const double bx = end.x - start.x, by = end.y - start.y;
    const double area2 = ax * by - ay * bx;
    if (!(std::fabs(area2) >= kCollinear)) {
        // Collinear (or back to the start): a straight line to the end.
        if (was_down && !joins) put_pen_down(ctx);
        gs.current_x = gs.carriage_x = end.x;
        gs.current_y = gs.carriage_y = end.y;
        if (gs.pen_down || gs.polygon_mode) add_path_vertex(ctx, end.x, end.y, 0.0, false);
        return;
    }

    if (anisotropic(gs)) {
        arc_through_user_points(ctx, start, mid, end, joins, was_down);
        return;
    }

    // Circle through the three points, relative to the start point.
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by;
    const double d = 2.0 * area2;
    const DrawingPoint centre{start.x + (by * a2 - ay * b2) / d, start.y + (ax * b2 - bx * a2) / d};
    ArcOutput arc;
    arc.centre = centre;
    arc.start = start;
    arc.end = end;
    arc.joins = joins;
    arc.radius = std::hypot(start.x - centre.x, start.y - centre.y);
    const double from = std::atan2(start.y - centre.y, start.x - centre.x) * kDegrees;
    const double to = std::atan2(end.y - centre.y, end.x - centre.x) * kDegrees;
    if (area2 > 0.0) {
        arc.sweep = std::fmod(to - from + 720.0, 360.0);
        arc.from = from;
        arc.to = from + arc.sweep;
    } else {
        arc.sweep = -std::fmod(from - to + 720.0, 360.0);
        arc.from = from + arc.sweep;
        arc.to = from;
    }
    arc.from = normalise_degrees(arc.from);
    arc.to = normalise_degrees(arc.to);
    output_arc(ctx, arc, was_down);
}

}  // namespace

double normalise_degrees(double angle) {
    if (!std::isfinite(angle)) return 0.0;
    if (std::fabs(angle) > 1e6) angle = std::fmod(angle, 360.0);
    while (angle > 360.0) angle -= 360.0;
    while (angle < -360.0) angle += 360.0;
    return angle;
}

void cmd_aa_ar(InterpreterContext& ctx, int code) {
    arc_by_centre(ctx, code == command_ar);
}

void cmd_at_rt(InterpreterContext& ctx, int code) {
    arc_through_points(ctx, code == command_rt);
}

// CI radius: a circle round the current position, drawn whatever the pen
// state; the position stays.
void cmd_ci(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (read_numbers(gs, 2) == 0) return;
    double radius = gs.tokens.values[0] * gs.drawing_factor;
    if (gs.scaling_on) radius *= std::fabs(gs.scale_x);
    radius = std::fabs(radius);
    if (!std::isfinite(radius)) return;
    const bool was_down = gs.pen_down;
    end_path(ctx);
    const double cx = gs.current_x, cy = gs.current_y;
    if (anisotropic(gs)) {
        const UserArc arc = user_circle(gs, {cx, cy}, gs.tokens.values[0]);
        if (gs.polygon_mode && ctx.options.OutputRelease >= 6)
            polygon_add_ellipse(ctx, arc);
        else
            emit_user_arc(ctx, arc);
        grow_extents_by_arc(gs, arc);
        if (was_down) put_pen_down(ctx);
        ++gs.path_counter;
        return;
    }
    if (gs.polygon_mode && ctx.options.OutputRelease >= 6)
        polygon_add_circle(ctx, cx, cy, radius);
    else
        emit_circle(ctx, cx, cy, radius);
    grow_extents(gs, cx - radius, cy - radius);
    grow_extents(gs, cx + radius, cy + radius);
    if (was_down) put_pen_down(ctx);
    ++gs.path_counter;
}

}  // namespace penloom
