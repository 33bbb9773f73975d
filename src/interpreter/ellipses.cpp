// Circles of user space drawn through an anisotropic scaling (see
// ellipses.h).
#include "interpreter/ellipses.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "construction/entity_emission.h"
#include "interpreter/interpreter_context.h"

namespace penloom {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kChordError = 0.01;     // drawing units
constexpr int kMostChordsPerTurn = 2048;
constexpr int kLeastChordsPerTurn = 8;

double length(DrawingPoint p) { return std::hypot(p.x, p.y); }

UserArc arc_with_radius(const GraphicsState& gs, DrawingPoint centre, double radius) {
    UserArc arc;
    arc.centre = centre;
    arc.u = transform_point(gs, radius, 0.0, true);
    arc.v = transform_point(gs, 0.0, radius, true);
    return arc;
}

// Into 0 <= angle < 2 pi.
double wrap(double angle) {
    angle = std::fmod(angle, kTwoPi);
    if (angle < 0.0) angle += kTwoPi;
    return angle >= kTwoPi ? 0.0 : angle;
}

int chord_count(const UserArc& arc) {
    if (!std::isfinite(arc.sweep)) return 1;
    const double major = std::max(length(arc.u), length(arc.v));
    const double turns = std::fabs(arc.sweep) / kTwoPi;
    // A chord of parameter step d strays at most major * d^2 / 8.
    double step = major > 0.0 ? std::sqrt(8.0 * kChordError / major) : kTwoPi;
    step = std::min(step, kTwoPi / kLeastChordsPerTurn);
    const double wanted = std::ceil(std::fabs(arc.sweep) / step - 1e-9);
    const double most = std::ceil(kMostChordsPerTurn * turns - 1e-9);
    return std::max(1, static_cast<int>(std::min(wanted, most)));
}

}  // namespace

bool anisotropic(const GraphicsState& gs) {
    if (!gs.scaling_on) return false;
    const double x = std::fabs(gs.scale_x), y = std::fabs(gs.scale_y);
    return std::fabs(x - y) > 1e-9 * std::max(x, y);
}

UserArc user_circle(const GraphicsState& gs, DrawingPoint centre, double radius) {
    UserArc arc = arc_with_radius(gs, centre, std::fabs(radius));
    arc.sweep = kTwoPi;
    arc.full = true;
    return arc;
}

UserArc user_arc_from(const GraphicsState& gs, DrawingPoint centre, DrawingPoint start, double sweep) {
    const DrawingPoint w = inverse_transform(gs, start.x - centre.x, start.y - centre.y);
    UserArc arc = arc_with_radius(gs, centre, std::hypot(w.x, w.y));
    arc.from = std::atan2(w.y, w.x);
    arc.sweep = sweep;
    arc.full = std::fabs(std::fabs(sweep) - kTwoPi) < 1e-12;
    return arc;
}

DrawingPoint user_arc_point(const UserArc& arc, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {arc.centre.x + c * arc.u.x + s * arc.v.x, arc.centre.y + c * arc.u.y + s * arc.v.y};
}

void user_arc_chords(const UserArc& arc, std::vector<PathVertex>& out) {
    out.clear();
    const int n = chord_count(arc);
    for (int i = 0; i <= n; ++i) {
        // The ends exactly: the start is the current position, the end the next one.
        const double angle = i == n ? arc.from + arc.sweep : arc.from + arc.sweep * i / n;
        const DrawingPoint p = user_arc_point(arc, angle);
        out.push_back({p.x, p.y, 0.0});
    }
    if (arc.full) out.back() = out.front();
}

void grow_extents_by_arc(GraphicsState& gs, const UserArc& arc) {
    if (arc.full) {
        const double half_x = std::hypot(arc.u.x, arc.v.x), half_y = std::hypot(arc.u.y, arc.v.y);
        grow_extents(gs, arc.centre.x - half_x, arc.centre.y - half_y);
        grow_extents(gs, arc.centre.x + half_x, arc.centre.y + half_y);
        return;
    }
    const DrawingPoint start = user_arc_point(arc, arc.from), end = user_arc_end(arc);
    grow_extents(gs, arc.centre.x, arc.centre.y);
    grow_extents(gs, start.x, start.y);
    grow_extents(gs, end.x, end.y);
}

void emit_user_arc(InterpreterContext& ctx, const UserArc& arc) {
    if (ctx.options.OutputRelease < version_r13 || ctx.settings.UsePolylineWidths != 0) {
        std::vector<PathVertex>& points = ctx.gs.polygons.scratch;
        user_arc_chords(arc, points);
        emit_path_polyline(ctx, points.data(), static_cast<int>(points.size()));
        return;
    }
    // The longer of u and v is the major axis. An ELLIPSE's parameter runs
    // counter-clockwise from it, so the user angle t maps to the parameter
    // t (or t - pi/2 with v major) when u turns counter-clockwise into v,
    // and to its negative in a mirrored system.
    const bool u_major = length(arc.u) >= length(arc.v);
    const DrawingPoint major = u_major ? arc.u : arc.v;
    const double major_length = length(major);
    if (!(major_length > 0.0)) return;
    const double ratio = std::min(1.0, (u_major ? length(arc.v) : length(arc.u)) / major_length);
    const bool turning = arc.u.x * arc.v.y - arc.u.y * arc.v.x > 0.0;
    const double offset = u_major ? 0.0 : std::numbers::pi / 2.0;
    auto parameter = [&](double t) { return turning ? t - offset : offset - t; };
    double start = 0.0, end = kTwoPi;
    if (!arc.full) {
        const double a = parameter(arc.from), b = parameter(arc.from + arc.sweep);
        start = wrap(std::min(a, b));
        end = wrap(start + std::fabs(arc.sweep));
    }
    emit_ellipse(ctx, arc.centre.x, arc.centre.y, major.x, major.y, ratio, start, end);
}

}  // namespace penloom
