// The context of one run: it owns every subsystem's state record and is
// passed by reference to whatever needs more than one of them. The program
// makes one in main; tests make a fresh one per case.
#pragma once

#include <string>

#include "construction/drawing_state.h"
#include "construction/output.h"
#include "driver/batch_state.h"
#include "driver/pipeline.h"
#include "driver/profile.h"
#include "driver/settings.h"
#include "interpreter/graphics_state.h"

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
};

}  // namespace penloom
