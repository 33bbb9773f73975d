// PE (polyline encoded): flags and base-64/base-32 number pairs up to `;`.
// Pairs draw with the pen down (relative unless `=` came before); `<` makes
// the next pair a pen-up move; `:` selects a pen, `>` sets fractional bits,
// `7` switches to 7-bit digits, `9` reads a rectangle. When tracing, the
// instruction is written to the trace decoded (the raw bytes are not
// echoed), so the trace replays as plain HP-GL; a trace being replayed only
// skips the "-START" marker here.
#include "interpreter/polyline_encoded.h"

#include <cmath>

#include "interpreter/interpreter_context.h"
#include "input/parse_trace.h"
#include "input/pe_numbers.h"
#include "interpreter/handlers.h"
#include "interpreter/pens.h"
#include "interpreter/polygons.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

constexpr int kTraceMarkLength = 6;  // "-START"

bool is_pe_flag(int c) {
    return c == ':' || c == '<' || c == '=' || c == '>' || c == '7' || c == '9';
}

// Characters that can begin a number: digits of either kind of the base.
bool is_pe_digit(const TokenState& tokens, int c) {
    if (tokens.pe_base == 32) return c >= 63 && c <= 126;
    return (c >= 63 && c <= 126) || (c >= 191 && c <= 254);
}

enum class Rectangle { none, corner, size };

struct PeState {
    bool absolute_next = false;  // `=`: the next pair is absolute
    bool lift_next = false;      // `<`: the next pair is a pen-up move
    bool pen_lifted = false;     // a pen-up move was just made: the next draw puts the pen down
    Rectangle rectangle = Rectangle::none;
    bool rectangle_seen = false;
    double corner_x = 0.0, corner_y = 0.0;  // the rectangle's corner as decoded
    bool corner_absolute = false;
};

// Reads the character after a flag; a flag or the end stays for the main
// loop. Returns true when something else (the flag's number) begins.
bool number_follows(ReaderState& reader) {
    const int c = next_char_keep_case(reader);
    if (c == ';' || c == kEndOfInput || is_pe_flag(c)) {
        reader.push_back = true;
        return false;
    }
    return true;
}

// After a number that ended without its final digit: a flag, `;` or the end
// that cut it short is read again by the main loop; anything else is dropped.
void after_decoding_error(ReaderState& reader) {
    const int c = reader.current;
    if (c == ';' || c == kEndOfInput || is_pe_flag(c)) reader.push_back = true;
}

DrawingPoint target(const GraphicsState& gs, double x, double y, bool absolute) {
    DrawingPoint p = transform_point(gs, x, y, !absolute);
    if (!absolute) {
        p.x += gs.current_x;
        p.y += gs.current_y;
    }
    return p;
}

void take_pair(InterpreterContext& ctx, PeState& pe, double x, double y) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    const bool absolute = pe.absolute_next;
    pe.absolute_next = false;
    switch (pe.rectangle) {
        case Rectangle::corner:
            pe.corner_x = x;
            pe.corner_y = y;
            pe.corner_absolute = absolute;
            move_to(ctx, target(gs, x, y, absolute));
            pe.rectangle = Rectangle::size;
            return;
        case Rectangle::size: {
            trace_pe_rectangle(reader, false, pe.corner_absolute, pe.corner_x, pe.corner_y, x, y);
            pe.rectangle = Rectangle::none;
            pe.pen_lifted = true;
            // The size is a displacement from the corner, whatever `=` said.
            const DrawingPoint far = target(gs, x, y, false);
            fill_rectangle(ctx, gs.current_x, gs.current_y, far.x, far.y, gs.polygon_mode);
            return;
        }
        case Rectangle::none: break;
    }
    if (pe.lift_next) {
        trace_pe_pair(reader, x, y);
        move_to(ctx, target(gs, x, y, absolute));
        pe.lift_next = false;
        pe.pen_lifted = true;
        return;
    }
    if (absolute)
        trace_pe_pair(reader, x, y);  // `=` already wrote the command
    else
        trace_pe_draw(reader, pe.pen_lifted, false, x, y);
    pe.pen_lifted = false;
    draw_to(ctx, target(gs, x, y, absolute));
}

}  // namespace

void cmd_pe(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    TokenState& tokens = gs.tokens;
    if (reader.replay_trace) {
        for (int i = 0; i < kTraceMarkLength; ++i) next_char_keep_case(reader);
        return;
    }
    const bool was_relative = gs.relative_plotting;
    suppress_echo(reader, true);
    tokens.pe_base = 64;
    tokens.pe_divisor = 1.0;
    trace_pe_start(reader);

    PeState pe;
    std::int32_t integer = 0;
    for (;;) {
        const int c = next_char_keep_case(reader);
        if (c == ';' || c == kEndOfInput) break;
        switch (c) {
            case ':':
                if (number_follows(reader)) {
                    tokens.pe_error = false;
                    read_pe_number(reader, tokens, true, integer);
                    if (tokens.pe_error) {
                        after_decoding_error(reader);
                        break;
                    }
                    trace_pe_select_pen(reader, integer);
                    select_pen(ctx, integer);
                }
                break;
            case '<':
                end_path(ctx);
                trace_pe_pen_up(reader);
                pe.lift_next = true;
                break;
            case '=':
                pe.absolute_next = true;
                if (pe.rectangle != Rectangle::none) break;  // the rectangle traces its own
                trace_pe_absolute(reader, pe.pen_lifted && !pe.lift_next);
                if (!pe.lift_next) pe.pen_lifted = false;
                break;
            case '>':
                if (number_follows(reader)) {
                    tokens.pe_error = false;
                    read_pe_number(reader, tokens, true, integer);
                    if (tokens.pe_error) {
                        after_decoding_error(reader);
                        break;
                    }
                    const double bits = std::pow(2.0, integer) + 0.001;
                    tokens.pe_divisor = bits >= 1.0 && bits < 2147483648.0 ? std::trunc(bits) : 1.0;
                    trace_pe_fraction_bits(reader, integer);
                }
                break;
            case '7':
                tokens.pe_base = 32;
                trace_pe_seven_bit(reader);
                break;
            case '9':
                if (gs.polygon_mode && !pe.rectangle_seen) restart_polygon_mode(ctx);
                end_path(ctx);
                pe.rectangle = Rectangle::corner;
                pe.rectangle_seen = true;
                pe.lift_next = false;
                break;
            default: {
                if (!is_pe_digit(tokens, c)) break;
                tokens.pe_error = false;
                const double x = read_pe_number(reader, tokens, true, integer);
                if (tokens.pe_error) {
                    after_decoding_error(reader);
                    break;
                }
                const double y = read_pe_number(reader, tokens, false, integer);
                if (tokens.pe_error) {
                    after_decoding_error(reader);
                    break;
                }
                take_pair(ctx, pe, x, y);
                break;
            }
        }
    }
    gs.relative_plotting = was_relative;
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
    trace_pe_end(reader);
    suppress_echo(reader, false);
    if (pe.rectangle_seen) end_path(ctx);
}

}  // namespace penloom
