// Comparing and copying the state one file hands on to the next (see
// carried_state.h). One list of fields, each_field, serves both. Left out:
// the current command (written before it is read), the parameter lists
// (read only after a read fills them), the text styles (set up afresh for
// every drawing), the owned lists (emptied by the reset of every page) and
// the mnemonic, which a file uses only when it begins with bare numbers (see
// ends_on_instruction).
#include "driver/carried_state.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "interpreter/graphics_state.h"

namespace penloom {

// each_field must know every field of the graphics state. A field added
// anywhere in it changes its size and stops the build here until the field
// is listed below (or found to be reset for every file) and the size
// updated.
static_assert(sizeof(GraphicsState) == 15120, "a graphics state field to list in each_field");

namespace {

// Calls visit(x, y) for every field of a font definition, pen or state.
template <class Font, class Visit>
void each_font_field(Font& a, const FontDefinition& b, Visit& visit) {
    visit(a.style_index, b.style_index);
    visit(a.spacing, b.spacing);
    visit(a.height, b.height);
    visit(a.width, b.width);
    visit(a.advance, b.advance);
    visit(a.reserved, b.reserved);
    visit(a.pitch, b.pitch);
    visit(a.width_multiplier, b.width_multiplier);
    visit(a.base_aspect, b.base_aspect);
}

template <class Pen, class Visit>
void each_pen_field(Pen& a, const PenEntry& b, Visit& visit) {
    visit(a.default_colour, b.default_colour);
    visit(a.colour_from_settings, b.colour_from_settings);
    visit(a.default_width, b.default_width);
    visit(a.default_code, b.default_code);
    visit(a.width_from_settings, b.width_from_settings);
    visit(a.colour, b.colour);
    visit(a.width, b.width);
    visit(a.code, b.code);
}

template <class State, class Visit>
void each_field(State& a, const GraphicsState& b, Visit& visit) {
    // Command loop and page signals.
    visit(a.command_counter, b.command_counter);
    visit(a.nr_seen, b.nr_seen);
    visit(a.in_at_start, b.in_at_start);
    visit(a.stop, b.stop);
    visit(a.more_pages, b.more_pages);
    visit(a.page_counter, b.page_counter);
    visit(a.path_counter, b.path_counter);
    // Input.
    visit(a.reader.current, b.reader.current);
    visit(a.reader.previous, b.reader.previous);
    visit(a.reader.push_back, b.reader.push_back);
    visit(a.reader.end_of_input, b.reader.end_of_input);
    visit(a.reader.echo_suppressed, b.reader.echo_suppressed);
    visit(a.reader.replay_trace, b.reader.replay_trace);
    visit(a.tokens.repeat_pending, b.tokens.repeat_pending);
    visit(a.tokens.count, b.tokens.count);
    visit(a.tokens.pe_base, b.tokens.pe_base);
    visit(a.tokens.pe_divisor, b.tokens.pe_divisor);
    visit(a.tokens.pe_error, b.tokens.pe_error);
    visit(a.language.mode, b.language.mode);
    visit(a.language.pcl_context, b.language.pcl_context);
    visit(a.language.resolution, b.language.resolution);
    visit(a.language.ret_on, b.language.ret_on);
    visit(a.pcl.cursor_x, b.pcl.cursor_x);
    visit(a.pcl.cursor_y, b.pcl.cursor_y);
    visit(a.pcl.reentry_x, b.pcl.reentry_x);
    visit(a.pcl.reentry_y, b.pcl.reentry_y);
    visit(a.pcl.pending_group, b.pcl.pending_group);
    visit(a.pcl.pending_parameter, b.pcl.pending_parameter);
    visit(a.pcl.stop_characters, b.pcl.stop_characters);
    // Pen motion.
    visit(a.current_x, b.current_x);
    visit(a.current_y, b.current_y);
    visit(a.carriage_x, b.carriage_x);
    visit(a.carriage_y, b.carriage_y);
    visit(a.path_start_x, b.path_start_x);
    visit(a.path_start_y, b.path_start_y);
    visit(a.relative_plotting, b.relative_plotting);
    visit(a.pen_down, b.pen_down);
    visit(a.continued_path, b.continued_path);
    visit(a.path.count, b.path.count);
    visit(a.tick_length, b.tick_length);
    // Coordinate system.
    visit(a.drawing_factor, b.drawing_factor);
    visit(a.hard_clip_x, b.hard_clip_x);
    visit(a.hard_clip_y, b.hard_clip_y);
    visit(a.page_length, b.page_length);
    visit(a.page_width, b.page_width);
    visit(a.page_size_seen, b.page_size_seen);
    visit(a.p1_x, b.p1_x);
    visit(a.p1_y, b.p1_y);
    visit(a.p2_x, b.p2_x);
    visit(a.p2_y, b.p2_y);
    visit(a.scaling_on, b.scaling_on);
    visit(a.scaling_type, b.scaling_type);
    visit(a.user_window, b.user_window);
    visit(a.scale_x, b.scale_x);
    visit(a.scale_y, b.scale_y);
    visit(a.translate_x, b.translate_x);
    visit(a.translate_y, b.translate_y);
    visit(a.rotation, b.rotation);
    visit(a.rotation_swap, b.rotation_swap);
    visit(a.run_rotation, b.run_rotation);
    visit(a.frame_offset, b.frame_offset);
    visit(a.clip_min_x, b.clip_min_x);
    visit(a.clip_min_y, b.clip_min_y);
    visit(a.clip_max_x, b.clip_max_x);
    visit(a.clip_max_y, b.clip_max_y);
    visit(a.page_min_x, b.page_min_x);
    visit(a.page_min_y, b.page_min_y);
    visit(a.page_max_x, b.page_max_x);
    visit(a.page_max_y, b.page_max_y);
    visit(a.clipping_off, b.clipping_off);
    visit(a.extents.min_x, b.extents.min_x);
    visit(a.extents.min_y, b.extents.min_y);
    visit(a.extents.max_x, b.extents.max_x);
    visit(a.extents.max_y, b.extents.max_y);
    // Pens and lines.
    visit(a.current_pen, b.current_pen);
    visit(a.pen_count, b.pen_count);
    visit(a.current_colour, b.current_colour);
    visit(a.current_width, b.current_width);
    visit(a.current_lineweight, b.current_lineweight);
    visit(a.current_linetype, b.current_linetype);
    visit(a.previous_linetype, b.previous_linetype);
    for (std::size_t i = 0; i < b.pens.table.size(); ++i) each_pen_field(a.pens.table[i], b.pens.table[i], visit);
    visit(a.pens.colours_from_settings, b.pens.colours_from_settings);
    visit(a.pens.widths_from_settings, b.pens.widths_from_settings);
    visit(a.pens.default_pen_width, b.pens.default_pen_width);
    visit(a.pens.pattern_length, b.pens.pattern_length);
    visit(a.pens.pattern_mode, b.pens.pattern_mode);
    visit(a.pens.range.black, b.pens.range.black);
    visit(a.pens.range.white, b.pens.range.white);
    visit(a.pens.white_colour, b.pens.white_colour);
    visit(a.pens.run_defaults_applied, b.pens.run_defaults_applied);
    // Polygons and fills.
    visit(a.fill_pending, b.fill_pending);
    visit(a.polygon_mode, b.polygon_mode);
    visit(a.ft3_spacing, b.ft3_spacing);
    visit(a.ft4_spacing, b.ft4_spacing);
    visit(a.polygons.new_subpolygon, b.polygons.new_subpolygon);
    visit(a.polygons.start_only, b.polygons.start_only);
    visit(a.polygons.origin_x, b.polygons.origin_x);
    visit(a.polygons.origin_y, b.polygons.origin_y);
    visit(a.polygons.start_x, b.polygons.start_x);
    visit(a.polygons.start_y, b.polygons.start_y);
    visit(a.polygons.edge_after_fill, b.polygons.edge_after_fill);
    visit(a.polygons.fill_rule, b.polygons.fill_rule);
    visit(a.polygons.filled_count, b.polygons.filled_count);
    visit(a.fill.kind, b.fill.kind);
    visit(a.fill.shading_level, b.fill.shading_level);
    visit(a.fill.raster_number, b.fill.raster_number);
    visit(a.fill.hatch_index, b.fill.hatch_index);
    visit(a.fill.ft3_angle, b.fill.ft3_angle);
    visit(a.fill.ft4_angle, b.fill.ft4_angle);
    // Labels.
    visit(a.label_terminator, b.label_terminator);
    visit(a.terminator_mode, b.terminator_mode);
    visit(a.label_direction, b.label_direction);
    visit(a.label_origin, b.label_origin);
    visit(a.label_offset_x, b.label_offset_x);
    visit(a.label_offset_y, b.label_offset_y);
    visit(a.label_horizontal, b.label_horizontal);
    visit(a.label_vertical, b.label_vertical);
    visit(a.vertical_labels, b.vertical_labels);
    visit(a.symbol_mode, b.symbol_mode);
    visit(a.symbol_char, b.symbol_char);
    visit(a.current_font, b.current_font);
    visit(a.absolute_size_on, b.absolute_size_on);
    visit(a.relative_size_on, b.relative_size_on);
    visit(a.relative_width_percent, b.relative_width_percent);
    visit(a.relative_height_percent, b.relative_height_percent);
    visit(a.char_height, b.char_height);
    visit(a.char_width, b.char_width);
    visit(a.char_advance, b.char_advance);
    visit(a.width_factor, b.width_factor);
    for (int i = 0; i < 2; ++i) {
        each_font_field(a.fonts[i], b.fonts[i], visit);
        each_font_field(a.font_starts[i], b.font_starts[i], visit);
    }
    visit(a.romanx_chosen, b.romanx_chosen);
}

struct Compare {
    bool same = true;
    template <class T>
    void operator()(const T& a, const T& b) {
        if constexpr (std::is_array_v<T>)
            same = same && std::equal(std::begin(a), std::end(a), std::begin(b));
        else
            same = same && a == b;
    }
};

struct Copy {
    template <class T>
    void operator()(T& to, const T& from) {
        if constexpr (std::is_array_v<T>)
            std::copy(std::begin(from), std::end(from), std::begin(to));
        else
            to = from;
    }
};

}  // namespace

bool same_file_start(const GraphicsState& a, const GraphicsState& b) {
    Compare compare;
    each_field(a, b, compare);
    return compare.same;
}

void copy_file_start(GraphicsState& to, const GraphicsState& from) {
    Copy copy;
    each_field(to, from, copy);
}

bool ends_on_instruction(const GraphicsState& state) {
    return state.tokens.mnemonic[0] != 0 || state.tokens.mnemonic[1] != 0;
}

}  // namespace penloom
