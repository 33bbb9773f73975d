// Plot file classification: decides once per input file, from its first
// bytes, whether it can be translated and where the plot data begins.
// Foreign formats (DMP, PostScript, CalComp, PCL without HP-GL/2) are
// refused; PJL job headers, pen-plotter job headers and device-control
// sequences, metafile headers and leading ESC bytes are stripped; the
// printer language to start in is set.
#pragma once

#include "construction/output.h"
#include "input/language_mode.h"
#include "input/reader.h"

namespace penloom {

// The result of a classification. The kind flags say what was recognised;
// they decide the messages of a refused file.
struct Classification {
    bool go_ahead = false;
    bool pcl_by_pjl = false;            // a PJL job entering PCL
    bool postscript_by_header = false;  // "%!PS-Adobe" at the start
    bool postscript_by_pjl = false;     // a PJL job entering PostScript
    bool dmp = false;
    bool calcomp = false;
};

// Classifies a freshly attached plot file: reads the sample (9/10 of the
// file length, at most 2048 bytes, leading zero bytes dropped, one byte more
// when it ends in `L`) and, when the file goes ahead, leaves the plot data
// in the reader's head buffer and sets the language mode (PJL for a file
// starting with the universal exit, else HP-GL). A refused file is left as
// it is: the caller closes its files, prints print_refusal and ends the run
// with status 1. The sample stops early when the file does; an empty
// sample (file length below 2) reads nothing.
[[nodiscard]] Classification classify_plot_file(ReaderState& reader, LanguageState& language);

// The refusal lines of a refused file, each when its flag is set: PCL,
// PostScript, DMP, CalComp.
void print_refusal(Output& out, const Classification& result);

}  // namespace penloom
