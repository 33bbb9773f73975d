// `GraphicsState`: the interpreter's single state record, one for the whole
// run, prepared for every page by initialize_file_state. Its fields are
// grouped by the part of the program that owns them; the parts that are
// not written yet add their own groups here.
#pragma once

#include <cstdint>

#include "construction/construction_context.h"
#include "construction/open_path.h"
#include "input/language_mode.h"
#include "input/pcl_state.h"
#include "input/reader.h"
#include "input/tokenizer.h"
#include "interpreter/fonts.h"
#include "interpreter/pens.h"

namespace penloom {

// The attributes of new entities, the extents, the polygon buffer, the fill
// state and the text styles are the base (construction/construction_context.h):
// construction reads and keeps them.
struct GraphicsState : ConstructionState {
    // Command loop and page signals (command_loop, page_commands).
    int command = 0;           // current CommandCode
    int command_counter = 0;   // commands since the last NR (and the page break of IN)
    bool nr_seen = false;      // NR met with IgnoreNR on
    bool in_at_start = false;  // the next page begins by executing IN
    bool stop = false;         // end the stream loop after this command: page end
    bool more_pages = false;   // the input goes on with another page; keep it open
    int page_counter = 0;      // pages ended so far in this file
    int path_counter = 0;      // paths, arcs and labels begun in this file

    // Input: reader, tokenizer and printer language.
    ReaderState reader;
    TokenState tokens;
    LanguageState language;
    PclState pcl;  // PCL cursor, stop characters, combined sequence (pcl.cpp)

    // Pen motion (vectors).
    double current_x = 0.0, current_y = 0.0;        // drawing units
    double carriage_x = 0.0, carriage_y = 0.0;      // carriage-return point, drawing units
    double path_start_x = 0.0, path_start_y = 0.0;  // open polyline start, drawing units
    bool relative_plotting = false;                 // PR in force; false after PA
    bool pen_down = false;
    bool continued_path = false;  // a pen change re-opened the path: ending it alone makes no dot
    OpenPath path;                // the open polyline (vectors.h)
    double tick_length = 0.5;     // XT/YT half length, drawing units

    // Coordinate system (coordinates).
    double drawing_factor = 0.025;     // drawing units per plotter unit, from the settings
    std::int32_t hard_clip_x = 31400;  // plotter units
    std::int32_t hard_clip_y = 22450;  // plotter units
    std::int32_t page_length = 31400;  // plotter units, PS order
    std::int32_t page_width = 22450;   // plotter units, PS order
    bool page_size_seen = false;
    std::int32_t p1_x = 0, p1_y = 0;          // plotter units
    std::int32_t p2_x = 31400, p2_y = 22450;  // plotter units
    bool scaling_on = false;
    int scaling_type = 0;
    double user_window[4] = {0.0, 0.0, 0.0, 0.0};  // Xmin, Ymin, Xmax, Ymax, user units
    double scale_x = 1.0, scale_y = 1.0;           // plotter units per user unit
    double translate_x = 0.0, translate_y = 0.0;   // plotter units
    int rotation = 0;                              // degrees: 0, 90, 180, 270
    bool rotation_swap = false;
    int run_rotation = 0;                          // degrees: /R or RotateC, copied per page
    std::int32_t frame_offset = 0;                                                  // plotter units
    double clip_min_x = 0.0, clip_min_y = 0.0, clip_max_x = 0.0, clip_max_y = 0.0;  // drawing units
    double page_min_x = 0.0, page_min_y = 0.0, page_max_x = 0.0, page_max_y = 0.0;  // drawing units
    bool clipping_off = true;

    // Pens and lines (pens); what every new entity takes is in the base.
    int current_pen = 1;
    int pen_count = 8;                 // NumPens, changed by NP
    int previous_linetype = 0;         // what LT99 swaps back
    PenState pens;                     // pen table, pattern length, colour range

    // Polygons and fills (polygons).
    bool fill_pending = false;  // a fill waits to be written when something else is drawn
    bool polygon_mode = false;  // PM0 to PM2: vectors go to the polygon buffer
    double ft3_spacing = 0.0;   // FT3 hatch spacing: user units while scaling is on
    double ft4_spacing = 0.0;   // FT4 cross-hatch spacing: likewise

    // Labels (labels, label_cells, fonts).
    int label_terminator = 3;  // byte ending LB and WD text (ETX)
    int terminator_mode = 1;   // 1: the terminator is not printed
    double label_direction = 0.0;                       // degrees, set by DI and RO
    int label_origin = 1;                               // last LO code
    double label_offset_x = 0.0, label_offset_y = 0.0;  // drawing units, in the label's axes
    int label_horizontal = 0;                           // 0 left, 1 centre, 2 right
    int label_vertical = 0;                             // 0 baseline, 2 middle, 3 top
    int vertical_labels = 0;                            // 1: characters stacked downward (DV1)
    bool symbol_mode = false;
    int symbol_char = 0;                                // byte plotted at every vertex in symbol mode
    int current_font = 0;                               // 0 standard, 1 alternate (SS, SA)
    bool absolute_size_on = false;                      // SI with a size: SS/SA keep the size
    bool relative_size_on = false;                      // SR: IP recomputes the size
    double relative_width_percent = 0.75;               // per cent of P2x - P1x
    double relative_height_percent = 1.5;               // per cent of P2y - P1y
    double char_height = 2.84;                          // drawing units
    double char_width = 2.03;                           // drawing units
    double char_advance = 2.82;                         // as stored in the font definition
    double width_factor = 0.8;                          // of new TEXT entities
    FontDefinition fonts[2] = {standard_font_start(), alternate_font_start()};
    FontDefinition font_starts[2] = {standard_font_start(), alternate_font_start()};
    bool romanx_chosen = false;                         // AD1,5 met in this file
};

// Clears the first n parameter slots and reads up to n numbers into them
// (read_numbers of the tokenizer on the run's reader and tokens).
inline int read_numbers(GraphicsState& gs, int n) {
    return read_numbers(gs.tokens, gs.reader, n);
}

}  // namespace penloom
