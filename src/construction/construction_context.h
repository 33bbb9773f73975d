// What drawing construction works on: the open drawing and its tables, the
// attributes that new entities take, the pen table, the settings values and
// drawing options it reads, the settings file reader and the console.
// Records are held by reference; the driver owns them. The interpreter's
// own context extends this one, so that its handlers can hand themselves
// to construction.
#pragma once

#include "construction/drawing_options.h"
#include "construction/drawing_state.h"
#include "construction/extents.h"
#include "construction/fill_patterns.h"
#include "construction/output.h"
#include "construction/pen_table.h"
#include "construction/polygon_buffer.h"
#include "construction/profile.h"
#include "construction/settings_values.h"
#include "construction/text_styles.h"

namespace penloom {

// The part of the graphics state that construction reads and keeps: the
// current pen's attributes, the drawing's extents, the polygon buffer and
// fill state, and the text styles of the drawing.
struct ConstructionState {
    int current_colour = 7;      // colour number of new entities
    double current_width = 0.35; // millimetres
    int current_lineweight = 35; // hundredths of a millimetre
    int current_linetype = -1;   // index into the drawing's linetype list; -1 none
    DrawingExtents extents;      // drawing units
    PolygonState polygons;       // polygon buffer and polygon-mode flags
    FillState fill;              // FT and RF state, pattern lists
    TextStyleTable text_styles;  // rebuilt for every drawing
};

struct ConstructionContext {
    DrawingState& drawing;
    ConstructionState& state;
    PenTable& pens;
    const Settings& settings;
    const DrawingOptions& options;
    ProfileReader& profile;
    Output& out;
};

}  // namespace penloom
