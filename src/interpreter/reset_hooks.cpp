// No-op stand-ins for reset steps of parts not written yet; see
// reset_hooks.h.
#include "interpreter/reset_hooks.h"

namespace penloom {

void end_path(Context&) {}
void release_page_lists(Context&) {}
void reset_pens_to_defaults(Context&) {}
void reset_pen_widths(Context&) {}
void reload_pen_defaults(Context&) {}
void reset_linetype_table(Context&) {}
void reset_character_sizes(Context&) {}
void clear_relative_size_flags(Context&) {}
void select_standard_font_set(Context&) {}
void set_label_direction(Context&, int) {}

}  // namespace penloom
