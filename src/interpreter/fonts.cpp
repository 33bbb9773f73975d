// The font definitions and character sizes: SI, SR, SS, SA, SD, AD, and
// the size resets of IN, DF and the first page of a file.
#include "interpreter/fonts.h"

#include <cmath>

#include "construction/text_styles.h"
#include "interpreter/interpreter_context.h"
#include "interpreter/handlers.h"
#include "interpreter/labels.h"
#include "interpreter/reset_hooks.h"

namespace penloom {

namespace {

constexpr double kPointHeight = 0.2469444444444444;    // millimetres per point: 0.7 point
constexpr double kPointWidth = 0.17638888888888887;    // 0.5 point
constexpr double kPointAdvance = 0.35277777777777775;  // 1 point
constexpr std::size_t kFontFileSize = 260;

// base aspect x multiplier / (height / width); a degenerate cell (zero
// height or width) leaves the factor as it is rather than writing an
// infinite or undefined factor into the drawing.
void set_width_factor(GraphicsState& gs, const FontDefinition& font) {
    const double aspect = font.height / font.width;
    if (!std::isfinite(aspect) || aspect == 0.0) return;
    const double factor = font.base_aspect * font.width_multiplier / aspect;
    if (std::isfinite(factor)) gs.width_factor = factor;
}

// advance / width of a definition, 0 for a zero width.
double advance_ratio(const FontDefinition& font) {
    const double ratio = font.advance / font.width;
    return std::isfinite(ratio) ? ratio : 0.0;
}

// The pitch rule of SD/AD kind 3 (and of kind 2 with fixed spacing).
void apply_pitch(GraphicsState& gs, FontDefinition& font, double pitch) {
    font.spacing = 0;
    font.pitch = std::fabs(pitch) < 1e-10 ? 9.0 : pitch;
    font.advance = gs.drawing_factor * 40.0 * 25.4 / font.pitch;
    font.height = font.width = 0.67 * font.advance;
    set_width_factor(gs, font);
}

// Kind 2: the spacing, and the font file of the definition's text style
// from the settings (the file it has when the key is missing).
void set_spacing(InterpreterContext& ctx, int index, int spacing) {
    GraphicsState& gs = ctx.gs;
    FontDefinition& font = gs.fonts[index];
    font.spacing = spacing;
    TextStyleRecord& record = gs.text_styles.records[index];
    const bool keep_file = index == 1 && gs.romanx_chosen;
    if (!keep_file) {
        const char* key = index == 0 ? (spacing == 0 ? "StdTextFontFixedWidth" : "StdTextFont")
                                     : (spacing == 0 ? "AltTextFontFixedWidth" : "AltTextFont");
        select_section(ctx.profile, "Settings");
        record.font_file = get_string(ctx.profile, key, record.font_file, kFontFileSize);
    }
    if (spacing == 0) apply_pitch(gs, font, font.pitch);
}

// SD (index 0) and AD (index 1): kind/value pairs until none is left.
void define_font(InterpreterContext& ctx, int index) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    FontDefinition& font = gs.fonts[index];
    double kind_value = 0.0;
    std::int32_t kind = 0;
    if (read_number(reader, kind_value, kind) == 0) {
        font = gs.font_starts[index];
        return;
    }
    for (;;) {
        double value = 0.0;
        std::int32_t integer = 0;
        if (read_number(reader, value, integer) == 0) return;
        switch (kind) {
            case 1:
                if (index == 1 && integer == 5) {
                    TextStyleRecord& record = gs.text_styles.records[1];
                    record.font_file = "romanx.shx";
                    record.name = "romanx";
                    gs.romanx_chosen = true;
                }
                break;
            case 2:
                set_spacing(ctx, index, integer);
                break;
            case 3:
                apply_pitch(gs, font, value);
                break;
            case 4:
                font.height = value * kPointHeight;
                font.width = value * kPointWidth;
                font.advance = value * kPointAdvance;
                set_width_factor(gs, font);
                break;
            case 7: {
                const int style = select_typeface_style(ctx, integer);
                if (style >= 0) font.style_index = style;
                break;
            }
            default:
                break;  // posture, stroke weight and the rest
        }
        if (read_number(reader, kind_value, kind) == 0) return;
    }
}

void select_font(InterpreterContext& ctx, int index) {
    ctx.gs.current_font = index;
    if (!ctx.gs.absolute_size_on) apply_font(ctx, index);
}

}  // namespace

void begin_drawing_text_styles(InterpreterContext& ctx) {
    setup_text_styles(ctx);
    GraphicsState& gs = ctx.gs;
    for (int i = 0; i < 2; ++i) {
        gs.fonts[i].style_index = i;
        gs.fonts[i].spacing = gs.text_styles.definition_spacing[i];
    }
}

void apply_font(InterpreterContext& ctx, int index) {
    GraphicsState& gs = ctx.gs;
    const FontDefinition& font = gs.fonts[index];
    const double scale = gs.drawing_factor * 40.0;
    gs.char_height = scale * font.height;
    gs.char_width = scale * font.width;
    // The advance stays as the definition holds it, unconverted.
    gs.char_advance = gs.fonts[gs.current_font].advance;
    set_width_factor(gs, font);
}

void reset_font_size(InterpreterContext& ctx, int index) {
    FontDefinition& font = ctx.gs.fonts[index];
    font.height = ctx.settings.label_height;
    font.width = ctx.settings.label_width;
    font.advance = ctx.settings.label_advance;
    font.base_aspect = font.height / font.width;
    if (!ctx.gs.absolute_size_on) apply_font(ctx, ctx.gs.current_font);
}

void recompute_relative_size(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    FontDefinition& font = gs.fonts[gs.current_font];
    const double ratio = advance_ratio(font);
    font.width = (gs.p2_x - gs.p1_x) * gs.relative_width_percent * 0.01 * gs.drawing_factor;
    font.height = (gs.p2_y - gs.p1_y) * gs.relative_height_percent * 0.01 * gs.drawing_factor;
    font.advance = ratio * font.width;
    apply_font(ctx, gs.current_font);
}

// Reset steps of IN, DF and the first page.

void reset_character_sizes(InterpreterContext& ctx) {
    reset_font_size(ctx, 0);
    reset_font_size(ctx, 1);
}

void clear_relative_size_flags(InterpreterContext& ctx) {
    ctx.gs.relative_size_on = false;
    ctx.gs.absolute_size_on = false;
}

// First page of a file: the label state that later pages keep. The
// absolute-size flag is left alone on purpose: it carries into the next file.
void select_standard_font_set(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    gs.label_direction = 0.0;
    gs.label_offset_x = gs.label_offset_y = 0.0;
    gs.vertical_labels = 0;
    gs.current_font = 0;
    gs.relative_size_on = false;
    gs.romanx_chosen = false;
}

// SI [width, height] in centimetres.
void cmd_si(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 2);
    gs.relative_size_on = false;
    if (count == 0) {
        gs.absolute_size_on = false;
        reset_font_size(ctx, gs.current_font);
    } else if (count == 2) {
        FontDefinition& font = gs.fonts[gs.current_font];
        const double ratio = advance_ratio(font);
        font.width = 10.0 * gs.tokens.values[0];
        font.height = 10.0 * gs.tokens.values[1];
        font.advance = ratio * font.width;
        apply_font(ctx, gs.current_font);
        gs.absolute_size_on = true;
    }
    set_label_origin(gs);
}

// SR [width %, height %].
void cmd_sr(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (read_numbers(gs, 2) == 2) {
        gs.relative_width_percent = gs.tokens.values[0];
        gs.relative_height_percent = gs.tokens.values[1];
    } else {
        gs.relative_width_percent = 0.75;
        gs.relative_height_percent = 1.5;
    }
    gs.relative_size_on = true;
    recompute_relative_size(ctx);
}

void cmd_ss(InterpreterContext& ctx, int) {
    select_font(ctx, 0);
}
void cmd_sa(InterpreterContext& ctx, int) {
    select_font(ctx, 1);
}
void cmd_sd(InterpreterContext& ctx, int) {
    define_font(ctx, 0);
}
void cmd_ad(InterpreterContext& ctx, int) {
    define_font(ctx, 1);
}

}  // namespace penloom
