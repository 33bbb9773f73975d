// Pens: the pen table with its defaults from the settings, the current pen,
// and SP, PW, WU, PC, CR, NP, MC and TR. Widths are millimetres throughout;
// colours are drawing colour numbers.
#include "interpreter/pens.h"

#include <cstdlib>
#include <iterator>

#include "construction/colours.h"
#include "construction/layers.h"
#include "construction/settings_values.h"
#include "interpreter/interpreter_context.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"
#include "interpreter/reset_hooks.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

bool valid_pen(int pen) {
    return pen >= 0 && pen < kPenTableSize;
}

PenEntry& pen_entry(InterpreterContext& ctx, int pen) {
    return ctx.gs.pens.table[static_cast<std::size_t>(pen)];
}

// The pens that a PW or NP-bound loop covers: 0 to the pen count - 1,
// within the table.
int pens_in_use(const GraphicsState& gs) {
    if (gs.pen_count < 0) return 0;
    return gs.pen_count < kPenTableSize ? gs.pen_count : kPenTableSize;
}

// The start-up values of a run: every pen at the width and lineweight of
// `defaultpenwidth` as the settings gave it, and `NumPens` pens.
void apply_run_defaults(InterpreterContext& ctx) {
    PenState& pens = ctx.gs.pens;
    if (pens.run_defaults_applied) return;
    pens.run_defaults_applied = true;
    for (PenEntry& entry : pens.table) {
        entry.default_width = entry.width = ctx.settings.default_width;
        entry.default_code = entry.code = ctx.settings.default_lineweight;
    }
    ctx.gs.current_width = ctx.settings.default_width;
    ctx.gs.current_lineweight = ctx.settings.default_lineweight;
    ctx.gs.pen_count = ctx.settings.NumPens;
}

// The current width and lineweight from a PW width, and the pen (or the
// pens in use, for -1) with them. Pens outside the table are left alone.
void set_pen_width(InterpreterContext& ctx, double width, int pen, bool one_pen) {
    GraphicsState& gs = ctx.gs;
    int code = width_code(width);
    gs.current_width = width;
    gs.current_lineweight = code;
    if (one_pen) {
        if (!valid_pen(pen)) return;
        pen_entry(ctx, pen).width = width;
        pen_entry(ctx, pen).code = code;
        return;
    }
    for (int p = 0; p < pens_in_use(gs); ++p) {
        pen_entry(ctx, p).width = width;
        pen_entry(ctx, p).code = code;
    }
}

// The current colour, width and lineweight of the current pen.
void take_current_pen_attributes(GraphicsState& gs) {
    if (!valid_pen(gs.current_pen)) return;
    const PenEntry& entry = gs.pens.table[static_cast<std::size_t>(gs.current_pen)];
    gs.current_colour = entry.colour;
    gs.current_width = entry.width;
    gs.current_lineweight = entry.code;
}

void finish_fill_outside_polygon_mode(InterpreterContext& ctx) {
    if (ctx.gs.fill_pending && !ctx.gs.polygon_mode) finish_pending_fill(ctx);
}

}  // namespace

void reset_pen_colours(InterpreterContext& ctx, int pen) {
    if (pen == -1) {
        for (PenEntry& entry : ctx.gs.pens.table) entry.colour = entry.default_colour;
    } else if (valid_pen(pen)) {
        pen_entry(ctx, pen).colour = pen_entry(ctx, pen).default_colour;
    }
}

void reset_pen_widths(InterpreterContext& ctx, int pen) {
    auto reset = [](PenEntry& entry) {
        entry.width = entry.default_width;
        entry.code = entry.default_code;
    };
    if (pen == -1) {
        for (PenEntry& entry : ctx.gs.pens.table) reset(entry);
    } else if (valid_pen(pen)) {
        reset(pen_entry(ctx, pen));
    }
}

// IN: every pen back to its default colour and width.
void reset_pens_to_defaults(InterpreterContext& ctx) {
    reset_pen_colours(ctx, -1);
    reset_pen_widths(ctx, -1);
}

// PW without parameters, as IN runs it.
void reset_pen_widths(InterpreterContext& ctx) {
    if (ctx.gs.pens.widths_from_settings) return;
    set_pen_width(ctx, ctx.gs.pens.default_pen_width, -1, false);
}

// Page start: defaults read again, every pen reset to them, the colour
// range back to 0..255, pen 1 current with its colour, width and lineweight.
void reload_pen_defaults(InterpreterContext& ctx) {
    apply_run_defaults(ctx);
    load_pen_defaults(ctx.gs.pens, ctx.profile);
    reset_pens_to_defaults(ctx);
    ctx.gs.pens.range = ColourRange{};
    ctx.gs.current_pen = 1;
    take_current_pen_attributes(ctx.gs);
}

void reopen_path(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (!gs.pen_down) return;
    end_path(ctx);
    put_pen_down(ctx);
    // A path that now ends at once must not leave a dot behind.
    gs.continued_path = true;
}

void select_pen(InterpreterContext& ctx, int pen) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    long n = std::labs(static_cast<long>(pen));
    if (n >= gs.pen_count) {
        // Numbers beyond the pens go round again from pen 1; on a raster
        // device the round is one pen shorter.
        long cycle = static_cast<long>(gs.pen_count) - (ctx.settings.RasterDevice != 0 ? 1 : 0);
        if (cycle > 0) n = (n - 1) % cycle + 1;
        if (n >= gs.pen_count) n = 1;
    }
    // Only reachable with a `NumPens` above 256: the layer table ends at 255.
    if (n >= kLayerCount) n = 1;
    if (n != gs.current_pen) finish_fill_outside_polygon_mode(ctx);
    gs.current_pen = static_cast<int>(n);
    select_pen_layer(ctx, gs.current_pen);
    take_current_pen_attributes(gs);
}

// SP n: n missing selects pen 0.
void cmd_sp(InterpreterContext& ctx, int) {
    std::int32_t pen = 0;
    read_int(ctx.gs.reader, pen);
    select_pen(ctx, pen);
}

// PW width[,pen]: with widths from the settings only the path is cut.
void cmd_pw(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) reopen_path(ctx);
    int count = read_numbers(gs, 21);
    if (gs.pens.widths_from_settings) return;
    double width = count >= 1 ? gs.tokens.values[0] : gs.pens.default_pen_width;
    set_pen_width(ctx, width, gs.tokens.integers[1], count >= 2);
}

// WU: widths are always millimetres here.
void cmd_wu(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 1);
}

// PC [pen[,R,G,B]]. Pens whose colour the settings fix keep it.
void cmd_pc(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    finish_fill_outside_polygon_mode(ctx);
    if (gs.pen_down) reopen_path(ctx);
    int count = read_numbers(gs, 4);
    if (count == 0) {
        if (!gs.pens.colours_from_settings) reset_pen_colours(ctx, -1);
        return;
    }
    int pen = gs.tokens.integers[0];
    if (!valid_pen(pen)) return;
    if (gs.pens.colours_from_settings && pen_entry(ctx, pen).colour_from_settings) return;
    if (count == 4) {
        const std::int32_t* rgb = gs.tokens.integers + 1;
        pen_entry(ctx, pen).colour =
            rgb_to_colour(gs.pens.range, ctx.settings, gs.pens.white_colour, rgb[0], rgb[1], rgb[2]);
        if (valid_pen(gs.current_pen)) gs.current_colour = pen_entry(ctx, gs.current_pen).colour;
    } else {
        reset_pen_colours(ctx, pen);
    }
}

// CR [black R, white R, black G, white G, black B, white B]. An incomplete
// range is ignored.
void cmd_cr(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    int count = read_numbers(gs, 6);
    ColourRange& range = gs.pens.range;
    if (count == 0) {
        range = ColourRange{};
        return;
    }
    if (count < 6) return;
    const std::int32_t* v = gs.tokens.integers;
    for (int c = 0; c < 3; ++c) {
        range.black[c] = v[2 * c];
        range.white[c] = v[2 * c + 1];
    }
}

// NP [n]: n rounded up to a power of two within 2..256.
void cmd_np(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    gs.pen_count = ctx.settings.NumPens;
    if (read_numbers(gs, 1) < 1) return;
    std::int32_t n = gs.tokens.integers[0];
    int pens = 2;
    while (pens < 256 && pens < n) pens *= 2;
    gs.pen_count = pens;
}

// MC and TR change nothing in a drawing.
void cmd_mc(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 21);
}
void cmd_tr(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 1);
}

}  // namespace penloom
