// The drawing database: library and drawing lifetime, handles, the entity and
// blob checks with their error numbers, tables, error messages and code pages.
#include <cstdint>
#include <string>

#include "drawing_fixture.h"
#include "sample_drawing.h"

namespace penloom::testing {
namespace {

TEST_F(DrawingTest, LibraryAndDrawingLifetime) {
    DrawingLibrary fresh;
    EXPECT_FALSE(create_drawing(fresh, 7));
    EXPECT_EQ(last_error(fresh), 295);
    std::int16_t error = 0;
    spill(dir + "penloom.dat", "PENLOOM-DAT 2\r\n");
    EXPECT_FALSE(init_library(fresh, dir + "penloom.dat", error));
    EXPECT_EQ(error, 183);
    spill(dir + "penloom.dat", "PENLOOM-DAT 1\r\n");
    EXPECT_TRUE(init_library(fresh, dir + "penloom.dat", error));
    EXPECT_FALSE(create_drawing(fresh, 8));
    EXPECT_EQ(last_error(fresh), 21);
    int calls = 0;  // the callback outlives the library
    set_error_callback(fresh, [&](std::int16_t) { ++calls; });
    close_library(fresh);
    ASSERT_TRUE(fresh.error_callback);
    fresh.error_callback(3);
    EXPECT_EQ(calls, 1);
}

// Each step's error number after it, 0 where it succeeds.
TEST_F(DrawingTest, HandlesBlobsEntitiesAndTablesRefuseWhatTheWriterCouldNotWrite) {
    auto drawing = create_drawing(lib, version_2000);
    ASSERT_TRUE(drawing);
    Drawing& d = *drawing;
    EntityHeader h;
    EntityRecord r;
    auto add = [&](std::uint64_t handle, int error) {  // the entity in h and r
        h.handle = make_handle(handle);
        lib.last_error = 0;
        EXPECT_EQ(add_entity(d, *model_space(d), h, r), error == 0);
        EXPECT_EQ(last_error(lib), error) << h.type << " " << handle;
    };
    h.type = 0;
    EXPECT_FALSE(init_entity(d, h, r));
    EXPECT_EQ(last_error(lib), 187);
    h.type = entity_line;
    ASSERT_TRUE(init_entity(d, h, r));
    add(0, 187);
    h.type = entity_circle;
    ASSERT_TRUE(init_entity(d, h, r));
    const std::uint64_t seed = d.handle_seed;
    add(seed + 100, 0);
    EXPECT_EQ(d.handle_seed, seed + 101);
    add(seed + 100, 172);
    add(handle_value(d.layers.records.front().handle), 172);  // a table record's handle
    add(seed + (std::uint64_t{1} << 40), 290);
    EntityList stray;
    EXPECT_FALSE(add_entity(d, stray, h, r));
    EXPECT_EQ(last_error(lib), 152);

    const std::uint8_t bytes[32] = {};
    BlobWriter w = open_blob_writer(d, create_blob(d, 4096));
    for (std::size_t width : {1, 2, 4, 8, 16}) EXPECT_TRUE(blob_write(w, bytes, width)) << width;
    for (std::size_t width : {0, 3, 5, 32}) EXPECT_FALSE(blob_write(w, bytes, width)) << width;
    h.type = lwpolyline_type(d);
    ASSERT_TRUE(init_entity(d, h, r));
    r.lwpolyline.vertex_count = 1, r.lwpolyline.vertices = w.blob;  // 31 bytes: one vertex and a bit
    add(0, 162);                                 // still open
    ASSERT_TRUE(close_blob_writer(w));
    EXPECT_FALSE(blob_write(w, bytes, 1));
    EXPECT_EQ(open_blob_writer(d, w.blob).drawing, nullptr);  // closed blobs stay closed
    r.lwpolyline.vertex_count = 2;                              // one vertex short
    add(0, 187);
    r.lwpolyline.vertex_count = 1;
    add(0, 0);
    EXPECT_EQ(blob_size(d, w.blob), -1);  // the entity has it now
    h.type = hatch_type(d);  // a polyline path promising three vertices, holding one
    ASSERT_TRUE(init_entity(d, h, r));
    EXPECT_EQ(r.hatch.pattern_name, "SOLID");  // nothing of the last entity is left
    r.hatch.path_count = 1;
    r.hatch.paths = write_blob(d, {I32{hatch_path_polyline}, I16{0}, I16{1}, I32{3}, 0.0, 0.0});
    add(0, 187);

    RegAppTableRecord app;  // names are found whatever their case; a failed lookup clears the handle
    init_regapp_record(app);
    EXPECT_FALSE(add_regapp(d, app));  // no name
    app.name = "PENLOOM";
    ASSERT_TRUE(add_regapp(d, app));  // a zero handle is replaced
    ASSERT_TRUE(find_regapp(d, "penloom", app.handle));
    EXPECT_FALSE(is_null_handle(app.handle));
    EXPECT_FALSE(find_linetype(d, "DASH3", app.handle));
    EXPECT_TRUE(is_null_handle(app.handle));
}

TEST(DatabaseErrors, MessagesCodePagesAndVersions) {
    const struct { int number; const char* text; } messages[] = {
        {0, "No error"}, {1, ""}, {3, "Can't open file"}, {172, "Attempt to add duplicate handle"},
        {183, "Incorrect init file version"}, {303, "Handle not found in btree"},
        {308, "Attempt to add block with duplicate name"},
        {309, "Error number out of range"}, {-1, "Error number out of range"},
    };
    for (const auto& m : messages) EXPECT_EQ(error_message(m.number), m.text) << m.number;
    EXPECT_STREQ(codepage_name(41), "ansi_950");  // the names show in every header's $DWGCODEPAGE
    EXPECT_EQ(codepage_name(42), nullptr);
    EXPECT_EQ(codepage_number(22), 34);
    EXPECT_EQ(codepage_number(42), -1);
    EXPECT_EQ(version_string(10), nullptr);
}

}  // namespace
}  // namespace penloom::testing
