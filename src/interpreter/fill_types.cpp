// FT (fill type) and RF (raster fill definition): they set the fill state
// that the next fills are written with (construction/fill_patterns.h).
#include <cmath>

#include "construction/fill_patterns.h"
#include "interpreter/interpreter_context.h"
#include "input/tokenizer.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"

namespace penloom {

namespace {

// Raster pattern numbers beyond this are refused, as are negative ones, so
// that a stray number cannot make the list huge.
constexpr int kHighestRasterNumber = 255;
constexpr int kLargestRasterSide = 255;  // pixels

// The FT spacing in drawing units: < 0 per cent of the P1-P2 diagonal, 0
// one per cent of it, > 0 user units.
double spacing_in_drawing_units(const GraphicsState& gs, double spacing) {
    const double dx = static_cast<double>(gs.p2_x) - gs.p1_x;
    const double dy = static_cast<double>(gs.p2_y) - gs.p1_y;
    const double diagonal = std::sqrt(dx * dx + dy * dy);
    if (spacing < 0.0) return -spacing / 100.0 * diagonal * gs.drawing_factor;
    if (spacing == 0.0) return diagonal / 100.0 * gs.drawing_factor;
    if (gs.scaling_on) spacing *= std::fabs(gs.scale_x);
    return spacing * gs.drawing_factor;
}

// The hatch pattern of an FT spacing and angle. The rotation taken off the
// lines is the run's own (it turns the whole drawing). Subtracted as
// doubles: RotateC is stored unchecked and may be any int.
int hatch_pattern(GraphicsState& gs, int cross, double spacing, int angle) {
    const double turned = static_cast<double>(gs.rotation) - static_cast<double>(gs.run_rotation);
    return make_hatch_pattern(gs.fill, cross, spacing_in_drawing_units(gs, spacing), angle, turned);
}

void complete_pending_fill(InterpreterContext& ctx) {
    if (ctx.gs.fill_pending) finish_pending_fill(ctx);
}

// An angle reduced into 0..360 and rounded to a whole degree.
int whole_degrees(double angle) {
    if (!std::isfinite(angle)) return 0;
    if (std::fabs(angle) > 1e6) angle = std::fmod(angle, 360.0);
    while (angle > 360.0) angle -= 360.0;
    while (angle < 0.0) angle += 360.0;
    return static_cast<int>(angle + 0.5);
}

void solid(InterpreterContext& ctx) {
    if (ctx.gs.fill_pending && ctx.gs.fill.kind != fill_solid) finish_pending_fill(ctx);
    ctx.gs.fill.kind = fill_solid;
}

// FT3 (cross 0) and FT4 (cross 1).
void line_hatch(InterpreterContext& ctx, int count, int cross) {
    GraphicsState& gs = ctx.gs;
    complete_pending_fill(ctx);
    gs.fill.kind = fill_hatch;
    double& spacing = cross ? gs.ft4_spacing : gs.ft3_spacing;
    std::int32_t& angle = cross ? gs.fill.ft4_angle : gs.fill.ft3_angle;
    if (count >= 2) spacing = gs.tokens.values[1];
    if (count >= 3) angle = whole_degrees(gs.tokens.values[2]);
    gs.fill.hatch_index = static_cast<std::int16_t>(hatch_pattern(gs, cross, spacing, angle));
}

// FT21: the six PCL cross-hatch patterns, at 0.25 per cent of the diagonal.
void pcl_hatch(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    complete_pending_fill(ctx);
    gs.fill.kind = fill_hatch;
    static constexpr int kAngles[6] = {0, 90, 45, 135, 0, 45};
    const int p = gs.tokens.integers[1];
    if (p < 1 || p > 6) {
        gs.fill.kind = fill_solid;
        return;
    }
    const int cross = p >= 5 ? 1 : 0;
    gs.fill.hatch_index =
        static_cast<std::int16_t>(hatch_pattern(gs, cross, -0.25, kAngles[p - 1]));
}

}  // namespace

// FT [type[,spacing or level or pattern[,angle]]].
void cmd_ft(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 21);
    if (count == 0) {
        solid(ctx);
        return;
    }
    const int n = gs.tokens.integers[0];
    switch (n) {
        case 1:
        case 2:
        case 22:
            solid(ctx);
            break;
        case 3:
            line_hatch(ctx, count, 0);
            break;
        case 4:
            line_hatch(ctx, count, 1);
            break;
        case 10: {
            const auto level = static_cast<std::int16_t>(gs.tokens.integers[1] & 0xFFFF);
            if (!(gs.fill.kind == fill_shading && level == gs.fill.shading_level))
                complete_pending_fill(ctx);
            gs.fill.kind = fill_shading;
            gs.fill.shading_level = level;
            break;
        }
        case 11: {
            const auto number = static_cast<std::int16_t>(gs.tokens.integers[1] & 0xFFFF);
            if (!(gs.fill.kind == fill_raster && number == gs.fill.raster_number))
                complete_pending_fill(ctx);
            gs.fill.kind = fill_raster;
            gs.fill.raster_number = number;
            break;
        }
        case 21:
            pcl_hatch(ctx);
            break;
        default:
            break;  // 5 to 9, 12 to 20 and anything else change nothing
    }
}

// RF [index[,width,height,pixels...]].
void cmd_rf(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    FillState& fill = gs.fill;
    const int count = read_numbers(gs, 3);
    if (count == 0) {
        for (RasterPattern& record : fill.raster) record.number = -1;
        return;
    }
    const int index = gs.tokens.integers[0];
    if (index < 0 || index > kHighestRasterNumber) return;
    const int width = gs.tokens.integers[1], height = gs.tokens.integers[2];
    fill.raster_number = static_cast<std::int16_t>(index);
    if (fill.raster.size() < static_cast<std::size_t>(index) + 1)
        fill.raster.resize(static_cast<std::size_t>(index) + 1);
    RasterPattern& record = fill.raster[static_cast<std::size_t>(index)];
    record.number = -1;
    if (count < 2 || width < 1 || height < 1 || width > kLargestRasterSide ||
        height > kLargestRasterSide)
        return;

    std::vector<std::uint8_t> pixels(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (std::uint8_t& pixel : pixels) {
        std::int32_t value = 0;
        if (read_int(gs.reader, value) == 0) break;  // the rest count as 0
        pixel = value != 0 ? 1 : 0;
    }
    const double pixel_size = gs.drawing_factor * ctx.settings.RasterFillFactor;
    build_raster_pattern(record, index, width, height, pixels, pixel_size);
}

void reset_fill_state(GraphicsState& gs) {
    gs.fill = FillState{};
    gs.ft3_spacing = 0.0;
    gs.ft4_spacing = 0.0;
}

}  // namespace penloom
