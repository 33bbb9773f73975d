// Creating and releasing the output drawing, and the database's error
// reports and callback.
#include "construction/drawing_state.h"

#include <cctype>
#include <new>

#include "construction/fatal.h"

namespace penloom {

namespace {

// The end of the run for a database failure that cannot be survived.
[[noreturn]] void fatal_translation_error(Output& out, const DrawingOptions& options, int status) {
    std::string name = options.input_name;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out.print("A fatal translation error occurred for the file '%s'\n", name.c_str());
    out.print("It may be due to a corrupt file (or it may be due something else.)\n");
    throw FatalExit{status};
}

// What the database calls, synchronously, when something goes badly wrong
// while it works: read errors and allocation failures end the run, a full
// disk is reported and work goes on.
void on_database_error(Output& out, const DrawingOptions& options, std::int16_t number) {
    out.print("\n\n");
    switch (number) {
        case 1:
            out.print("File read error:\n");
            fatal_translation_error(out, options, 1);
        case 3:
            out.print("File read error: (disk full?)\n");
            return;
        case 2:
        case 5:
        case 6:
            out.print("Critical error DB error (%s %d), terminating.\n", "alloc error", number);
            fatal_translation_error(out, options, 3);
        default:
            return;
    }
}

}  // namespace

int create_output_drawing(DrawingState& state, Output& out, const Settings& settings,
                          const DrawingOptions& options) {
    if (state.drawing) return 0;
    try {
        state.line_work = std::make_unique<EntityRecords>();
        state.hatch = std::make_unique<EntityRecords>();
    } catch (const std::bad_alloc&) {
        out.print("Error alloc 0\n");
        state.line_work.reset();
        state.hatch.reset();
        return -51;
    }
    std::int16_t error = 0;
    if (!init_library(state.library, settings.data_file_path, error)) {
        out.print("\n\n2:Init ERROR==%s\n", error_message(error).c_str());
        out.print("InitFile==%s\n", settings.data_file_path.c_str());
        state.line_work.reset();
        state.hatch.reset();
        return -52;
    }
    if (!state.callback_installed) {
        // The callback outlives this call: `out` and `options` belong to the
        // run, which outlives every drawing.
        set_error_callback(state.library,
                           [&out, &options](std::int16_t number) { on_database_error(out, options, number); });
        state.callback_installed = true;
    }
    set_library_option(state.library, 0);
    // A drawing that goes through the converter is saved at 2000 whatever
    // release is asked for, so it is made at 2000 too.
    bool at_2000 = options.OutputRelease > version_r14 || options.output_is_dwg;
    state.drawing = create_drawing(state.library, at_2000 ? version_2000 : version_r14);
    if (!state.drawing) {
        close_library(state.library);
        state.line_work.reset();
        state.hatch.reset();
        return -53;
    }
    Drawing& drawing = *state.drawing;
    Handle model{};
    find_block(drawing, "*MODEL_SPACE", model);
    state.model_space = block_entity_list(drawing, model);
    LayerTableRecord first{};
    if (first_layer(drawing) && next_layer(drawing, first) && is_null_handle(state.current_layer))
        state.current_layer = first.handle;
    return 0;
}

void release_output_drawing(DrawingState& state) {
    if (state.drawing) release_drawing(state.drawing);
    state.model_space = nullptr;
    close_library(state.library);
    state.line_work.reset();
    state.hatch.reset();
}

void report_database_error(const DrawingState& state, Output& out, const Settings& settings,
                           int location) {
    std::int16_t number = last_error(state.library);
    out.print("\n");
    if (settings.trace != 0) out.print("%d:", location);
    out.print("Error is %d: %s\n", number, error_message(number).c_str());
}

}  // namespace penloom
