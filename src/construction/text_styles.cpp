// The text style table of the current drawing and the styles it makes in
// the drawing. Styles in the drawing always have width factor 1.0: the
// label's factor travels with each TEXT entity.
#include "construction/text_styles.h"

#include <cctype>
#include <string_view>

#include "construction/ascii_case.h"
#include "construction/construction_context.h"

namespace penloom {

namespace {

constexpr std::size_t kStyleNameSize = 256;
constexpr std::size_t kFontFileSize = 260;

// Font file of typeface n from [MapTypefaceToFont].
std::string typeface_font(ProfileReader& profile, int typeface) {
    select_section(profile, "MapTypefaceToFont");
    return get_string_indexed(profile, typeface, "txt", kFontFileSize);
}

// Fills record `index` for one of the two font definitions. Typefaces 48
// to 50 are the fixed-pitch ones.
void setup_definition_style(ConstructionContext& ctx, int index, const char* name_key, const char* typeface_key,
                            const char* default_name) {
    ProfileReader& profile = ctx.profile;
    select_section(profile, "Settings");
    TextStyleRecord& record = ctx.state.text_styles.records[index];
    record.name = get_string(profile, name_key, default_name, kStyleNameSize);
    const int typeface = get_int(profile, typeface_key, 48);
    ctx.state.text_styles.definition_spacing[index] = typeface >= 48 && typeface <= 50 ? 0 : 1;
    record.font_file = typeface_font(profile, typeface);
}

}  // namespace

double text_style_height(const ConstructionContext& ctx) {
    return ctx.settings.unit_factor == 1.0 ? 3.75 : 0.15;
}

int setup_text_styles(ConstructionContext& ctx) {
    TextStyleTable& table = ctx.state.text_styles;
    table.standard_pending = true;
    for (TextStyleRecord& record : table.records) record = TextStyleRecord{};
    setup_definition_style(ctx, 0, "StdTextStyle", "idxStdTextFont", "STANDARD");
    setup_definition_style(ctx, 1, "AltTextStyle", "idxAltTextFont", "STD_1");
    if (equals_nocase(table.records[0].name, "STANDARD")) {
        table.records[0].standard = 1;
        table.count = 2;
    } else if (equals_nocase(table.records[1].name, "STANDARD")) {
        table.records[1].standard = 1;
        table.count = 2;
    } else {
        TextStyleRecord& standard = table.records[2];
        standard.name = "STANDARD";
        standard.font_file = "txt";
        standard.width_factor = 1.0;
        standard.standard = 1;
        table.count = 3;
    }
    return table.count;
}

int select_typeface_style(ConstructionContext& ctx, int typeface) {
    ProfileReader& profile = ctx.profile;
    TextStyleTable& table = ctx.state.text_styles;
    select_section(profile, "Stylename");
    const std::string name = get_string_indexed(
        profile, typeface, "HP_STYLE_" + std::to_string(typeface), kStyleNameSize);
    for (int i = 0; i < table.count; ++i)
        if (equals_nocase(table.records[i].name, name)) return i;
    if (table.count >= kTextStyleCapacity) return -1;
    TextStyleRecord& record = table.records[table.count];
    record = TextStyleRecord{};
    record.name = name;
    record.font_file = typeface_font(profile, typeface);
    return table.count++;
}

void ensure_text_style(ConstructionContext& ctx, int index) {
    TextStyleTable& table = ctx.state.text_styles;
    if (index < 0 || index >= kTextStyleCapacity || !ctx.drawing.drawing) return;
    TextStyleRecord& record = table.records[index];
    if (!is_null_handle(record.handle)) return;
    Drawing& drawing = *ctx.drawing.drawing;
    const double height = text_style_height(ctx);

    if (!find_text_style(drawing, record.name, record.handle)) {
        TextStyleTableRecord style;
        init_text_style_record(style);
        style.name = record.name;
        style.font_file = record.font_file;
        style.fixed_height = height;
        style.width_factor = 1.0;
        style.last_height = height;
        new_handle(drawing, style.handle);
        if (!add_text_style(drawing, style)) {
            report_database_error(ctx.drawing, ctx.out, ctx.settings, 41);
            record.handle = Handle{};
            return;
        }
        record.handle = style.handle;
        return;
    }

    if (!table.standard_pending || !equals_nocase(record.name, "STANDARD")) return;
    TextStyleTableRecord style;
    if (!first_text_style(drawing)) return;
    while (next_text_style(drawing, style)) {
        if (style.handle != record.handle) continue;
        style.fixed_height = height;
        style.last_height = height;
        style.width_factor = 1.0;
        style.font_file = record.font_file;
        if (!update_text_style(drawing, style)) report_database_error(ctx.drawing, ctx.out, ctx.settings, 42);
        table.standard_pending = false;
        return;
    }
}

}  // namespace penloom
