// Test support for labels: a context with an open drawing (default units,
// f = 0.025), HP-GL run through the command loop, and the TEXT entities of
// the saved drawing as their DXF groups.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "construction/layers.h"
#include "construction/text_styles.h"
#include "driver/context.h"
#include "interpreter/command_loop.h"
#include "interpreter/page_commands.h"

namespace penloom::testing {

// A program folder with its own penloom.ini, removed with the object.
struct LabelSettings {
    std::string folder;
    explicit LabelSettings(const std::string& ini) {
        static int serial = 0;
        folder = ::testing::TempDir() + "label_settings_" + std::to_string(::getpid()) + "_" +
                 std::to_string(++serial) + "/";
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "penloom.ini") << ini;
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
        ctx->program_folder = ini->folder;
        locate_settings_file(ctx->profile, ini->folder);
    }
    ctx->batch.OutputRelease = 7;
    initialize_file_state(*ctx);
    attach_plot_bytes(ctx->gs.reader, bytes);
    EXPECT_EQ(create_output_drawing(*ctx), 0);
    setup_text_styles(*ctx);
    begin_drawing_layers(*ctx);
    return ctx;
}

inline void run_all(Context& ctx) {
    for (int guard = 0; guard < 100000 && !ctx.gs.reader.end_of_input; ++guard)
        run_hpgl_command(ctx);
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
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path.c_str());
    return text.str();
}

// The groups of every entity of one kind, as "code=value" joined by
// blanks; handles, owners, subclass markers, layers and colours are left
// out.
inline std::vector<std::string> entity_groups(const std::string& dxf, const std::string& kind) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < dxf.size()) {
        std::size_t end = dxf.find("\r\n", at);
        if (end == std::string::npos) end = dxf.size();
        lines.push_back(dxf.substr(at, end - at));
        at = end + 2;
    }
    std::vector<std::string> entities;
    bool in_entities = false;
    bool collecting = false;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::stoi(lines[i]);
        const std::string& value = lines[i + 1];
        if (code == 2 && value == "ENTITIES") in_entities = true;
        if (!in_entities) continue;
        if (code == 0) {
            if (value == "ENDSEC") break;
            collecting = value == kind;
            if (collecting) entities.emplace_back();
            continue;
        }
        if (!collecting) continue;
        if (code == 5 || code == 330 || code == 100 || code == 8 || code == 102 || code == 62)
            continue;
        std::string& e = entities.back();
        if (!e.empty()) e += ' ';
        e += std::to_string(code) + "=" + value;
    }
    return entities;
}

}  // namespace penloom::testing
