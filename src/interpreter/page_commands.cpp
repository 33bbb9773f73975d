// Page preparation, IN, DF, and the page ends PG, NR and RP.
#include "interpreter/page_commands.h"

#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "interpreter/coordinates.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"
#include "interpreter/reset_hooks.h"

namespace penloom {

namespace {

// Small files end at a PG in their last tenth; larger ones in their last
// 200 bytes, so a PG at the end of a file does not open an empty page.
constexpr std::int64_t kSmallFile = 2001;
constexpr std::int64_t kLargeFileTail = 200;

void count_new_page(GraphicsState& gs) {
    gs.more_pages = true;
    ++gs.page_counter;
}

// RO without parameters.
void reset_rotation(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    gs.rotation = 0;
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
    set_label_direction(ctx, 0);
    reset_clip_window(gs);
}

void read_ignored_number(ReaderState& reader) {
    double value;
    std::int32_t integer;
    read_number(reader, value, integer);
}

}  // namespace

void initialize_file_state(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;

    release_page_lists(ctx);
    gs.fill_pending = false;
    gs.command_counter = 0;
    gs.nr_seen = false;
    gs.stop = false;
    gs.path_counter = 0;
    reload_pen_defaults(ctx);
    reset_linetype_table(ctx);

    gs.drawing_factor = ctx.settings.drawing_scale;
    gs.run_rotation = ctx.options.rotation;
    gs.scale_x = 1.0;
    gs.scale_y = 1.0;
    gs.translate_x = 0.0;
    gs.translate_y = 0.0;
    gs.scaling_on = false;
    gs.frame_offset = 0;

    gs.tokens.pe_base = 64;
    gs.tokens.pe_divisor = 1.0;
    gs.label_terminator = 3;
    gs.terminator_mode = 1;

    gs.current_x = gs.current_y = 0.0;
    gs.carriage_x = gs.carriage_y = 0.0;
    gs.path_start_x = gs.path_start_y = 0.0;
    gs.extents.min_x = gs.extents.min_y = 1e20;
    gs.extents.max_x = gs.extents.max_y = -1e20;

    // A page that ends on a look-ahead (PG's parameter read stopped at the
    // next command's first letter) hands that character on to the next page
    // instead of dropping it.
    if (!gs.more_pages || !gs.reader.push_back) {
        gs.reader.current = kEndOfInput;
        gs.reader.push_back = false;
    }
    gs.reader.end_of_input = false;
    gs.tokens.repeat_pending = false;
    gs.tokens.count = 0;
    gs.relative_plotting = false;

    if (!gs.more_pages) {
        gs.language = LanguageState{};
        gs.pcl = PclState{};
        gs.in_at_start = false;
        select_standard_font_set(ctx);
        reset_character_sizes(ctx);
        gs.hard_clip_x = gs.page_length = 31400;
        gs.hard_clip_y = gs.page_width = 22450;
        gs.p1_x = gs.p1_y = 0;
        gs.p2_x = 31400;
        gs.p2_y = 22450;
        gs.page_size_seen = false;
        for (double& side : gs.user_window) side = 0.0;
        gs.rotation = 0;
        gs.rotation_swap = false;
    }
    reset_label_state(ctx, !gs.more_pages);
    // Last: the window follows the hard-clip limits just set.
    reset_clip_window(gs);
}

void start_input_file(GraphicsState& gs) {
    gs.more_pages = false;
    gs.page_counter = 0;
}

bool page_ended(const GraphicsState& gs) {
    return gs.stop;
}

bool input_continues(const GraphicsState& gs) {
    return gs.stop && gs.more_pages && !gs.reader.end_of_input;
}

// IN. Within four commands after an NR (IgnoreNR on) it ends the page when
// something was drawn and is itself deferred to the start of the next page.
void cmd_in(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (gs.nr_seen && gs.command_counter < 5) {
        if (gs.path_counter > 0) {
            gs.stop = true;
            count_new_page(gs);
        }
        gs.nr_seen = false;
        gs.command_counter = 0;
        gs.in_at_start = true;
        return;
    }
    gs.in_at_start = false;
    read_ignored_number(gs.reader);
    cmd_df(ctx, command_df);
    reset_pens_to_defaults(ctx);
    end_path(ctx);
    gs.current_x = 0.0;  // the origin, not transformed, with the pen up
    gs.current_y = 0.0;
    end_path(ctx);
    reset_rotation(ctx);
    reset_pen_widths(ctx);  // WU without parameters changes nothing; PW resets the widths
    reset_clip_window(gs);
}

// DF. Leaves P1, P2, scaling, line type, fill type and polygon mode alone.
void cmd_df(InterpreterContext& ctx, int) {
    clear_relative_size_flags(ctx);
    reset_character_sizes(ctx);
    reset_clip_window(ctx.gs);
}

// PG. Near the end of the file it ends the input instead; on an empty page
// it is ignored. Otherwise it stops the page and looks ahead: an RP that
// follows is taken with it, and so is the `ESC.` that starts a plotter's
// next-page device control.
void cmd_pg(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    finish_pending_fill(ctx);
    if (gs.language.mode == language_hpgl) read_ignored_number(reader);

    const std::int64_t size = reader.file_length;
    const std::int64_t rest = bytes_remaining(reader);
    if (size < kSmallFile ? rest < size / 10 : rest < kLargeFileTail) {
        reader.end_of_input = true;
        return;
    }
    if (gs.path_counter == 0) return;
    gs.stop = true;

    const ReadPosition peek = save_position(reader);
    const int peek_current = reader.current;
    const bool peek_push_back = reader.push_back;
    auto back_to_peek = [&] {
        restore_position(reader, peek);
        reader.current = peek_current;
        reader.push_back = peek_push_back;
    };

    int c = next_char(reader);
    if (c == ';') c = next_char(reader);
    if (c == 'R' && next_char(reader) == 'P') {
        cmd_rp(ctx, command_rp);
        count_new_page(gs);
        return;
    }

    back_to_peek();
    c = next_char(reader);
    for (int i = 0; i < 3 && (c == ';' || c == '\n' || c == '\r'); ++i) c = next_char(reader);
    if (c == kEscape && next_char(reader) == '.') {
        count_new_page(gs);
        return;
    }

    back_to_peek();
    count_new_page(gs);
}

// NR: with IgnoreNR on it only arms the NR-then-IN page break; otherwise it
// is a PG.
void cmd_nr(InterpreterContext& ctx, int code) {
    if (ctx.settings.IgnoreNR != 0) {
        ctx.gs.nr_seen = true;
        ctx.gs.command_counter = 0;
        return;
    }
    cmd_pg(ctx, code);
}

// RP n: no copies are made; RP0 after drawing ends the page like PG.
void cmd_rp(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    double copies;
    std::int32_t integer;
    int given = read_number(gs.reader, copies, integer);
    if (gs.path_counter > 0 && !gs.stop && given == 1 && copies < 1.0) cmd_pg(ctx, command_pg);
}

}  // namespace penloom
