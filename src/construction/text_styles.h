// Text styles for labels: the table of styles labels may use (standard,
// alternate, one per selected HP-GL typeface, and the drawing's STANDARD),
// rebuilt for every drawing from the settings, and the making of each style
// in the drawing the first time a TEXT entity uses it.
#pragma once

#include <string>

#include "drawing/records.h"

namespace penloom {

struct ConstructionContext;

struct TextStyleRecord {
    std::string name;       // style name in the drawing
    std::string font_file;  // shape font, written into the style unchanged
    double width_factor = 1.0;
    Handle handle{};   // the style's handle once made or found in the drawing
    int standard = 0;  // 1: this record is the drawing's "STANDARD" style
};

// ORDER TEXTSTYLES: record 0 standard font, 1 alternate font, then
// typeface selections (and "STANDARD" when neither of the first two is it).
inline constexpr int kTextStyleCapacity = 10;

struct TextStyleTable {
    TextStyleRecord records[kTextStyleCapacity];
    int count = 0;
    bool standard_pending = false;  // the drawing's STANDARD style is not yet brought up to date
    // Spacing of the standard and alternate font definitions, from their
    // typefaces (0 fixed, 1 proportional); record 0 and 1 are their styles.
    int definition_spacing[2] = {0, 0};
};

// Rebuilds the table for a new drawing from the settings (StdTextStyle,
// AltTextStyle, idxStdTextFont, idxAltTextFont, MapTypefaceToFont),
// with the spacing of both font definitions (begin_drawing_text_styles
// hands it to them). Returns the count:
// 2 when record 0 or 1 is named "STANDARD", else 3 (record 2 is made
// "STANDARD").
int setup_text_styles(ConstructionContext& ctx);

// The record index for HP-GL typeface n: the record named by the Stylename
// entry n ("HP_STYLE_n" by default), made when no record has that name.
// Returns -1 when the table is full: the caller keeps the style it has.
int select_typeface_style(ConstructionContext& ctx, int typeface);

// Makes sure record i has its style in the drawing: found by name, or made
// with the fixed height of the output unit. The first time the drawing's
// own STANDARD style is found it is brought up to date (height, width
// factor 1, the record's font file). Out-of-range indices do nothing.
void ensure_text_style(ConstructionContext& ctx, int index);

// Fixed and last height of new styles: 3.75 for millimetres, 0.15 for
// every other output unit.
double text_style_height(const ConstructionContext& ctx);

}  // namespace penloom
