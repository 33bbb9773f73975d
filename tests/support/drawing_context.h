// In-memory runs for the interpreter and construction tests: a context
// prepared as the pipeline prepares a first page, with an open drawing, HP-GL
// bytes run through it, and the drawing saved as DXF text.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "construction/drawing_state.h"
#include "construction/layers.h"
#include "construction/linetypes.h"
#include "construction/text_styles.h"
#include "driver/context.h"
#include "driver/plot_stream.h"
#include "interpreter/command_loop.h"
#include "interpreter/fonts.h"
#include "interpreter/page_commands.h"
#include "support/files.h"

namespace penloom::testing {

// A context for a first page with an open drawing. `tune` may change the
// settings and the batch record before the page is prepared.
inline std::unique_ptr<Context> drawing_context(const std::function<void(Context&)>& tune = {}) {
    auto ctx = std::make_unique<Context>();
    ctx->batch.OutputRelease = 7;
    if (tune) tune(*ctx);
    build_layer_table(ctx->interpreter);
    initialize_file_state(ctx->interpreter);
    if (create_output_drawing(ctx->drawing, ctx->out, ctx->settings, ctx->batch) != 0) return nullptr;
    begin_drawing_text_styles(ctx->interpreter);
    begin_drawing_layers(ctx->interpreter);
    begin_drawing_linetypes(ctx->drawing);
    return ctx;
}

// Runs the bytes as one page (the open path is finished at the end).
inline void run_plot(Context& ctx, const std::string& bytes) {
    attach_plot_bytes(ctx.gs.reader, bytes);
    run_plot_stream(ctx.interpreter);
}

// A program folder with its own penloom.ini, removed with the object.
struct LabelSettings {
    std::string folder;
    explicit LabelSettings(const std::string& ini) {
        static int serial = 0;
        folder = ::testing::TempDir() + "label_settings_" + std::to_string(::getpid()) + "_" +
                 std::to_string(++serial) + "/";
        std::filesystem::create_directories(folder);
        spill(folder + "penloom.ini", ini);
    }
    ~LabelSettings() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// A context prepared as the pipeline prepares a first page, with a drawing
// (made at 2000) and its text styles, reading `bytes`. `ini`, when given,
// is the settings file the per-drawing readers see.
inline std::unique_ptr<Context> label_context(const std::string& bytes,
                                              const LabelSettings* ini = nullptr) {
    auto ctx = std::make_unique<Context>();
    if (ini != nullptr) {
        locate_settings_file(ctx->profile, ini->folder);
    }
    ctx->batch.OutputRelease = 7;
    initialize_file_state(ctx->interpreter);
    attach_plot_bytes(ctx->gs.reader, bytes);
    EXPECT_EQ(create_output_drawing(ctx->drawing, ctx->out, ctx->settings, ctx->batch), 0);
    begin_drawing_text_styles(ctx->interpreter);
    begin_drawing_layers(ctx->interpreter);
    return ctx;
}

inline void run_all(Context& ctx) {
    for (int guard = 0; guard < 100000 && !ctx.gs.reader.end_of_input; ++guard)
        run_hpgl_command(ctx.interpreter);
}

inline std::unique_ptr<Context> run_labels(const std::string& bytes,
                                           const LabelSettings* ini = nullptr) {
    auto ctx = label_context(bytes, ini);
    run_all(*ctx);
    return ctx;
}

// The drawing saved as DXF at `version` (6 places), as text.
inline std::string saved_dxf(Context& ctx, int version = 7) {
    const std::string path = ::testing::TempDir() + "labels_" + std::to_string(::getpid()) + ".dxf";
    EXPECT_TRUE(
        save_drawing(*ctx.drawing.drawing, path, file_kind_ascii_dxf, version, false, 6, 1, 0));
    const std::string text = slurp(path);
    std::remove(path.c_str());
    return text;
}

}  // namespace penloom::testing
