// The coordinate-system instructions: SC (scale), IP and IR (P1 and P2),
// PS (plot size), RO (rotate), FR (frame advance) and IW (input window).
// They change the fields transform_point reads; points already drawn stay
// where they are.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "interpreter/interpreter_context.h"
#include "input/tokenizer.h"
#include "interpreter/coordinates.h"
#include "interpreter/fonts.h"
#include "interpreter/handlers.h"
#include "interpreter/reset_hooks.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

// A scaling window side of this many user units or less counts as none.
constexpr double kDegenerateSide = 0.001;

constexpr int kAnisotropic = 0;
constexpr int kIsotropic = 1;
constexpr int kPointFactor = 2;

// Plotter-unit sums wrap at 32 bits rather than overflow.
std::int32_t wrap_add(std::int32_t a, std::int64_t b) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(a) + b);
}

void unit_scaling(GraphicsState& gs) {
    gs.scale_x = gs.scale_y = 1.0;
    gs.translate_x = gs.translate_y = 0.0;
}

// SC types 0 and 1: the user window onto P1..P2.
void scale_onto_p1_p2(GraphicsState& gs, int type, double xmin, double xmax, double ymin, double ymax) {
    gs.user_window[0] = xmin;
    gs.user_window[1] = ymin;
    gs.user_window[2] = xmax;
    gs.user_window[3] = ymax;
    if (gs.p1_x == 0 && gs.p1_y == 0 && gs.p2_x == 0 && gs.p2_y == 0) {
        gs.p2_x = truncate_to_int(xmax - xmin);
        gs.p2_y = truncate_to_int(ymax - ymin);
    }
    if (std::fabs(xmax - xmin) <= kDegenerateSide) {
        unit_scaling(gs);
        return;
    }
    gs.scale_x = (static_cast<double>(gs.p2_x) - gs.p1_x) / (xmax - xmin);
    if (type == kIsotropic || std::fabs(ymax - ymin) <= kDegenerateSide)
        gs.scale_y = gs.scale_x;
    else
        gs.scale_y = (static_cast<double>(gs.p2_y) - gs.p1_y) / (ymax - ymin);
    gs.translate_x = gs.p1_x - gs.scale_x * xmin;
    gs.translate_y = gs.p1_y - gs.scale_y * ymin;
}

// The FT3/FT4 spacings are held in user units while scaling is on.
void convert_hatch_spacing(double& spacing, bool turned_on, double old_sx, double new_sx) {
    if (spacing <= 0.0) return;
    spacing = turned_on ? spacing / new_sx : spacing * old_sx;
}

}  // namespace

// SC Xmin,Xmax,Ymin,Ymax[,type[,left,bottom]]. Left and bottom are read and
// have no effect; isotropic scaling is not centred.
void cmd_sc(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const double old_sx = gs.scale_x;
    const bool was_on = gs.scaling_on;
    gs.scaling_on = false;
    const int count = read_numbers(gs, 7);
    const double* v = gs.tokens.values;
    int type = ctx.settings.DefaultSCType;
    if (count >= 1) {
        gs.scaling_on = true;
        if (count >= 5) type = gs.tokens.integers[4];
        if (type == kAnisotropic || type == kIsotropic) {
            scale_onto_p1_p2(gs, type, v[0], v[1], v[2], v[3]);
        } else if (type == kPointFactor) {
            gs.user_window[0] = v[0];
            gs.user_window[1] = v[2];
            gs.scale_x = v[1];
            gs.scale_y = v[3];
        }
    }
    if (count == 0 || gs.scale_x == 0.0 || gs.scale_y == 0.0) unit_scaling(gs);
    gs.scaling_type = type;
    if (was_on != gs.scaling_on) {
        convert_hatch_spacing(gs.ft3_spacing, gs.scaling_on, old_sx, gs.scale_x);
        convert_hatch_spacing(gs.ft4_spacing, gs.scaling_on, old_sx, gs.scale_x);
    }
}

// IP [P1x,P1y[,P2x,P2y]]. Scale factors follow the new points; the
// translation is left as it stands.
void cmd_ip(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 7);
    const std::int32_t* p = gs.tokens.integers;
    if (count == 0) {
        gs.p1_x = gs.p1_y = 0;
        gs.p2_x = gs.hard_clip_x;
        gs.p2_y = gs.hard_clip_y;
        if (gs.rotation_swap && (gs.rotation == 90 || gs.rotation == 270)) {
            gs.p2_x = gs.hard_clip_y;
            gs.p2_y = gs.hard_clip_x;
            gs.rotation_swap = false;
        }
    } else if (count <= 2) {
        const std::int64_t dx = static_cast<std::int64_t>(gs.p2_x) - gs.p1_x;
        const std::int64_t dy = static_cast<std::int64_t>(gs.p2_y) - gs.p1_y;
        gs.p1_x = p[0];
        gs.p1_y = p[1];
        gs.p2_x = wrap_add(gs.p1_x, ctx.settings.UseP2 != 0 ? ctx.settings.P2x : dx);
        gs.p2_y = wrap_add(gs.p1_y, ctx.settings.UseP2 != 0 ? ctx.settings.P2y : dy);
    } else {
        gs.p1_x = p[0];
        gs.p1_y = p[1];
        gs.p2_x = p[2];
        gs.p2_y = p[3];
    }
    if (gs.scaling_on && gs.scaling_type != kPointFactor) {
        const double width = gs.user_window[2] - gs.user_window[0];
        const double height = gs.user_window[3] - gs.user_window[1];
        if (std::fabs(width) > kDegenerateSide)
            gs.scale_x = (static_cast<double>(gs.p2_x) - gs.p1_x) / width;
        if (gs.scaling_type == kIsotropic || std::fabs(height) <= kDegenerateSide)
            gs.scale_y = gs.scale_x;
        else
            gs.scale_y = (static_cast<double>(gs.p2_y) - gs.p1_y) / height;
    }
    if (gs.relative_size_on) recompute_relative_size(ctx);
}

// IR [P1x%,P1y%[,P2x%,P2y%]]: P1 and P2 as percentages of the hard-clip
// limits. The scale factors are not recomputed.
void cmd_ir(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 4);
    const double* v = gs.tokens.values;
    if (count == 0) {
        gs.p1_x = gs.p1_y = 0;
        gs.p2_x = gs.hard_clip_x;
        gs.p2_y = gs.hard_clip_y;
        return;
    }
    if (count < 2) return;
    const std::int64_t dx = static_cast<std::int64_t>(gs.p2_x) - gs.p1_x;
    const std::int64_t dy = static_cast<std::int64_t>(gs.p2_y) - gs.p1_y;
    gs.p1_x = truncate_to_int(gs.hard_clip_x * v[0] / 100.0);
    gs.p1_y = truncate_to_int(gs.hard_clip_y * v[1] / 100.0);
    if (count >= 4) {
        gs.p2_x = truncate_to_int(gs.hard_clip_x * v[2] / 100.0);
        gs.p2_y = truncate_to_int(gs.hard_clip_y * v[3] / 100.0);
    } else {
        gs.p2_x = wrap_add(gs.p1_x, dx);
        gs.p2_y = wrap_add(gs.p1_y, dy);
    }
}

// PS length[,width]: the hard-clip limits, long side along x unless
// HPGLPrinter keeps the order.
void cmd_ps(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 2);
    const std::int32_t length = gs.tokens.integers[0];
    if (count >= 1 && length > 0) {
        const std::int32_t width =
            count >= 2 ? gs.tokens.integers[1] : truncate_to_int(length * 2.0 / 3.0);
        if (width > 0) {
            if (ctx.settings.HPGLPrinter == 0 && length < width) {
                gs.hard_clip_x = width;
                gs.hard_clip_y = length;
            } else {
                gs.hard_clip_x = length;
                gs.hard_clip_y = width;
            }
            gs.page_length = length;
            gs.page_width = width;
            gs.page_size_seen = true;
        }
    }
    gs.p1_x = gs.p1_y = 0;
    gs.p2_x = gs.hard_clip_x;
    gs.p2_y = gs.hard_clip_y;
    reset_clip_window(gs);
    if (ctx.settings.ClipToPageSize != 0) gs.clipping_off = false;
}

// RO [angle]: 90, 180 and 270 are taken, anything else is 0.
void cmd_ro(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    read_numbers(gs, 1);
    int angle = gs.tokens.integers[0];
    if (angle != 90 && angle != 180 && angle != 270) angle = 0;
    if (angle == 90 || angle == 270) gs.rotation_swap = true;
    if (ctx.settings.IgnoreRotate != 0) angle = 0;
    gs.rotation = angle;
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
    set_label_direction(ctx, angle);
    reset_clip_window(gs);
}

// FR [distance]: later absolute points move down by the distance; without
// one, by the shorter side of the page.
void cmd_fr(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 1);
    const std::int64_t step =
        count == 1 ? gs.tokens.integers[0] : std::min(gs.page_length, gs.page_width);
    gs.frame_offset = wrap_add(gs.frame_offset, step);
}

// IW [Xll,Yll,Xur,Yur]: the clip window in user units; without four
// parameters, the page (ClipToPageSize after PS) or no clipping.
void cmd_iw(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    end_path(ctx);
    const int count = read_numbers(gs, 4);
    const double* v = gs.tokens.values;
    if (count == 4) {
        gs.clipping_off = false;
        const DrawingPoint a = transform_point(gs, v[0], v[1], false);
        const DrawingPoint b = transform_point(gs, v[2], v[3], false);
        gs.clip_min_x = std::fmin(a.x, b.x);
        gs.clip_min_y = std::fmin(a.y, b.y);
        gs.clip_max_x = std::fmax(a.x, b.x);
        gs.clip_max_y = std::fmax(a.y, b.y);
    } else if (ctx.settings.ClipToPageSize != 0 && gs.page_size_seen) {
        gs.clip_min_x = gs.page_min_x;
        gs.clip_min_y = gs.page_min_y;
        gs.clip_max_x = gs.page_max_x;
        gs.clip_max_y = gs.page_max_y;
    } else {
        gs.clipping_off = true;
    }
}

}  // namespace penloom
