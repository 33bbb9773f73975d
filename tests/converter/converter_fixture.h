// Helpers for the converter tests: scratch folders, the plug-in folders, and
// release 2000 DXF drawings made with our own drawing library as the
// plug-in's input.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "drawing/sample_drawing.h"
#include "support/dxf_text.h"
#include "support/files.h"
#include "support/readback.h"

namespace penloom::testing {

// Folder of the stand-in plug-ins ("<dir>/recorder/crdll.so", ...), with a trailing `/`.
inline std::string relays_dir() { return PENLOOM_TEST_RELAYS_DIR; }

// A fresh, empty folder for one test, with a trailing `/`.
inline std::string fresh_dir(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("penloom-converter-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

// Labels in Windows-1252 bytes and the same in UTF-8.
struct Label {
    std::string code_page_bytes;
    std::string utf8;
};
inline const std::vector<Label> sample_labels = {
    {"\xE4\xF6\xFC", "äöü"},
    {"Preis 5\x80 \x89 \x8E\x9A\x9F \xABQ\xBB \xB0\xB5 \x96", "Preis 5€ ‰ ŽšŸ «Q» °µ –"},
};

struct TestDrawing {
    std::map<std::string, int> entity_counts;  // model space, by type
    std::vector<std::string> layers;
};

// Writes a release 2000 DXF: the sample drawing with every entity kind plus
// one TEXT per label (bytes as given), with $DWGCODEPAGE `code_page` (an
// index of the code-page table: 30 is ANSI_1252, 38 ANSI_932) and
// $HYPERLINKBASE `hyperlink`.
inline TestDrawing write_test_drawing(const std::string& path, const std::vector<std::string>& labels,
                                      std::int16_t code_page = 30, const std::string& hyperlink = "") {
    TestDrawing result;
    DrawingLibrary lib;
    std::int16_t error = 0;
    EXPECT_TRUE(init_library(lib, "", error));
    SampleDrawing sample = build_sample_drawing(lib, version_2000);
    if (!sample.drawing || sample.model_space == nullptr) return result;
    Drawing& d = *sample.drawing;
    HeaderRecord header;
    get_header(d, header);
    header.codepage = code_page, header.hyperlinkbase = hyperlink;
    set_header(d, header);
    double y = 100.0;
    for (const std::string& label : labels) {
        EntityHeader h;
        EntityRecord r;
        h.type = entity_text;
        EXPECT_TRUE(init_entity(d, h, r));
        r.text.insert = Point3{0.0, y += 5.0, 0.0}, r.text.height = 2.5, r.text.text = label;
        EXPECT_TRUE(add_entity(d, *sample.model_space, h, r)) << last_error(lib);
    }
    EXPECT_TRUE(save_drawing(d, path, file_kind_ascii_dxf, version_2000, false, 6)) << last_error(lib);
    result.entity_counts = expected_model_space_counts(sample, version_2000);
    result.entity_counts["TEXT"] += static_cast<int>(labels.size());
    LayerTableRecord layer;
    for (first_layer(d); next_layer(d, layer);) result.layers.push_back(layer.name);
    release_drawing(sample.drawing);
    close_library(lib);
    return result;
}

}  // namespace penloom::testing
