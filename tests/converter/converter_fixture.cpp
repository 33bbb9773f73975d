// Converter test helpers (see converter_fixture.h).
#include "converter_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "drawing/sample_drawing.h"

namespace penloom::testing {

namespace fs = std::filesystem;

std::string build_dir() { return PENLOOM_TEST_BUILD_DIR; }
std::string relays_dir() { return PENLOOM_TEST_RELAYS_DIR; }

std::string converter_e2e_dir() {
    const char* env = std::getenv("PENLOOM_E2E_DIR");
    std::string dir = env != nullptr && *env != '\0' ? env : "e2e-out/converter";
    fs::create_directories(dir);
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string fresh_dir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("penloom-converter-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool exists(const std::string& path) { return fs::exists(path); }

std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

Groups split_dxf(const std::string& text) {
    Groups groups;
    std::istringstream in(text);
    std::string code, value;
    while (std::getline(in, code) && std::getline(in, value)) {
        if (!code.empty() && code.back() == '\r') code.pop_back();
        if (!value.empty() && value.back() == '\r') value.pop_back();
        groups.emplace_back(std::stoi(code), value);
    }
    return groups;
}

std::vector<std::string> values_of(const Groups& groups, const std::string& record, int code) {
    // A header variable runs from its 9 group to the next 9 or 0 group; a
    // record from its 0 group to the next one.
    const int opening = !record.empty() && record[0] == '$' ? 9 : 0;
    std::vector<std::string> values;
    bool inside = false;
    for (const auto& [c, v] : groups) {
        if (c == 0 || c == opening)
            inside = c == opening && v == record;
        else if (inside && c == code)
            values.push_back(v);
    }
    return values;
}

void write_sidecar(const std::string& dxf_path, const std::string& members) {
    spill(dxf_path.substr(0, dxf_path.size() - 4) + ".expect.json", "{\n" + members + "\n}\n");
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
