// The parse trace: a copy of the plot stream as the reader sees it, written
// to "<input>.plx" when tracing. Every byte read is echoed with control bytes
// made visible; PE data is written decoded (helpers below, used by the PE
// handler while it suppresses the echo), so the trace is itself an HP-GL
// file that translates to the same drawing. Flushed after every write.
#pragma once

#include <string>
#include <string_view>

#include "input/reader.h"

namespace penloom {

// Opens (creates) the trace file for binary writing and switches tracing on.
// The first read afterwards writes the head bytes already delivered, so the
// trace starts where the input starts. Returns false when the file cannot
// be created; tracing then stays off.
[[nodiscard]] bool open_trace_file(ReaderState& reader, const std::string& path);

// Switches tracing off and closes the trace file (if any).
void close_trace_file(ReaderState& reader);

// Writes text to the trace when tracing (flushed).
void trace_write(ReaderState& reader, std::string_view text);

// A number as the decoded PE trace writes it: "%lf", then trailing zeros and
// a trailing point removed ("12.500000" -> "12.5", "3.000000" -> "3").
std::string format_trace_number(double value);

// Pieces of a decoded PE instruction. Each writes only when tracing.
void trace_pe_start(ReaderState& reader);                     // "-START\nPD"
void trace_pe_pair(ReaderState& reader, double x, double y);  // "x,y"
// A pen-down pair: "\n", "PD" when a pen-up pair lifted the pen just
// before, "PA" or "PR", then the pair.
void trace_pe_draw(ReaderState& reader, bool after_lift, bool absolute, double x, double y);
void trace_pe_pen_up(ReaderState& reader);                     // "\nPU" (the pair follows)
void trace_pe_absolute(ReaderState& reader, bool after_lift);  // "\nPDPA" or "\nPA"
void trace_pe_select_pen(ReaderState& reader, long pen);       // "\nSP%ld"
void trace_pe_fraction_bits(ReaderState& reader, long bits);   // "\nFB%ld"
void trace_pe_seven_bit(ReaderState& reader);                  // "\nPB7"
// A rectangle: "\nRM", "\nPU", "\nPM0" when it restarts polygon mode, "\nPA"
// or "\nPR" and the corner, then "ER" and the size.
void trace_pe_rectangle(ReaderState& reader, bool restarts_polygon, bool absolute, double corner_x,
                        double corner_y, double width, double height);
void trace_pe_end(ReaderState& reader);  // ";\n"

// Suppresses the echo of ordinary bytes while PE is traced decoded.
inline void suppress_echo(ReaderState& reader, bool suppressed) {
    reader.echo_suppressed = suppressed;
}

// True when a path names a parse trace file (extension "plx", any case):
// such an input is replayed, not traced.
bool is_trace_file_name(std::string_view path);

}  // namespace penloom
