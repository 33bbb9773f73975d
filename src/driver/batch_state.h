// `BatchState`: the run record of the command line and the batch loop, and
// the release texts of `OutputRelease`.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "construction/drawing_options.h"

namespace penloom {

// Release text of each `OutputRelease` code 0..9, as the progress line shows
// it. Codes 0 and 1 have no switch; 4 to 7 are written directly as DXF.
inline constexpr const char* release_texts[10] = {
    "2.5", "2.6", "9", "10", "11-12", "13", "14", "2000,2002", "2004,2005,2006", "2007,2008,2009",
};

// The release text of a code; empty for a code outside the table (verDXF is
// stored as read).
inline const char* release_text(int code) {
    return (code >= 0 && code < 10) ? release_texts[code] : "";
}

// The drawing options (release, DWG, mono, rotation, input name) are the
// base: the layers below read them without seeing the rest.
struct BatchState : DrawingOptions {
    // From the command line.
    std::string input_pattern;    // the first argument, unchanged
    bool wildcard = false;        // input pattern contains `*` or `?`
    std::string wildcard_folder;  // folder part of the pattern, trailing `/`, or empty
    std::string output_name;      // drawing being written (given or built)
    std::string output_folder;    // folder of built output names, trailing `/`
    int extension_selector = 0;   // 0 from OutputExt, 1 ".DXF", 2 ".DWG" (wildcard mode)
    bool test_run = false;
    bool parse_trace = false;     // switched off for the rest of the run by a PLX input
    int jobs = 0;                 // files of a wildcard run translated at once (/J, `Jobs`); 0: one per CPU

    // The input of the current drawing.
    std::string input_path;       // wildcard folder + input name (wildcard mode)
    bool continue_input = false;  // the last pass stopped at a page end
    int files_processed = 0;

    // The wildcard search: every match, in the order they are taken.
    std::vector<std::string> found_files;
    std::size_t next_found = 0;
    bool search_started = false;
};

}  // namespace penloom
