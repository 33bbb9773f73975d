// What the interpreter works on: construction's context (the drawing, the
// settings values, the drawing options, the settings file reader, the
// console) and the graphics state, whose construction part and pen table
// are the ones construction sees. Every command handler takes it. The
// driver assembles it from the records it owns.
#pragma once

#include "construction/construction_context.h"
#include "interpreter/graphics_state.h"

namespace penloom {

struct InterpreterContext : ConstructionContext {
    GraphicsState& gs;

    InterpreterContext(GraphicsState& graphics, DrawingState& drawing_state, const Settings& settings_values,
                       const DrawingOptions& drawing_options, ProfileReader& profile_reader, Output& console)
        : ConstructionContext{drawing_state, graphics, graphics.pens, settings_values, drawing_options,
                              profile_reader, console},
          gs(graphics) {}
};

}  // namespace penloom
