// The drawing being built: the database library state, the one open
// `Drawing`, its model-space entity list and the reusable entity records
// that carry every entity into it. Lives in the run's context; a drawing
// exists from create_output_drawing to release_output_drawing.
#pragma once

#include <memory>

#include "construction/layers.h"
#include "construction/linetypes.h"
#include "drawing/drawing.h"

#include "construction/drawing_options.h"
#include "construction/output.h"
#include "construction/settings_values.h"

namespace penloom {

// The two reusable records an entity is built in.
struct EntityRecords {
    EntityHeader header;
    EntityRecord record;
};

struct DrawingState {
    DrawingLibrary library;
    bool callback_installed = false;      // the error callback is set once per run
    std::unique_ptr<Drawing> drawing;     // the open drawing, or none
    EntityList* model_space = nullptr;    // entity list of "*MODEL_SPACE"
    std::unique_ptr<EntityRecords> line_work;  // lines, arcs, circles, text
    std::unique_ptr<EntityRecords> hatch;      // the HATCH being built
    Handle current_layer{};               // handle of the layer new entities go on
    LayerTable layers;                    // one layer per pen, built for every drawing
    LinetypeList linetypes;               // linetypes of this drawing; 0 is CONTINUOUS
};

// Creates the drawing of one output page: entity records, library, error
// callback (first time only), the drawing at version 6 or 7, the model-space
// list and the default layer. Returns 0, or -51 (records), -52 (library,
// with its messages) or -53 (drawing); on failure nothing stays open.
// Messages go to `out`; the database's fatal errors name the input of
// `options` as it is when they happen.
[[nodiscard]] int create_output_drawing(DrawingState& state, Output& out, const Settings& settings,
                                        const DrawingOptions& options);

// Releases the drawing (when there is one), closes the library and frees the
// entity records.
void release_output_drawing(DrawingState& state);

// Reports the library's last error: "\n", the location code when the
// `trace` setting is on, then "Error is %d: %s\n".
void report_database_error(const DrawingState& state, Output& out, const Settings& settings,
                           int location);

}  // namespace penloom
