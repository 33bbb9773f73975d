// Save speed of the DXF writer: a drawing of 10,000 LWPOLYLINEs of 100
// vertices each (1,000,000 vertices) saved at 2000 with 6 decimal places,
// five times; prints each run and the median in seconds and MB/s.
//
// Usage: bench_drawing_save [output folder]   (default: the system temp folder)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drawing/drawing.h"

namespace {

using namespace penloom;

std::unique_ptr<Drawing> build(DrawingLibrary& lib) {
    auto d = create_drawing(lib, version_2000);
    Handle model;
    find_block(*d, "*MODEL_SPACE", model);
    EntityList* ms = block_entity_list(*d, model);
    EntityHeader h;
    EntityRecord r;
    std::uint64_t state = 12345;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int p = 0; p < 10000; ++p) {
        h.type = lwpolyline_type(*d);
        init_entity(*d, h, r);
        new_handle(*d, h.handle);
        const BlobId blob = create_blob(*d, 4096);
        BlobWriter w = open_blob_writer(*d, blob);
        for (int v = 0; v < 100; ++v) {
            // Plot coordinates in millimetres: a few hundred, with fractions.
            const double xy[2] = {next() * 1189.0, next() * 841.0};
            blob_write(w, xy, 16);
        }
        close_blob_writer(w);
        r.lwpolyline.vertex_count = 100;
        r.lwpolyline.flags = lwpolyline_translator_mark;
        r.lwpolyline.vertices = blob;
        if (!add_entity(*d, *ms, h, r)) {
            std::fprintf(stderr, "add_entity failed: %d\n", last_error(lib));
            return nullptr;
        }
    }
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const std::string path = folder + "/penloom-bench.dxf";
    DrawingLibrary lib;
    std::int16_t error = 0;
    init_library(lib, "", error);
    auto drawing = build(lib);
    if (!drawing)
        return 1;
    std::vector<double> seconds;
    std::uintmax_t bytes = 0;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (!save_drawing(*drawing, path, file_kind_ascii_dxf, version_2000, false, 6, 1, 0)) {
            std::fprintf(stderr, "save failed: %s\n", error_message(last_error(lib)).c_str());
            return 1;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        bytes = std::filesystem::file_size(path);
        seconds.push_back(took.count());
        std::printf("run %d: %.3f s, %.1f MB/s\n", run + 1, took.count(), bytes / 1e6 / took.count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[2];
    std::printf("1,000,000 vertices, %.1f MB of DXF: median %.3f s, %.1f MB/s\n", bytes / 1e6, median,
                bytes / 1e6 / median);
    std::filesystem::remove(path);
    release_drawing(drawing);
    close_library(lib);
    return 0;
}
