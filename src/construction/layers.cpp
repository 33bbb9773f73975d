// Layers: the per-pen layer table, its naming from the settings, making a
// layer in the drawing on first use, entity colours against the current
// layer, and writing the used layers when the drawing is finished.
#include "construction/layers.h"

#include <cctype>
#include <cstdio>

#include "construction/ascii_case.h"
#include "construction/construction_context.h"

namespace penloom {

namespace {

// Record 0 carries the number 252 in its name (pen 0 has no number of its
// own on a plotter's carousel).
constexpr int kRecordZeroNumber = 252;

int name_limit(const ConstructionContext& ctx) {
    return ctx.options.OutputRelease < version_r14 ? 31 : 255;
}

bool cleans_names(const ConstructionContext& ctx) {
    return ctx.options.OutputRelease <= version_r14;
}

// The layer colour of a pen: its default colour.
int pen_layer_colour(const ConstructionContext& ctx, int pen) {
    if (pen < 0 || pen >= kPenTableSize) return 7;
    return ctx.pens.table[static_cast<std::size_t>(pen)].default_colour;
}

bool valid_record(int record) {
    return record >= 0 && record < kLayerCount;
}

LayerRecord& record_at(ConstructionContext& ctx, int record) {
    return ctx.drawing.layers.records[static_cast<std::size_t>(record)];
}

bool used_name_exists(const LayerTable& table, const std::string& name) {
    for (const LayerRecord& r : table.records)
        if (r.used && equals_nocase(r.name, name)) return true;
    return false;
}

}  // namespace

std::string layer_number_name(const ConstructionContext& ctx, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, ctx.settings.LayersLeading0 != 0 ? "%03d" : "%d", number);
    std::string name = ctx.settings.LayerPrefix + digits;
    return name == "0" ? "0_" : name;
}

void clean_layer_name(std::string& name) {
    if (name.size() > 31) name.resize(31);
    for (char& c : name)
        c = c == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void build_layer_table(ConstructionContext& ctx) {
    LayerTable& table = ctx.drawing.layers;
    // The colours are the pens' defaults as the settings file gives them now.
    load_pen_defaults(ctx.pens, ctx.profile);
    table.layer_made = false;
    const int limit = name_limit(ctx);
    const bool from_settings = ctx.settings.HPGLLayers != 0;
    if (from_settings) select_profile(ctx.profile, ctx.profile.settings_file, "HPGLLayers");
    for (int i = 0; i < kLayerCount; ++i) {
        LayerRecord& record = record_at(ctx, i);
        record = LayerRecord{};
        int number_source = i == 0 ? kRecordZeroNumber : i;
        int colour = pen_layer_colour(ctx, number_source);
        record.name = layer_number_name(
            ctx, ctx.settings.LayerNameFromOutputPen != 0 ? colour : number_source);
        if (from_settings) {
            std::string given =
                get_string_indexed(ctx.profile, i, "", static_cast<size_t>(limit) + 1);
            if (!given.empty()) {
                record.name = given;
                record.named_from_settings = true;
            }
        }
        if (cleans_names(ctx)) clean_layer_name(record.name);
        record.colour = colour;
    }
    table.current = 1;
    table.current_name = table.records[1].name;
    ctx.drawing.current_layer = Handle{};
}

void make_layer(ConstructionContext& ctx, int record_index, int pen) {
    if (!valid_record(record_index)) return;
    LayerTable& table = ctx.drawing.layers;
    LayerRecord& record = record_at(ctx, record_index);
    if (record.used) return;
    int colour = ctx.options.mono ? 7 : pen_layer_colour(ctx, pen);
    if (pen >= 1 && pen <= 255) {
        record.colour = colour;
        if (ctx.settings.LayerNameFromOutputPen != 0 && !record.named_from_settings) {
            std::string candidate = layer_number_name(ctx, colour);
            // Kept valid for the older releases like every generated name.
            if (cleans_names(ctx)) clean_layer_name(candidate);
            if (!used_name_exists(table, candidate)) record.name = candidate;
        }
    }
    if (ctx.drawing.drawing) new_handle(*ctx.drawing.drawing, record.handle);
    ctx.drawing.current_layer = record.handle;
    record.used = true;
    table.layer_made = true;
    if (record_index == table.current) table.current_name = record.name;
}

void select_pen_layer(ConstructionContext& ctx, int pen) {
    if (!valid_record(pen)) return;
    LayerTable& table = ctx.drawing.layers;
    table.current = pen;
    LayerRecord& record = record_at(ctx, pen);
    if (!record.used) make_layer(ctx, pen, pen);
    table.current_name = record.name;
    ctx.drawing.current_layer = record.handle;
}

void make_current_layer_if_none(ConstructionContext& ctx, int colour) {
    LayerTable& table = ctx.drawing.layers;
    if (table.layer_made) return;
    make_layer(ctx, table.current, colour);
}

int entity_colour(const ConstructionContext& ctx, int colour) {
    if (colour < 0) return colour;
    if (ctx.options.mono) colour = 7;
    const LayerTable& table = ctx.drawing.layers;
    if (ctx.settings.PenByLayer != 0 && valid_record(table.current) &&
        colour == table.records[static_cast<std::size_t>(table.current)].colour)
        colour = 256;
    return colour;
}

void add_used_layers(DrawingState& state, bool mono) {
    if (!state.drawing) return;
    Drawing& drawing = *state.drawing;
    for (const LayerRecord& record : state.layers.records) {
        if (!record.used) continue;
        LayerTableRecord layer;
        init_layer_record(drawing, layer);
        layer.name = record.name;
        layer.color = static_cast<std::int16_t>(mono ? 7 : record.colour);
        layer.handle = record.handle;
        add_layer(drawing, layer);
    }
}

void begin_drawing_layers(ConstructionContext& ctx) {
    DrawingState& state = ctx.drawing;
    // Nothing can have been made in a drawing that was only just created.
    if (state.layers.layer_made) build_layer_table(ctx);
    state.current_layer = Handle{};
    if (!state.drawing) return;
    LayerTableRecord first;
    if (first_layer(*state.drawing) && next_layer(*state.drawing, first))
        state.current_layer = first.handle;
}

}  // namespace penloom
