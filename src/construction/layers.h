// Layers: one layer per pen. The table is built for every drawing from the
// settings (prefix, three-digit numbers, names from [HPGLLayers], colour
// numbers instead of pen numbers); a layer reaches the drawing only when a
// pen selection or an entity first needs it, and the used ones are written
// to the layer table when the drawing is finished.
#pragma once

#include <array>
#include <string>

#include "drawing/records.h"

namespace penloom {

struct ConstructionContext;
struct DrawingState;  // drawing_state.h, which holds the table

// Records 0 to 255; record 0 is numbered 252 in its name.
inline constexpr int kLayerCount = 256;

struct LayerRecord {
    std::string name;
    int colour = 7;  // colour number of the layer
    bool named_from_settings = false;
    bool used = false;  // made in the drawing
    Handle handle{};    // taken when it is made
};

struct LayerTable {
    std::array<LayerRecord, kLayerCount> records{};
    int current = 1;  // record of the current layer
    std::string current_name = "LAY000";
    bool layer_made = false;  // some layer was made in this drawing
};

// Builds the table for the next drawing: names and colours of all records,
// nothing used, current layer record 1. Also forgets the current layer
// handle, which belonged to the last drawing.
void build_layer_table(ConstructionContext& ctx);

// Makes layer record `record` for pen (or colour) number `pen` when it is
// not made yet: colour from the pen's default (7 under mono), the name from
// the colour under `LayerNameFromOutputPen` when no used layer has it, and a
// new handle, which also becomes the current layer handle. A pen number
// outside 1..255 leaves name and colour as built.
void make_layer(ConstructionContext& ctx, int record, int pen);

// SP's layer step: the pen's record becomes the current layer (made on
// first use) and its handle the current layer handle.
void select_pen_layer(ConstructionContext& ctx, int pen);

// begin_entity's first step: when no layer has been made in this drawing,
// makes the current layer record, with the entity's colour standing for
// the pen number.
void make_current_layer_if_none(ConstructionContext& ctx, int colour);

// The colour an entity gets for a pen colour: 7 under mono, then 256
// (BYLAYER) under `PenByLayer` when it equals the current layer's colour.
// Negative colours are returned unchanged.
int entity_colour(const ConstructionContext& ctx, int colour);

// Writes every used layer into the drawing of `state`, in record order
// (colour 7 under mono).
void add_used_layers(DrawingState& state, bool mono);

// The generated name of a layer number: `LayerPrefix` and the number, three
// digits under `LayersLeading0`; "0" becomes "0_".
std::string layer_number_name(const ConstructionContext& ctx, int number);

// R14 and below: upper case, at most 31 characters, spaces as "_".
void clean_layer_name(std::string& name);

// After a new drawing exists: its first layer ("0") is the current layer
// handle until a pen layer is made; a table left over from another
// drawing is rebuilt.
void begin_drawing_layers(ConstructionContext& ctx);

}  // namespace penloom
