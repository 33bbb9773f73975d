// Character sizes and the two HP-GL font definitions (standard and
// alternate): SI, SR, SS, SA, SD and AD. In: the definitions, P1/P2 for
// relative sizes, the settings for font files. Out: the current height,
// width, advance and width factor that labels are made with.
#pragma once

namespace penloom {

struct InterpreterContext;

struct FontDefinition {
    int style_index = 0;    // into the TextStyleTable
    int spacing = 0;        // 0 fixed, 1 proportional
    double height = 2.84;   // millimetres
    double width = 2.03;    // millimetres
    double advance = 2.82;  // millimetres, one character cell to the next
    double reserved = 1.0;  // kept with the definition, read by nothing
    double pitch = 9.0;     // characters per inch
    double width_multiplier = 1.0;
    double base_aspect = 2.84 / 2.03;  // height / width of the default size
};

constexpr FontDefinition standard_font_start() {
    return FontDefinition{};
}
constexpr FontDefinition alternate_font_start() {
    FontDefinition font;
    font.style_index = 1;
    return font;
}

// A new drawing's text styles: the table set up from the settings
// (setup_text_styles), and each font definition given its own style record
// (0 standard, 1 alternate) and the spacing of its typeface.
void begin_drawing_text_styles(InterpreterContext& ctx);

// Current height and width from definition i (times the drawing factor and
// 40), current advance from the current font's definition as stored, and
// the width factor base aspect x multiplier / (height / width).
void apply_font(InterpreterContext& ctx, int index);

// Definition i back to the default size; applied unless SI's absolute size
// is in force.
void reset_font_size(InterpreterContext& ctx, int index);

// SR sizing: the current definition's width and height from the P1-P2
// distances and the relative percentages, its advance scaled with the
// width, then applied. IP calls it when relative_size_on is set.
void recompute_relative_size(InterpreterContext& ctx);

}  // namespace penloom
