// Helpers for the drawing tests: a library and an empty scratch folder per
// test, a drawing's model space, saving to text, and DXF text written as a
// compact group list.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "drawing/drawing.h"
#include "support/files.h"
#include "support/readback.h"

namespace penloom::testing {

// "code value|code value|..." as DXF text: codes right-aligned in three
// columns, each value exactly as written after its one blank, so
// "370     35" is code 370 with the value "    35".
inline std::string dxf(const std::string& compact) {
    std::string out;
    for (std::size_t at = 0, end; at < compact.size(); at = end + 1) {
        end = std::min(compact.find('|', at), compact.size());
        const std::string group = compact.substr(at, end - at);
        const std::size_t blank = group.find(' ');
        out += std::string(3 - blank, ' ') + group.substr(0, blank) + "\r\n";
        out += group.substr(blank + 1) + "\r\n";
    }
    return out;
}

inline std::string hex(const Handle& h) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(handle_value(h)));
    return text;
}

inline EntityList* model_space(Drawing& d) {
    Handle model;
    EXPECT_TRUE(find_block(d, "*MODEL_SPACE", model));
    return block_entity_list(d, model);
}

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::int16_t error = -1;
        ASSERT_TRUE(init_library(lib, "/nonexistent/penloom.dat", error));  // no data file is fine
        EXPECT_EQ(error, 0);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = std::filesystem::temp_directory_path().string() + "/penloom-drawing-" +
              std::to_string(::getpid()) + "-" + test + "/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        close_library(lib);
        std::filesystem::remove_all(dir);
    }
    // Saves as ASCII DXF at dir + name and returns the text.
    std::string save_text(Drawing& d, int version, int places = 6, const std::string& name = "out.dxf") {
        EXPECT_TRUE(save_drawing(d, dir + name, file_kind_ascii_dxf, version, false, places, 1, 0))
            << error_message(last_error(lib));
        return slurp(dir + name);
    }

    DrawingLibrary lib;
    std::string dir;  // with a trailing `/`
};

}  // namespace penloom::testing
