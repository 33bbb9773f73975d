// The DWG writer: appending at any bit, the CRC's known value, the object
// map's order and pages, the errors of a save, and a failed write leaving
// nothing behind. The sample, an empty drawing and thousands of circles are
// kept at 2004, 2000, R14 and R13 with their DXF twins for the read-back by
// LibreDWG and libdxfrw.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "drawing/drawing_fixture.h"
#include "drawing/dwg_writer_internal.h"
#include "drawing/sample_drawing.h"
#include "support/readback.h"

namespace penloom::testing {

namespace {

std::vector<std::uint8_t> bytes_of(const BitWriter& w) {
    return {w.bytes.begin(), w.bytes.end()};
}

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(DwgBits, AWriterAppendsAtAnyBit) {
    BitWriter a, b;
    put_bits(b, 0x2D, 6);
    put_rc(b, 0xA5);
    put_b(a, true);
    put_writer(a, b);
    EXPECT_EQ(bit_size(a), 15u);
    EXPECT_EQ(bytes_of(a), bytes({0xDB, 0x4A}));
    BitWriter c;
    put_bits(c, 0, 3);
    put_rl(c, 0);
    put_b(c, true);
    patch_rl(c, 3, 0x01020304);
    EXPECT_EQ(bit_size(c), 36u);
    EXPECT_EQ(bytes_of(c), bytes({0x00, 0x80, 0x60, 0x40, 0x30}));
}

TEST(DwgBits, CrcIsTheArcCrc) {
    const char* check = "123456789";
    EXPECT_EQ(dwg_crc(reinterpret_cast<const std::uint8_t*>(check), 9, 0), 0xBB3D);
    const std::uint8_t none[1] = {0};
    EXPECT_EQ(dwg_crc(none, 0, dwg_crc_seed), dwg_crc_seed);
}

// ---- whole files ----

struct Reader {
    const std::vector<std::uint8_t>& f;
    std::size_t at;
    unsigned rc() { return f.at(at++); }
    std::int64_t mc() {
        std::int64_t v = 0;
        int shift = 0;
        for (;;) {
            const unsigned b = rc();
            if (b & 0x80) {
                v |= static_cast<std::int64_t>(b & 0x7F) << shift;
                shift += 7;
            } else {
                v |= static_cast<std::int64_t>(b & 0x3F) << shift;
                return (b & 0x40) ? -v : v;
            }
        }
    }
    std::uint32_t ms() {
        std::uint32_t v = 0;
        int shift = 0;
        for (;;) {
            const unsigned w = rc() | (rc() << 8);
            v |= (w & 0x7FFFu) << shift;
            shift += 15;
            if (!(w & 0x8000)) return v;
        }
    }
};

// The DWG releases written from R13 up; R12 has its own writer and tests.
constexpr int kept_versions[] = {version_2004, version_2000, version_r14, version_r13};

class DwgWriterTest : public DrawingTest {
protected:
    // Saves `d` as <readback>/<name>_<release>.dwg with its DXF twin for the
    // read-back by LibreDWG and libdxfrw; a 2004 DWG's twin is the 2000 DXF
    // (the DXF writer stops there), which its sidecar says.
    std::string keep_with_twin(Drawing& d, const std::string& name, int version) {
        const std::string kept = readback_dir("drawing") + name + "_" + version_string(version);
        EXPECT_TRUE(save_drawing(d, kept + ".dwg", file_kind_dwg, version, false, 6))
            << error_message(last_error(lib));
        const int twin = version == version_2004 ? version_2000 : version;
        EXPECT_TRUE(save_drawing(d, kept + ".dxf", file_kind_ascii_dxf, twin, false, 16));
        if (version == version_2004) spill(kept + ".dwg.json", "{\"release\": \"AC1018\"}\n");
        return kept + ".dwg";
    }
};

// The read-back checks each kept drawing's structure and holds it against
// its DXF twin.
TEST_F(DwgWriterTest, TheSampleAndAnEmptyDrawingAtEveryReleaseAreKept) {
    for (int version : kept_versions) {
        SCOPED_TRACE(version);
        const int database = version >= version_2000 ? 7 : 6;
        SampleDrawing sample = build_sample_drawing(lib, database);
        ASSERT_TRUE(sample.drawing);
        keep_with_twin(*sample.drawing, "dwg_writer_sample", version);
        auto d = create_drawing(lib, database);
        ASSERT_TRUE(d);
        keep_with_twin(*d, "dwg_writer_empty", version);
        release_drawing(d);
    }
}

// Thousands of circles in model space and some in paper space: the map
// runs over many pages, offsets and handles grow past one byte's steps; at
// 2004 the object section runs over several compressed pages, far smaller
// than the 2000 file of the same drawing.
TEST_F(DwgWriterTest, ManyEntitiesFillManyMapPages) {
    std::uintmax_t size_2000 = 0;
    for (int version : kept_versions) {
        SCOPED_TRACE(version);
        auto d = create_drawing(lib, version >= version_2000 ? 7 : 6);
        ASSERT_TRUE(d);
        Handle model, paper;
        ASSERT_TRUE(find_block(*d, "*MODEL_SPACE", model));
        ASSERT_TRUE(find_block(*d, "*PAPER_SPACE", paper));
        for (int i = 0; i < 3000; ++i) {
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
        const std::string kept = keep_with_twin(*d, "dwg_writer_circles", version);
        if (version == version_2000) size_2000 = std::filesystem::file_size(kept);
        if (version == version_2004) {
            ASSERT_TRUE(save_drawing(*d, dir + "circles_2000.dwg", file_kind_dwg, version_2000, false, 6));
            EXPECT_LT(std::filesystem::file_size(kept) * 2, std::filesystem::file_size(dir + "circles_2000.dwg"));
        }
        release_drawing(d);
    }
    EXPECT_GT(size_2000, 0u);
}

TEST_F(DwgWriterTest, ReleasesOutsideR12To2004FailWith21) {
    auto d = create_drawing(lib, 7);
    for (int version : {int{version_2007}, 3, 12}) {
        SCOPED_TRACE(version);
        EXPECT_FALSE(save_drawing(*d, dir + "x.dwg", file_kind_dwg, version, false, 6));
        EXPECT_EQ(last_error(lib), 21);
        EXPECT_FALSE(std::filesystem::exists(dir + "x.dwg"));
    }
    auto r14 = create_drawing(lib, 6);
    EXPECT_FALSE(save_drawing(*r14, dir + "x.dwg", file_kind_dwg, version_2000, false, 6));
    EXPECT_EQ(last_error(lib), 306);
}

TEST_F(DwgWriterTest, AFailedWriteLeavesTheOlderFileAndNoTemporary) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    spill(dir + "old.dwg", "older");
    int disk_full = 0;
    set_error_callback(lib,
                       [&](std::int16_t severity) { disk_full += severity == severity_disk_full; });
    for (int version : {version_2000, version_2004})
    for (std::uint64_t limit : {0ull, 100ull, 700ull, 3000ull}) {
        SCOPED_TRACE(limit + 10000 * version);
        lib.write_limit = limit;
        lib.output_buffer = 256;
        EXPECT_FALSE(
            save_drawing(*sample.drawing, dir + "old.dwg", file_kind_dwg, version, false, 6));
        EXPECT_EQ(last_error(lib), 27);
        EXPECT_EQ(slurp(dir + "old.dwg"), "older");
        std::size_t files = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            (void)e;
            ++files;
        }
        EXPECT_EQ(files, 1u);
    }
    EXPECT_EQ(disk_full, 8);
    lib.write_limit = UINT64_MAX;
    EXPECT_TRUE(
        save_drawing(*sample.drawing, dir + "old.dwg", file_kind_dwg, version_2000, false, 6));
}

TEST_F(DwgWriterTest, ASmallOutputBufferWritesTheSameBytes) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    ASSERT_TRUE(
        save_drawing(*sample.drawing, dir + "big.dwg", file_kind_dwg, version_2000, false, 6));
    lib.output_buffer = 256;
    ASSERT_TRUE(
        save_drawing(*sample.drawing, dir + "small.dwg", file_kind_dwg, version_2000, false, 6));
    EXPECT_EQ(slurp(dir + "big.dwg"), slurp(dir + "small.dwg"));
}

}  // namespace

}  // namespace penloom::testing
