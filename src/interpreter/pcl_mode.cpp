// PCL mode seen from the interpreter: the page advance of a form feed and
// the mode switches, which place the pen at the PCL cursor or the cursor at
// the pen. The cursor is kept in PCL dots with PCL's page origin, the
// top-left corner, and y growing downward.
#include "interpreter/pcl_mode.h"

#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "input/pcl.h"
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

class PclStepActions final : public PclActions {
public:
    explicit PclStepActions(InterpreterContext& ctx) : ctx_(ctx) {}

    void advance_page() override {
        GraphicsState& gs = ctx_.gs;
        gs.tokens.mnemonic[0] = 'P';
        gs.tokens.mnemonic[1] = 'G';
        gs.command = command_pg;
        dispatch(ctx_, command_pg);
    }
    void enter_hpgl(int code) override { penloom::enter_hpgl(ctx_, code); }
    void enter_pcl(int code) override { penloom::enter_pcl(ctx_, code); }

private:
    InterpreterContext& ctx_;
};

}  // namespace

void run_pcl_step(InterpreterContext& ctx) {
    PclStepActions actions(ctx);
    run_pcl_sequence(ctx.gs.reader, ctx.gs.pcl, ctx.gs.language, actions);
}

void enter_pcl(InterpreterContext& ctx, int code) {
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

void enter_hpgl(InterpreterContext& ctx, int code) {
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
