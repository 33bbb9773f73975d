// Converter test helpers (see converter_fixture.h).
#include "converter_fixture.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "drawing/sample_drawing.h"

namespace penloom::testing {

namespace fs = std::filesystem;

std::string build_dir() { return PENLOOM_TEST_BUILD_DIR; }
std::string relays_dir() { return PENLOOM_TEST_RELAYS_DIR; }

std::string fresh_dir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("penloom-converter-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

const std::vector<Label> sample_labels = {
    {"\xE4\xF6\xFC", "äöü"},
    {"Preis 5\x80 \x89 \x8E\x9A\x9F", "Preis 5€ ‰ ŽšŸ"},
    {"\xABQuote\xBB \xB0\xB1\xB5 \x96\x97", "«Quote» °±µ –—"},
    {"plain ASCII", "plain ASCII"},
};

namespace {

int code_page_index(const std::string& name) {
    for (int i = 0; codepage_name(i) != nullptr; ++i) {
        std::string candidate = codepage_name(i);
        std::transform(candidate.begin(), candidate.end(), candidate.begin(), ::toupper);
        if (candidate == name) return i;
    }
    ADD_FAILURE() << "no code page " << name;
    return 30;
}

}  // namespace

TestDrawing write_test_drawing(const std::string& path, const std::vector<std::string>& labels,
                               const std::string& code_page, const std::string& hyperlink) {
    TestDrawing result;
    DrawingLibrary lib;
    std::int16_t error = 0;
    EXPECT_TRUE(init_library(lib, "", error));
    SampleDrawing sample = build_sample_drawing(lib, version_2000);
    if (!sample.drawing || sample.model_space == nullptr) return result;
    Drawing& d = *sample.drawing;

    HeaderRecord header;
    get_header(d, header);
    header.codepage = static_cast<std::int16_t>(code_page_index(code_page));
    header.hyperlinkbase = hyperlink;
    set_header(d, header);

    Handle layer0{};
    EXPECT_TRUE(find_layer(d, "0", layer0));
    double y = 100.0;
    for (const std::string& label : labels) {
        EntityHeader h;
        EntityRecord r;
        h.type = entity_text;
        EXPECT_TRUE(init_entity(d, h, r));
        new_handle(d, h.handle);
        h.layer = layer0;
        r.text.insert = Point3{0.0, y, 0.0};
        r.text.height = 2.5;
        r.text.text = label;
        EXPECT_TRUE(add_entity(d, *sample.model_space, h, r)) << last_error(lib);
        y += 5.0;
    }
    EXPECT_TRUE(save_drawing(d, path, file_kind_ascii_dxf, version_2000, false, 6)) << last_error(lib);

    result.entity_counts = expected_model_space_counts(sample, version_2000);
    result.entity_counts["TEXT"] += static_cast<int>(labels.size());
    if (first_layer(d)) {
        LayerTableRecord layer;
        while (next_layer(d, layer)) result.layers.push_back(layer.name);
    }
    release_drawing(sample.drawing);
    close_library(lib);
    return result;
}

std::string json_string(const std::string& utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string json_counts(const std::map<std::string, int>& counts) {
    std::string out = "{";
    for (const auto& [name, count] : counts) {
        if (out.size() > 1) out += ", ";
        out += json_string(name) + ": " + std::to_string(count);
    }
    return out + "}";
}

}  // namespace penloom::testing
