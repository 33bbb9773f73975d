// The 2004 DWG save end to end: the sample drawing, an empty drawing and
// thousands of circles saved at 2004 (a 2000 drawing written in the paged
// layout), each taken apart by the R2004 structure checker when python3 is
// there, and kept with the 2000 DXF of the same drawing for the read-back by
// LibreDWG and libdxfrw (the DXF writer stops at 2000; the contents are the
// same). A failed write leaves no file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "drawing/drawing_fixture.h"
#include "drawing/sample_drawing.h"
#include "support/readback.h"

namespace penloom::testing {

namespace {

// 0 when the checker accepts the file, -1 without python3.
int check_r2004(const std::string& path) {
    if (std::system("python3 -c 1 >/dev/null 2>&1") != 0) return -1;
    std::string here = __FILE__;
    here = here.substr(0, here.rfind('/'));
    return std::system(
        ("python3 " + here + "/../dwg/dwg_check_r2004.py " + path + " >/dev/null").c_str());
}

// The twin is the 2000 DXF: the read-back is told which release to expect.
void keep_twin(const std::string& kept) {
    spill(kept + ".dwg.json", "{\"release\": \"AC1018\"}\n");
}

std::string magic_of(const std::string& path) {
    const std::string text = slurp(path);
    return text.substr(0, 6);
}

class DwgR2004WriterTest : public DrawingTest {};

}  // namespace

TEST_F(DwgR2004WriterTest, TheSampleIsWholeAndKept) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    ASSERT_TRUE(sample.drawing);
    const std::string kept = readback_dir("drawing") + "dwg_r2004_sample_AC1018";
    ASSERT_TRUE(save_drawing(*sample.drawing, kept + ".dwg", file_kind_dwg, version_2004, false, 6))
        << error_message(last_error(lib));
    ASSERT_TRUE(
        save_drawing(*sample.drawing, kept + ".dxf", file_kind_ascii_dxf, version_2000, false, 16));
    keep_twin(kept);
    EXPECT_EQ(magic_of(kept + ".dwg"), "AC1018");
    const int status = check_r2004(kept + ".dwg");
    if (status != -1) {
        EXPECT_EQ(status, 0);
    }
}

TEST_F(DwgR2004WriterTest, AnEmptyDrawingIsWholeAndKept) {
    auto d = create_drawing(lib, 7);
    ASSERT_TRUE(d);
    const std::string kept = readback_dir("drawing") + "dwg_r2004_empty_AC1018";
    ASSERT_TRUE(save_drawing(*d, kept + ".dwg", file_kind_dwg, version_2004, false, 6));
    ASSERT_TRUE(save_drawing(*d, kept + ".dxf", file_kind_ascii_dxf, version_2000, false, 16));
    keep_twin(kept);
    const int status = check_r2004(kept + ".dwg");
    if (status != -1) {
        EXPECT_EQ(status, 0);
    }
    release_drawing(d);
}

// Many circles: the object section runs over several pages, the model
// space's BLOCK_HEADER lists thousands of entities.
TEST_F(DwgR2004WriterTest, ManyEntitiesFillManyPages) {
    auto d = create_drawing(lib, 7);
    ASSERT_TRUE(d);
    Handle model, paper;
    ASSERT_TRUE(find_block(*d, "*MODEL_SPACE", model));
    ASSERT_TRUE(find_block(*d, "*PAPER_SPACE", paper));
    for (int i = 0; i < 6000; ++i) {
        EntityHeader h;
        EntityRecord r;
        h.type = entity_circle;
        ASSERT_TRUE(init_entity(*d, h, r));
        new_handle(*d, h.handle);
        h.layer = d->layers.records.front().handle;
        const bool in_paper = i % 100 == 7;
        if (in_paper) h.flags |= entity_flag_paper_space;
        r.circle.center = Point3{i * 1.5, i * -0.25, 0.0};
        r.circle.radius = 1.0 + i;
        ASSERT_TRUE(add_entity(*d, *block_entity_list(*d, in_paper ? paper : model), h, r));
    }
    const std::string kept = readback_dir("drawing") + "dwg_r2004_circles_AC1018";
    ASSERT_TRUE(save_drawing(*d, kept + ".dwg", file_kind_dwg, version_2004, false, 6));
    ASSERT_TRUE(save_drawing(*d, kept + ".dxf", file_kind_ascii_dxf, version_2000, false, 16));
    keep_twin(kept);
    // Compressed: far smaller than the 2000 file of the same drawing.
    ASSERT_TRUE(save_drawing(*d, dir + "circles_2000.dwg", file_kind_dwg, version_2000, false, 6));
    EXPECT_LT(std::filesystem::file_size(kept + ".dwg") * 2,
              std::filesystem::file_size(dir + "circles_2000.dwg"));
    const int status = check_r2004(kept + ".dwg");
    if (status != -1) {
        EXPECT_EQ(status, 0);
    }
    release_drawing(d);
}

TEST_F(DwgR2004WriterTest, AFailedWriteLeavesNoFile) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    ASSERT_TRUE(sample.drawing);
    for (std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{200}, std::uint64_t{3000}}) {
        SCOPED_TRACE(limit);
        lib.write_limit = limit;
        EXPECT_FALSE(
            save_drawing(*sample.drawing, dir + "cut.dwg", file_kind_dwg, version_2004, false, 6));
        EXPECT_FALSE(std::filesystem::exists(dir + "cut.dwg"));
    }
    lib.write_limit = UINT64_MAX;
    EXPECT_TRUE(
        save_drawing(*sample.drawing, dir + "whole.dwg", file_kind_dwg, version_2004, false, 6));
}

}  // namespace penloom::testing
