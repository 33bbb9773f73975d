// Steps of IN, DF and the page reset whose state belongs to parts of the
// interpreter that are not written yet (paths, pens, linetypes, fonts,
// polygons). Each is a no-op here; the part that owns the state defines the
// function in its own file and removes it from reset_hooks.cpp.
#pragma once

namespace penloom {

struct InterpreterContext;

// Vectors: ends the open path (pen up, polyline handed over).
void end_path(InterpreterContext& ctx);

// Vectors and polygons: frees the polyline vertex list, the polygon buffers
// and the fill- and line-pattern lists; clears the open polyline, polygon
// and edge state and the polygon-mode and continued-path flags.
void release_page_lists(InterpreterContext& ctx);

// Pens: every pen's colour and width back to its defaults (IN).
void reset_pens_to_defaults(InterpreterContext& ctx);

// Pens: PW without parameters, every pen's width to `defaultpenwidth`.
void reset_pen_widths(InterpreterContext& ctx);

// Pens: the pen defaults reloaded from the settings, every pen reset to
// them, current pen 1 (page reset).
void reload_pen_defaults(InterpreterContext& ctx);

// Linetypes: the line-type table back to its built-in definitions.
void reset_linetype_table(InterpreterContext& ctx);

// Labels: character sizes of the standard and alternate font sets to their
// defaults.
void reset_character_sizes(InterpreterContext& ctx);

// Labels: relative character sizing off (DF).
void clear_relative_size_flags(InterpreterContext& ctx);

// Labels: the standard font set selected (first page of a file).
void select_standard_font_set(InterpreterContext& ctx);

// Labels: the label direction follows an RO angle (degrees).
void set_label_direction(InterpreterContext& ctx, int angle);

// Labels, before every page: label origin 1 (left, baseline), symbol mode
// off; on the first page of a file also the width factor of new labels
// (StdWidthScale). Runs after the character sizes are reset.
void reset_label_state(InterpreterContext& ctx, bool first_page);

}  // namespace penloom
