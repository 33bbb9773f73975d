// `GraphicsState`: the interpreter's single state record, one for the whole
// run, prepared for every page by initialize_file_state. Its fields are
// grouped by the part of the program that owns them; the parts that are
// not written yet add their own groups here.
#pragma once

#include <cstdint>

#include "input/language_mode.h"
#include "input/reader.h"
#include "input/tokenizer.h"

namespace penloom {

struct GraphicsState {
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

    // Pen motion (vectors).
    double current_x = 0.0, current_y = 0.0;        // drawing units
    double carriage_x = 0.0, carriage_y = 0.0;      // carriage-return point, drawing units
    double path_start_x = 0.0, path_start_y = 0.0;  // open polyline start, drawing units
    bool relative_plotting = false;                 // PR in force; false after PA

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
    std::int32_t frame_offset = 0;                                                  // plotter units
    double clip_min_x = 0.0, clip_min_y = 0.0, clip_max_x = 0.0, clip_max_y = 0.0;  // drawing units
    double page_min_x = 0.0, page_min_y = 0.0, page_max_x = 0.0, page_max_y = 0.0;  // drawing units
    bool clipping_off = true;
    double extents_min_x = 1e20, extents_min_y = 1e20;    // drawing units
    double extents_max_x = -1e20, extents_max_y = -1e20;  // drawing units

    // Polygons and fills (polygons).
    bool fill_pending = false;  // a fill waits to be written when something else is drawn

    // Labels.
    int label_terminator = 3;  // byte ending LB and WD text (ETX)
    int terminator_mode = 1;   // 1: the terminator is not printed
};

}  // namespace penloom
