// LB and symbol mode: label text in, TEXT entities out. A label's text is
// split into lines at CR and LF; each line is one TEXT placed at the pen
// plus the label offset, rotated by the label direction, sized by the
// current font, and justified by the label origin. The pen advances by the
// character cells it covered.
#include "interpreter/labels.h"

#include <cmath>
#include <string>

#include "construction/char_widths.h"
#include "construction/entity_emission.h"
#include "construction/text_styles.h"
#include "interpreter/interpreter_context.h"
#include "interpreter/coordinates.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"

namespace penloom {

namespace {

constexpr std::uint16_t kTextType = 7;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;
constexpr int kCarriageReturn = 13;
constexpr int kLineFeed = 10;

struct Direction {
    double c;  // cos of the label direction
    double s;  // sin of the label direction
};

Direction direction_of(const GraphicsState& gs) {
    const double theta = gs.label_direction * kDegrees;
    return {std::cos(theta), std::sin(theta)};
}

bool is_line_end(char c) {
    return c == kCarriageReturn || c == kLineFeed;
}

// Raw bytes up to the terminator (or the end of the input) onto `text`,
// which keeps at most kMaxLabelText of them.
void read_text(ReaderState& reader, int terminator, std::string& text) {
    for (;;) {
        const int c = next_byte(reader);
        if (c == terminator || c == kEndOfInput) return;
        if (text.size() < kMaxLabelText) text.push_back(static_cast<char>(c));
    }
}

// After a text: when the next instruction is another LB (only non-letters
// in between, and no ESC), it is taken and its text joins this one.
// Returns false, with the reader put back where it stood, otherwise.
bool take_following_label(ReaderState& reader) {
    const ReadPosition position = save_position(reader);
    const int current = reader.current, previous = reader.previous;
    const bool push_back = reader.push_back, ended = reader.end_of_input;
    int c = next_char(reader);
    while (c != kEndOfInput && c != kEscape && !is_letter(c)) c = next_char(reader);
    if (c == 'L' && next_char(reader) == 'B') return true;
    restore_position(reader, position);
    reader.current = current;
    reader.previous = previous;
    reader.push_back = push_back;
    reader.end_of_input = ended;
    return false;
}

// One TEXT entity with the label's style, size, direction and width factor.
void emit_text(InterpreterContext& ctx, std::string_view text, double x, double y) {
    GraphicsState& gs = ctx.gs;
    if (!ctx.drawing.drawing || !ctx.drawing.line_work) return;
    EntityRecords& records = *ctx.drawing.line_work;
    begin_entity(ctx, kTextType, gs.current_colour, -1, records);
    const int style = gs.fonts[gs.current_font].style_index;
    ensure_text_style(ctx, style);
    TextData& t = records.record.text;
    if (style >= 0 && style < kTextStyleCapacity &&
        !is_null_handle(gs.text_styles.records[style].handle))
        t.style = gs.text_styles.records[style].handle;
    t.insert = Point3{x, y, 0.0};
    t.height = gs.char_height;
    t.width_factor = gs.width_factor;
    t.text.assign(text.data(), text.size());
    t.rotation = gs.label_direction * kDegrees;
    // Symbols, and labels while symbol mode is on, are centred on P.
    if (gs.symbol_mode) {
        t.halign = 4;
        t.valign = 2;
    } else {
        t.halign = static_cast<std::int16_t>(gs.label_horizontal);
        t.valign = static_cast<std::int16_t>(gs.label_vertical);
    }
    if (t.halign != 0 || t.valign != 0) t.align = t.insert;
    // A text whose place or size overflowed is not written.
    if (!drawable_value(x) || !drawable_value(y) || !drawable_value(t.height) ||
        !drawable_value(t.width_factor) || !drawable_value(t.rotation))
        return;
    // A refusal is reported there and loses only this text.
    static_cast<void>(add_entity_to_drawing(ctx, records));
}

// The line at P: the pen advance and the extents are the caller's.
void write_line_at(InterpreterContext& ctx, std::string_view line, double px, double py) {
    if (label_visible(ctx, line, px, py)) {
        write_label_line(ctx, line, px, py);
        grow_extents(ctx.gs, px, py);
    }
}

}  // namespace

bool label_visible(const InterpreterContext& ctx, std::string_view line, double px, double py) {
    const GraphicsState& gs = ctx.gs;
    if (gs.clipping_off) return true;
    const double w = measure_line(label_width_font(gs.text_styles, gs.current_font), line,
                                  gs.char_height, gs.width_factor);
    const double h = gs.char_height;
    const Direction d = direction_of(gs);
    const double k = gs.label_horizontal == 1 ? 0.5 : gs.label_horizontal == 2 ? 1.0 : 0.0;
    const double m = gs.label_vertical == 2 ? 0.5 : gs.label_vertical == 3 ? 1.0 : 0.0;
    // u = (-s, c). Only the first corner follows the justification; the
    // other three are measured from P itself.
    const double corners[4][2] = {
        {px - k * w * d.c + m * h * d.s, py - k * w * d.s - m * h * d.c},
        {px - h * d.s, py + h * d.c},
        {px + w * d.c, py + w * d.s},
        {px + w * d.c - h * d.s, py + w * d.s + h * d.c},
    };
    int inside = 0;
    for (const auto& q : corners)
        if (in_clip_window(gs, q[0], q[1])) ++inside;
    return inside >= 3;
}

void write_label_line(InterpreterContext& ctx, std::string_view line, double px, double py) {
    const GraphicsState& gs = ctx.gs;
    if (gs.vertical_labels != 1) {
        emit_text(ctx, line, px, py);
        return;
    }
    const double h = gs.char_height;
    const Direction d = direction_of(gs);
    double x = px, y = py;
    const double column = ((static_cast<double>(line.size()) - 1.0) * 1.5 + 1.0) * h;
    double back = 0.0;
    if (gs.label_horizontal == 1) back = column / 2.0 - h;
    if (gs.label_horizontal == 2) back = column - h;
    x += back * -d.s;
    y += back * d.c;
    for (std::size_t i = 0; i < line.size(); ++i) {
        emit_text(ctx, line.substr(i, 1), x, y);
        x += 1.5 * h * d.s;
        y -= 1.5 * h * d.c;
    }
}

// LB text up to the terminator; following LBs join it.
void cmd_lb(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    std::string text;
    do read_text(gs.reader, gs.label_terminator, text);
    while (take_following_label(gs.reader));
    ++gs.path_counter;
    if (text.empty()) return;

    const Direction d = direction_of(gs);
    const double h = gs.char_height;
    const bool advances =
        !(gs.label_origin == 4 || gs.label_origin == 5 || gs.label_origin == 6 ||
          gs.label_origin == 14 || gs.label_origin == 15 || gs.label_origin == 16);
    std::size_t i = 0;
    for (;;) {
        std::size_t end = i;
        while (end < text.size() && !is_line_end(text[end])) ++end;
        const std::string_view line(text.data() + i, end - i);
        const double px = gs.current_x + gs.label_offset_x * d.c - gs.label_offset_y * d.s;
        const double py = gs.current_y + gs.label_offset_x * d.s + gs.label_offset_y * d.c;
        write_line_at(ctx, line, px, py);
        if (!line.empty() && advances) {
            const double run = static_cast<double>(line.size()) * gs.char_advance;
            gs.current_x += run * d.c;
            gs.current_y += run * d.s;
        }
        grow_extents(gs, gs.current_x, gs.current_y);
        grow_extents(gs, px, py);
        i = end;
        if (i >= text.size()) break;
        for (; i < text.size() && is_line_end(text[i]); ++i) {
            if (text[i] == kCarriageReturn) {
                gs.current_x = gs.carriage_x;
                gs.current_y = gs.carriage_y;
            } else {
                gs.carriage_x += 2.0 * h * d.s;
                gs.carriage_y -= 2.0 * h * d.c;
                gs.current_x += 2.0 * h * d.s;
                gs.current_y -= 2.0 * h * d.c;
            }
        }
        grow_extents(gs, gs.current_x, gs.current_y);
        if (i >= text.size()) break;
    }
}

void plot_symbol(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (!gs.symbol_mode) return;
    const double h = gs.char_height;
    if (gs.symbol_char == '.') {
        // The pen position stays where it is: polygon mode returns to it.
        fill_circle(ctx, gs.current_x, gs.current_y, h / 30.0);
        return;
    }
    const Direction d = direction_of(gs);
    const double px = gs.current_x + 0.5 * h * d.s;
    const double py = gs.current_y - 0.5 * h * d.c;
    const char symbol = static_cast<char>(gs.symbol_char);
    const std::string_view line(&symbol, 1);
    if (label_visible(ctx, line, px, py)) emit_text(ctx, line, px, py);
    grow_extents(gs, gs.current_x, gs.current_y);
    grow_extents(gs, px, py);
}

}  // namespace penloom
