// Wedges: WG fills one, EW outlines one. A wedge is the region bounded by
// the radius at the start angle, the arc of the sweep and the radius at the
// end angle; a sweep of 360 degrees or more is a whole circle.
//
// The arc is cut into equal pieces of at most 45 degrees, each one bulge
// segment, so outlines and HATCH boundaries follow the circle exactly and
// every bulge stays below tan(11.25 degrees). Angles are taken in the
// plotter's axes (counter-clockwise from +x, as the rotation and scaling
// turn them); the radius is converted as CI's.
#include <cmath>
#include <numbers>

#include "construction/entity_emission.h"
#include "interpreter/interpreter_context.h"
#include "input/tokenizer.h"
#include "interpreter/coordinates.h"
#include "interpreter/ellipses.h"
#include "interpreter/handlers.h"
#include "interpreter/pens.h"
#include "interpreter/polygons.h"

namespace penloom {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr double kLargestPiece = 45.0;  // degrees
constexpr double kNoSweep = 1e-10;      // degrees

struct Wedge {
    double radius = 0.0;  // drawing units
    double user_radius = 0.0;  // user units (anisotropic scaling)
    double start = 0.0;   // degrees
    double sweep = 0.0;   // degrees, within -360..360
    bool full = false;
};

// WG/EW radius, start angle, sweep angle[, chord angle]. A negative radius
// puts the wedge on the other side of the centre. False when there is
// nothing to draw.
bool read_wedge(InterpreterContext& ctx, Wedge& wedge) {
    GraphicsState& gs = ctx.gs;
    if (read_numbers(gs, 4) < 3) return false;
    double user_radius = gs.tokens.values[0];
    double radius = user_radius * gs.drawing_factor;
    if (gs.scaling_on) radius *= std::fabs(gs.scale_x);
    double start = gs.tokens.values[1];
    double sweep = gs.tokens.values[2];
    if (!std::isfinite(radius) || !std::isfinite(start) || !std::isfinite(sweep)) return false;
    if (radius < 0.0) {
        radius = -radius;
        user_radius = -user_radius;
        start += 180.0;
    }
    start = std::fmod(start, 360.0);
    sweep = std::fmax(-360.0, std::fmin(360.0, sweep));
    if (std::fabs(sweep) < kNoSweep || radius == 0.0) return false;
    wedge = Wedge{radius, std::fabs(user_radius), start, sweep, std::fabs(sweep) >= 360.0 - kNoSweep};
    return true;
}

// The drawing direction of a plotter angle (degrees), as a unit vector.
DrawingPoint direction(const GraphicsState& gs, double degrees) {
    const double a = degrees * kRadiansPerDegree;
    DrawingPoint d = transform_point(gs, std::cos(a), std::sin(a), true);
    const double length = std::hypot(d.x, d.y);
    if (length > 0.0) {
        d.x /= length;
        d.y /= length;
    }
    return d;
}

// The arc of a wedge under anisotropic scaling: an arc of an ellipse.
UserArc user_wedge(const GraphicsState& gs, const Wedge& wedge) {
    UserArc arc = user_circle(gs, {gs.current_x, gs.current_y}, wedge.user_radius);
    arc.from = wedge.start * kRadiansPerDegree;
    arc.full = wedge.full;
    arc.sweep = wedge.full ? arc.sweep : wedge.sweep * kRadiansPerDegree;
    return arc;
}

// The wedge's boundary from the centre (the current position): centre,
// the arc's points with the bulges of the pieces that leave them; the
// segment from the last arc point back to the centre is straight. Under
// anisotropic scaling the arc is an ellipse's, in chords.
void wedge_vertices(const GraphicsState& gs, const Wedge& wedge, std::vector<PathVertex>& out) {
    const double cx = gs.current_x, cy = gs.current_y;
    if (anisotropic(gs)) {
        user_arc_chords(user_wedge(gs, wedge), out);
        out.insert(out.begin(), PathVertex{cx, cy, 0.0});
        return;
    }
    out.clear();
    out.push_back({cx, cy, 0.0});
    const int pieces =
        std::max(1, static_cast<int>(std::ceil(std::fabs(wedge.sweep) / kLargestPiece - 1e-9)));
    DrawingPoint previous = direction(gs, wedge.start);
    out.push_back({cx + wedge.radius * previous.x, cy + wedge.radius * previous.y, 0.0});
    for (int i = 1; i <= pieces; ++i) {
        const DrawingPoint d = direction(gs, wedge.start + wedge.sweep * i / pieces);
        // The piece's included angle as drawn (a mirrored system turns it).
        const double included =
            std::atan2(previous.x * d.y - previous.y * d.x, previous.x * d.x + previous.y * d.y);
        out.back().bulge = std::tan(included / 4.0);
        out.push_back({cx + wedge.radius * d.x, cy + wedge.radius * d.y, 0.0});
        previous = d;
    }
}

}  // namespace

// WG: a filled wedge (or circle) round the current position, filled at
// once with the even-odd rule; the position stays.
void cmd_wg(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    clear_polygon_buffer(ctx);
    Wedge wedge;
    if (!read_wedge(ctx, wedge)) return;
    ++gs.path_counter;
    if (wedge.full && anisotropic(gs)) {
        const UserArc ellipse = user_wedge(gs, wedge);
        grow_extents_by_arc(gs, ellipse);
        polygon_add_ellipse(ctx, ellipse);
    } else if (wedge.full) {
        grow_extents(gs, gs.current_x - wedge.radius, gs.current_y - wedge.radius);
        grow_extents(gs, gs.current_x + wedge.radius, gs.current_y + wedge.radius);
        polygon_add_circle(ctx, gs.current_x, gs.current_y, wedge.radius);
    } else {
        wedge_vertices(gs, wedge, gs.polygons.scratch);
        add_closed_polygon(ctx, gs.polygons.scratch.data(),
                           static_cast<int>(gs.polygons.scratch.size()));
    }
    run_fill(ctx, false, false);
}

// EW: the wedge's outline (two radii and the arc) as one closed polyline,
// or a circle; drawn whatever the pen state, the position stays.
void cmd_ew(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    finish_pending_fill(ctx);
    Wedge wedge;
    if (!read_wedge(ctx, wedge)) return;
    ++gs.path_counter;
    const double cx = gs.current_x, cy = gs.current_y;
    if (wedge.full && anisotropic(gs)) {
        const UserArc ellipse = user_wedge(gs, wedge);
        grow_extents_by_arc(gs, ellipse);
        emit_user_arc(ctx, ellipse);
        return;
    }
    if (wedge.full) {
        grow_extents(gs, cx - wedge.radius, cy - wedge.radius);
        grow_extents(gs, cx + wedge.radius, cy + wedge.radius);
        emit_circle(ctx, cx, cy, wedge.radius);
        return;
    }
    std::vector<PathVertex>& points = gs.polygons.scratch;
    wedge_vertices(gs, wedge, points);
    for (const PathVertex& v : points) grow_extents(gs, v.x, v.y);
    points.push_back({cx, cy, 0.0});
    emit_path_polyline(ctx, points.data(), static_cast<int>(points.size()));
}

}  // namespace penloom
