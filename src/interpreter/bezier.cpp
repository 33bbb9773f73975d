// BR and BZ: cubic Bezier curves, in sets of three control points after the
// current position, drawn as polyline vertices. The number of points per
// curve follows the curve's size in user units.
#include "interpreter/bezier.h"

#include <algorithm>
#include <cmath>

#include "interpreter/interpreter_context.h"
#include "input/tokenizer.h"
#include "interpreter/handlers.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

struct PointStep {
    double below;  // size in user units
    int points;
};

// ORDER BEZIER STEPS: BR measures the third relative point, BZ the span
// between the first and third control points; each has its own steps.
constexpr PointStep kRelativeSteps[] = {{8, 6}, {40, 10}, {200, 20}, {400, 30}, {800, 40}};
constexpr PointStep kAbsoluteSteps[] = {{8, 6}, {32, 10}, {160, 20}, {320, 30}, {640, 40}};
constexpr int kMostPoints = 50;

}  // namespace

int bezier_point_count(double size, bool relative) {
    for (const PointStep& step : relative ? kRelativeSteps : kAbsoluteSteps)
        if (size < step.below) return step.points;
    return kMostPoints;
}

void run_bezier(InterpreterContext& ctx, bool relative) {
    GraphicsState& gs = ctx.gs;
    while (read_numbers(gs, 6) == 6) {
        const double* v = gs.tokens.values;
        const DrawingPoint p0{gs.current_x, gs.current_y};
        DrawingPoint p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = transform_point(gs, v[2 * k], v[2 * k + 1], relative);
            if (relative) {
                p[k].x += p0.x;
                p[k].y += p0.y;
            }
        }
        const double size = relative ? std::max(std::fabs(v[4]), std::fabs(v[5]))
                                     : std::max(std::fabs(v[0] - v[4]), std::fabs(v[1] - v[5]));
        const int n = bezier_point_count(size, relative);
        if (gs.pen_down || gs.polygon_mode) {
            for (int i = 0; i + 1 < n; ++i) {
                const double t = static_cast<double>(i) / (n - 1);
                const double u = 1.0 - t;
                const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t, b3 = t * t * t;
                add_path_vertex(ctx, b0 * p0.x + b1 * p[0].x + b2 * p[1].x + b3 * p[2].x,
                                b0 * p0.y + b1 * p[0].y + b2 * p[1].y + b3 * p[2].y, 0.0, false);
            }
            add_path_vertex(ctx, p[2].x, p[2].y, 0.0, false);
        }
        gs.current_x = gs.carriage_x = p[2].x;
        gs.current_y = gs.carriage_y = p[2].y;
    }
}

void cmd_br(InterpreterContext& ctx, int) {
    run_bezier(ctx, true);
}

void cmd_bz(InterpreterContext& ctx, int) {
    run_bezier(ctx, false);
}

}  // namespace penloom
