// PCL and HP-RTL mode: the action of each scanned sequence, and the mode
// switches with the PCL cursor. The cursor is kept in PCL dots with PCL's
// page origin, the top-left corner, and y growing downward.
#include "input/pcl.h"

#include <algorithm>

#include "driver/context.h"
#include "input/mnemonics.h"
#include "input/pcl_scanner.h"
#include "interpreter/command_loop.h"
#include "interpreter/coordinates.h"
#include "interpreter/labels.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPlotterUnitsPerMillimetre = 40.0;
// Plotter units to millimetres when the pen is placed at the cursor, and
// the factor of the cursor taken from the re-entry point: always the
// standard plotter unit, whatever PlotterUnit says.
constexpr double kStandardPlotterUnit = 0.025;
// A raster plane (ESC*b#V) holds at most this many bytes.
constexpr std::int64_t kMaxRasterPlane = 32767;

void move_cursor(double& coordinate, const PclSequence& sequence) {
    coordinate = sequence.sign != 0 ? coordinate + sequence.value : sequence.value;
}

}  // namespace

void skip_pcl_data(ReaderState& reader, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        if (next_byte(reader) == kEndOfInput) {
            reader.end_of_input = true;
            return;
        }
    }
}

void run_pcl_step(Context& ctx) {
    GraphicsState& gs = ctx.gs;
    const PclSequence sequence = scan_pcl_sequence(gs);
    switch (sequence.code) {
        case pcl_form_feed:
            gs.tokens.mnemonic[0] = 'P';
            gs.tokens.mnemonic[1] = 'G';
            gs.command = command_pg;
            dispatch(ctx, command_pg);
            break;
        case escape_enter_hpgl_at_cursor:
        case escape_enter_hpgl_even:
        case escape_enter_hpgl_negative:
            enter_hpgl(ctx, sequence.code);
            break;
        case escape_enter_pcl_at_pen:
        case escape_enter_pcl:
            enter_pcl(ctx, sequence.code);
            break;
        case pcl_skip_raster_plane:
            skip_pcl_data(gs.reader,
                          std::clamp<std::int64_t>(sequence.integer, 0, kMaxRasterPlane));
            break;
        case pcl_skip_config_data:
        case pcl_skip_raster_row:
        case pcl_skip_pattern:
        case pcl_skip_raster_config:
        case pcl_skip_palette:
        case pcl_skip_transparent:
        case pcl_skip_symbol_set:
        case pcl_skip_font_secondary:
        case pcl_skip_font_primary:
            skip_pcl_data(gs.reader, sequence.integer);
            break;
        case pcl_cursor_x:
            move_cursor(gs.pcl.cursor_x, sequence);
            break;
        case pcl_cursor_y:
            move_cursor(gs.pcl.cursor_y, sequence);
            break;
        case pcl_stop_character:
            if (sequence.integer >= 0 && sequence.integer < kPclStopCharacters)
                gs.pcl.stop_characters.set(static_cast<std::size_t>(sequence.integer));
            break;
        default:
            break;
    }
}

void enter_pcl(Context& ctx, int code) {
    GraphicsState& gs = ctx.gs;
    if (gs.language.mode == language_pcl) return;
    gs.language.mode = language_pcl;
    if (code != escape_enter_pcl_at_pen) return;

    // The re-entry point goes through the point transform as an absolute
    // point, but without the frame offset.
    const std::int32_t frame_offset = gs.frame_offset;
    gs.frame_offset = 0;
    const DrawingPoint point = transform_point(gs, gs.pcl.reentry_x, gs.pcl.reentry_y, false);
    gs.frame_offset = frame_offset;
    // Taken as millimetres, with the standard plotter unit's factor kept in.
    const double resolution = gs.language.resolution;
    gs.pcl.cursor_x = point.x * kStandardPlotterUnit / kMillimetresPerInch * resolution;
    gs.pcl.cursor_y = point.y * kStandardPlotterUnit / kMillimetresPerInch * resolution;
}

void enter_hpgl(Context& ctx, int code) {
    GraphicsState& gs = ctx.gs;
    gs.language.mode = language_hpgl;
    gs.pcl.pending_group = 0;
    gs.pcl.pending_parameter = 0;
    if (code != escape_enter_hpgl_at_cursor) return;

    // The cursor in plotter units, then on the page: PCL's origin is the
    // top-left corner of the page, (0, hard-clip Y) here, with y downward.
    // RO does not move it: the cursor belongs to the physical page.
    const double resolution = gs.language.resolution;
    const double x =
        gs.pcl.cursor_x / resolution * kMillimetresPerInch * kPlotterUnitsPerMillimetre;
    const double y =
        gs.pcl.cursor_y / resolution * kMillimetresPerInch * kPlotterUnitsPerMillimetre;
    const double page_x = x;
    const double page_y = gs.hard_clip_y - y;

    // PU to the point without reading it (symbol mode marks it), then
    // absolute plotting as PA sets it; with the pen up nothing is drawn.
    move_to(ctx, DrawingPoint{page_x * kStandardPlotterUnit, page_y * kStandardPlotterUnit});
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
    plot_symbol(ctx);
    gs.pcl.reentry_x = gs.current_x;
    gs.pcl.reentry_y = gs.current_y;
    gs.relative_plotting = false;
}

}  // namespace penloom
