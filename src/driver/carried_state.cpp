// Comparing the states two files would start from (see carried_state.h).
// Fields the per-file reset always sets are compared too: that costs little
// and keeps the comparison right when the reset changes. Left out: the
// current command (written before it is read), the parameter lists (read
// only after a read fills them), the text styles (set up afresh for every
// drawing) and the mnemonic, which a file uses only when it begins with bare
// numbers (see ends_on_instruction).
#include "driver/carried_state.h"

#include <algorithm>
#include <iterator>

#include "interpreter/graphics_state.h"

namespace penloom {

namespace {

template <class T, std::size_t N>
bool same_array(const T (&a)[N], const T (&b)[N]) {
    return std::equal(std::begin(a), std::end(a), std::begin(b));
}

bool same_font(const FontDefinition& a, const FontDefinition& b) {
    return a.style_index == b.style_index && a.spacing == b.spacing && a.height == b.height &&
           a.width == b.width && a.advance == b.advance && a.reserved == b.reserved && a.pitch == b.pitch &&
           a.width_multiplier == b.width_multiplier && a.base_aspect == b.base_aspect;
}

bool same_pen(const PenEntry& a, const PenEntry& b) {
    return a.default_colour == b.default_colour && a.colour_from_settings == b.colour_from_settings &&
           a.default_width == b.default_width && a.default_code == b.default_code &&
           a.width_from_settings == b.width_from_settings && a.colour == b.colour && a.width == b.width &&
           a.code == b.code;
}

bool same_pens(const PenState& a, const PenState& b) {
    for (std::size_t i = 0; i < a.table.size(); ++i)
        if (!same_pen(a.table[i], b.table[i])) return false;
    return a.colours_from_settings == b.colours_from_settings && a.widths_from_settings == b.widths_from_settings &&
           a.default_pen_width == b.default_pen_width && a.pattern_length == b.pattern_length &&
           a.pattern_mode == b.pattern_mode && same_array(a.range.black, b.range.black) &&
           same_array(a.range.white, b.range.white) && a.white_colour == b.white_colour &&
           a.run_defaults_applied == b.run_defaults_applied;
}

bool same_input(const GraphicsState& a, const GraphicsState& b) {
    const ReaderState &ra = a.reader, &rb = b.reader;
    const TokenState &ta = a.tokens, &tb = b.tokens;
    return ra.current == rb.current && ra.previous == rb.previous && ra.push_back == rb.push_back &&
           ra.end_of_input == rb.end_of_input && ra.echo_suppressed == rb.echo_suppressed &&
           ra.replay_trace == rb.replay_trace &&
           ta.repeat_pending == tb.repeat_pending && ta.count == tb.count &&
           ta.pe_base == tb.pe_base && ta.pe_divisor == tb.pe_divisor && ta.pe_error == tb.pe_error &&
           a.language.mode == b.language.mode && a.language.pcl_context == b.language.pcl_context &&
           a.language.resolution == b.language.resolution && a.language.ret_on == b.language.ret_on &&
           a.pcl.cursor_x == b.pcl.cursor_x && a.pcl.cursor_y == b.pcl.cursor_y &&
           a.pcl.reentry_x == b.pcl.reentry_x && a.pcl.reentry_y == b.pcl.reentry_y &&
           a.pcl.pending_group == b.pcl.pending_group && a.pcl.pending_parameter == b.pcl.pending_parameter &&
           a.pcl.stop_characters == b.pcl.stop_characters;
}

bool same_motion_and_coordinates(const GraphicsState& a, const GraphicsState& b) {
    return a.current_x == b.current_x && a.current_y == b.current_y && a.carriage_x == b.carriage_x &&
           a.carriage_y == b.carriage_y && a.path_start_x == b.path_start_x && a.path_start_y == b.path_start_y &&
           a.relative_plotting == b.relative_plotting && a.pen_down == b.pen_down &&
           a.continued_path == b.continued_path && a.path.count == b.path.count &&
           a.tick_length == b.tick_length && a.drawing_factor == b.drawing_factor &&
           a.hard_clip_x == b.hard_clip_x && a.hard_clip_y == b.hard_clip_y && a.page_length == b.page_length &&
           a.page_width == b.page_width && a.page_size_seen == b.page_size_seen && a.p1_x == b.p1_x &&
           a.p1_y == b.p1_y && a.p2_x == b.p2_x && a.p2_y == b.p2_y && a.scaling_on == b.scaling_on &&
           a.scaling_type == b.scaling_type && same_array(a.user_window, b.user_window) &&
           a.scale_x == b.scale_x && a.scale_y == b.scale_y && a.translate_x == b.translate_x &&
           a.translate_y == b.translate_y && a.rotation == b.rotation && a.rotation_swap == b.rotation_swap &&
           a.run_rotation == b.run_rotation && a.frame_offset == b.frame_offset && a.clip_min_x == b.clip_min_x &&
           a.clip_min_y == b.clip_min_y && a.clip_max_x == b.clip_max_x && a.clip_max_y == b.clip_max_y &&
           a.page_min_x == b.page_min_x && a.page_min_y == b.page_min_y && a.page_max_x == b.page_max_x &&
           a.page_max_y == b.page_max_y && a.clipping_off == b.clipping_off &&
           a.extents.min_x == b.extents.min_x && a.extents.min_y == b.extents.min_y &&
           a.extents.max_x == b.extents.max_x && a.extents.max_y == b.extents.max_y;
}

bool same_fills(const GraphicsState& a, const GraphicsState& b) {
    const PolygonState &pa = a.polygons, &pb = b.polygons;
    const FillState &fa = a.fill, &fb = b.fill;
    return a.fill_pending == b.fill_pending && a.polygon_mode == b.polygon_mode &&
           a.ft3_spacing == b.ft3_spacing && a.ft4_spacing == b.ft4_spacing &&
           pa.fill.segments.size() == pb.fill.segments.size() && pa.edge.segments.size() == pb.edge.segments.size() &&
           pa.new_subpolygon == pb.new_subpolygon && pa.start_only == pb.start_only &&
           pa.origin_x == pb.origin_x && pa.origin_y == pb.origin_y && pa.start_x == pb.start_x &&
           pa.start_y == pb.start_y && pa.edge_after_fill == pb.edge_after_fill && pa.fill_rule == pb.fill_rule &&
           pa.filled_count == pb.filled_count && fa.kind == fb.kind && fa.shading_level == fb.shading_level &&
           fa.raster_number == fb.raster_number && fa.hatch_index == fb.hatch_index &&
           fa.ft3_angle == fb.ft3_angle && fa.ft4_angle == fb.ft4_angle &&
           fa.generated.size() == fb.generated.size() && fa.raster.size() == fb.raster.size();
}

bool same_labels(const GraphicsState& a, const GraphicsState& b) {
    return a.label_terminator == b.label_terminator && a.terminator_mode == b.terminator_mode &&
           a.label_direction == b.label_direction && a.label_origin == b.label_origin &&
           a.label_offset_x == b.label_offset_x && a.label_offset_y == b.label_offset_y &&
           a.label_horizontal == b.label_horizontal && a.label_vertical == b.label_vertical &&
           a.vertical_labels == b.vertical_labels && a.symbol_mode == b.symbol_mode &&
           a.symbol_char == b.symbol_char && a.current_font == b.current_font &&
           a.absolute_size_on == b.absolute_size_on && a.relative_size_on == b.relative_size_on &&
           a.relative_width_percent == b.relative_width_percent &&
           a.relative_height_percent == b.relative_height_percent && a.char_height == b.char_height &&
           a.char_width == b.char_width && a.char_advance == b.char_advance && a.width_factor == b.width_factor &&
           same_font(a.fonts[0], b.fonts[0]) && same_font(a.fonts[1], b.fonts[1]) &&
           same_font(a.font_starts[0], b.font_starts[0]) && same_font(a.font_starts[1], b.font_starts[1]) &&
           a.romanx_chosen == b.romanx_chosen;
}

}  // namespace

bool same_file_start(const GraphicsState& a, const GraphicsState& b) {
    return a.command_counter == b.command_counter && a.nr_seen == b.nr_seen &&
           a.in_at_start == b.in_at_start && a.stop == b.stop && a.more_pages == b.more_pages &&
           a.page_counter == b.page_counter && a.path_counter == b.path_counter && same_input(a, b) &&
           same_motion_and_coordinates(a, b) && a.current_pen == b.current_pen && a.pen_count == b.pen_count &&
           a.current_colour == b.current_colour && a.current_width == b.current_width &&
           a.current_lineweight == b.current_lineweight && a.current_linetype == b.current_linetype &&
           a.previous_linetype == b.previous_linetype && same_pens(a.pens, b.pens) && same_fills(a, b) &&
           same_labels(a, b);
}

bool ends_on_instruction(const GraphicsState& before) {
    return before.tokens.mnemonic[0] != 0 || before.tokens.mnemonic[1] != 0;
}

}  // namespace penloom
