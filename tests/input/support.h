// Test helpers shared by the input and interpreter suites: a fresh context
// reading bytes from memory, and temporary files.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "driver/context.h"
#include "input/reader.h"
#include "interpreter/page_commands.h"
#include "support/files.h"

namespace penloom::testing {

// A context prepared for a first page, reading `bytes`, with one drawing
// unit per plotter unit so points read back as written.
inline std::unique_ptr<Context> context_reading(std::string_view bytes) {
    auto ctx = std::make_unique<Context>();
    ctx->settings.drawing_scale = 1.0;
    initialize_file_state(ctx->interpreter);
    attach_plot_bytes(ctx->gs.reader, bytes);
    return ctx;
}

// Everything next_byte still delivers, up to the end of the input.
inline std::string rest_of_input(ReaderState& reader) {
    std::string text;
    for (int c = next_byte(reader); c != kEndOfInput; c = next_byte(reader))
        text.push_back(static_cast<char>(c));
    return text;
}

// A file in the temporary folder, removed with the object.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& name, std::string_view contents = {})
        : path(::testing::TempDir() + name + "." + std::to_string(::getpid())) {
        spill(path, std::string(contents));
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string read() const { return slurp(path); }
};

}  // namespace penloom::testing
