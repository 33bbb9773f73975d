// The context of one run: it owns every subsystem's state record and is
// passed by reference to whatever needs more than one of them. The program
// makes one in main; tests make a fresh one per case.
#pragma once

#include "driver/batch_state.h"
#include "driver/output.h"
#include "driver/settings.h"
#include "interpreter/graphics_state.h"

namespace penloom {

struct Context {
    Output out = Output::to_buffer();
    Settings settings;
    BatchState batch;
    GraphicsState gs;
};

}  // namespace penloom
