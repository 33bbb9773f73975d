// The context of one run: it owns every subsystem's state record. The
// interpreter and construction see only the view `interpreter` assembles
// from them (interpreter/interpreter_context.h); the driver's own parts
// take the records they use. The program makes one in main; tests make a
// fresh one per case.
#pragma once

#include <string>

#include "construction/drawing_state.h"
#include "construction/output.h"
#include "construction/profile.h"
#include "driver/batch_state.h"
#include "driver/pipeline.h"
#include "driver/settings.h"
#include "interpreter/graphics_state.h"
#include "interpreter/interpreter_context.h"

namespace penloom {

struct Context {
    Output out = Output::to_buffer();
    Settings settings;
    BatchState batch;
    GraphicsState gs;

    // Driver state.
    std::string program_folder;  // with its trailing `/`
    ProfileReader profile;       // settings file reader and its parsed copy
    PipelineState pipeline;

    // The drawing being built.
    DrawingState drawing;

    // What the interpreter and construction work on: the records above.
    InterpreterContext interpreter{gs, drawing, settings, batch, profile, out};

    Context() = default;
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
};

}  // namespace penloom
