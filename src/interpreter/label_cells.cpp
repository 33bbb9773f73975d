// The character cell: label terminator (DT), direction (DI, DR, and RO's
// share of it), vertical labels (DV), label origin (LO), character plot
// (CP), symbol mode (SM), and the label state reset before every page.
#include <cmath>

#include "interpreter/interpreter_context.h"
#include "interpreter/handlers.h"
#include "interpreter/labels.h"
#include "interpreter/reset_hooks.h"
#include "interpreter/vectors.h"

namespace penloom {

namespace {

constexpr int kEtx = 3;
constexpr int kEnq = 5;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

void carriage_to_pen(GraphicsState& gs) {
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
}

// The angle of the vector (run, rise) in degrees.
double direction_of(double run, double rise) {
    if (std::fabs(run) < 1e-6) return rise >= 0.0 ? 90.0 : -90.0;
    if (std::fabs(rise) >= 1e-6) {
        double angle = std::atan(rise / run) / kDegrees;
        return run < 0.0 ? angle + 180.0 : angle;
    }
    return run >= 0.0 ? 0.0 : 180.0;
}

}  // namespace

void set_label_origin(GraphicsState& gs) {
    const int n = gs.label_origin;
    const int q = n / 10;
    const int r = n - 10 * q;
    const double dx = q * gs.char_width * 0.25;
    const double dy = q * gs.char_height * 0.25;
    // ORDER LABELORIGIN: r -> horizontal, vertical, offset.
    struct Cell {
        int horizontal, vertical;
        double ox, oy;
    };
    Cell cell{0, 0, dx, dy};
    switch (r) {
        case 2:
            cell = {0, 2, dx, 0.0};
            break;
        case 3:
            cell = {0, 3, dx, -dy};
            break;
        case 4:
            cell = {1, 0, 0.0, dy};
            break;
        case 5:
            cell = {1, 2, 0.0, 0.0};
            break;
        case 6:
            cell = {1, 3, 0.0, -dy};
            break;
        case 7:
            cell = {2, 0, -dx, dy};
            break;
        case 8:
            cell = {2, 2, -dx, 0.0};
            break;
        case 9:
            cell = {2, 3, -dx, -dy};
            break;
        default:
            break;
    }
    gs.label_horizontal = cell.horizontal;
    gs.label_vertical = cell.vertical;
    gs.label_offset_x = cell.ox;
    gs.label_offset_y = cell.oy;
}

void set_label_direction(InterpreterContext& ctx, int angle) {
    ctx.gs.label_direction = angle;
}

void reset_label_state(InterpreterContext& ctx, bool first_page) {
    GraphicsState& gs = ctx.gs;
    gs.label_origin = 1;
    gs.label_horizontal = gs.label_vertical = 0;
    gs.symbol_mode = false;
    gs.symbol_char = 0;
    // Every file starts with StdWidthScale, not only the first of a batch.
    if (first_page) gs.width_factor = ctx.settings.StdWidthScale;
}

// DT t[,mode]: the next raw byte is the terminator.
void cmd_dt(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    const int t = next_byte(reader);
    if (t == 0 || t == kEnq || t == kEscape || t == kEndOfInput) return;
    if (t == ';') {
        gs.label_terminator = kEtx;
        return;
    }
    gs.label_terminator = t;
    if (t == ' ') {
        const int after = next_byte(reader);
        if (after == kEtx) {
            gs.label_terminator = kEtx;
        } else if (is_digit(after) || is_letter(after)) {
            reader.current = after >= 'a' && after <= 'z' ? after - ('a' - 'A') : after;
            reader.previous = reader.current;
            reader.push_back = true;
        }
    }
    std::int32_t mode = 0;
    read_int(reader, mode);  // the terminator is never printed, whatever the mode
}

// DI [run, rise]: absolute direction, on top of RO and the run rotation.
void cmd_di(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    double angle = 0.0;
    if (read_numbers(gs, 2) == 2) angle = direction_of(gs.tokens.values[0], gs.tokens.values[1]);
    double direction = gs.rotation + angle;
    if (gs.run_rotation == 90 || gs.run_rotation == 180 || gs.run_rotation == 270)
        direction += gs.run_rotation;
    while (direction >= 360.0) direction -= 360.0;
    while (direction <= -360.0) direction += 360.0;
    gs.label_direction = direction;
    carriage_to_pen(gs);
}

// DR [run, rise]: relative direction is not supported; read and ignored.
void cmd_dr(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 2);
    carriage_to_pen(ctx.gs);
}

// DV [n]: only 1 stacks the characters.
void cmd_dv(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    gs.vertical_labels = read_numbers(gs, 1) == 1 ? gs.tokens.integers[0] : 0;
    carriage_to_pen(gs);
}

// LO [n]: the origin code with exactly one parameter, else 1.
void cmd_lo(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    gs.label_origin = read_numbers(gs, 2) == 1 ? gs.tokens.integers[0] : 1;
    set_label_origin(gs);
    carriage_to_pen(gs);
}

// CP [spaces, lines]: from the carriage-return point, along and across the
// label direction. CP; alone is a carriage return and line feed.
void cmd_cp(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    gs.current_x = gs.carriage_x;
    gs.current_y = gs.carriage_y;
    double spaces = 0.0, lines = -1.0;
    if (read_numbers(gs, 2) > 0) {
        spaces = gs.tokens.values[0];
        lines = gs.tokens.values[1];
    }
    const bool was_down = gs.pen_down;
    end_path(ctx);
    const double theta = gs.label_direction * kDegrees;
    const double c = std::cos(theta), s = std::sin(theta);
    const double along = spaces * gs.char_advance;
    const double across = lines * 2.0 * gs.char_height;
    gs.current_x += along * c - across * s;
    gs.current_y += along * s + across * c;
    if (was_down) put_pen_down(ctx);
    carriage_to_pen(gs);
}

// SM [c]: the next raw byte; `;` turns symbol mode off.
void cmd_sm(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int c = next_byte(gs.reader);
    if (c == ';' || c == kEndOfInput) {
        gs.symbol_mode = false;
        return;
    }
    gs.symbol_mode = true;
    gs.symbol_char = c;
}

}  // namespace penloom
