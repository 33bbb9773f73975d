// The drawing database: library and drawing lifetime, handles, entity and
// blob checks with their error numbers, tables, error messages and code pages.
#include <cstdint>
#include <string>

#include "drawing_fixture.h"
#include "sample_drawing.h"

namespace penloom::testing {
namespace {

class DatabaseTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        drawing = create_drawing(lib, version_2000);
        ASSERT_TRUE(drawing);
        ms = model_space(*drawing);
        ASSERT_NE(ms, nullptr);
    }
    void TearDown() override {
        release_drawing(drawing);
        DrawingTest::TearDown();
    }
    // An entity of `type` with its defaults and a fresh handle.
    void begin(std::uint16_t type) {
        h.type = type;
        ASSERT_TRUE(init_entity(*drawing, h, r));
        new_handle(*drawing, h.handle);
    }
    bool add() { return add_entity(*drawing, *ms, h, r); }

    std::unique_ptr<Drawing> drawing;
    EntityList* ms = nullptr;
    EntityHeader h;
    EntityRecord r;
};

TEST_F(DatabaseTest, LibraryAndDrawingLifetime) {
    DrawingLibrary fresh;
    EXPECT_FALSE(create_drawing(fresh, 7));
    EXPECT_EQ(last_error(fresh), 295);
    std::int16_t error = 0;
    spill(dir + "penloom.dat", "PENLOOM-DAT 2\r\n");
    EXPECT_FALSE(init_library(fresh, dir + "penloom.dat", error));
    EXPECT_EQ(error, 183);
    EXPECT_EQ(error_message(error), "Incorrect init file version");
    spill(dir + "penloom.dat", "PENLOOM-DAT 1\r\n");
    EXPECT_TRUE(init_library(fresh, dir + "penloom.dat", error));
    EXPECT_FALSE(create_drawing(fresh, 8));
    EXPECT_EQ(last_error(fresh), 21);
    auto d = create_drawing(fresh, 6);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->version, version_r14);
    release_drawing(d);
    EXPECT_FALSE(d);
    int calls = 0;  // the callback outlives the library
    set_error_callback(fresh, [&](std::int16_t) { ++calls; });
    close_library(fresh);
    ASSERT_TRUE(fresh.error_callback);
    fresh.error_callback(3);
    EXPECT_EQ(calls, 1);
}

TEST_F(DatabaseTest, HandlesAreUniqueAndMoveTheSeed) {
    begin(entity_circle);
    ASSERT_TRUE(add());
    EXPECT_FALSE(add());
    EXPECT_EQ(last_error(lib), 172);
    EXPECT_EQ(error_message(172), "Attempt to add duplicate handle");
    h.handle = drawing->layers.records.front().handle;  // a table record's handle
    EXPECT_FALSE(add());
    EXPECT_EQ(ms->count, 1u);

    h.handle = Handle{};  // zero: a fresh one
    const std::uint64_t seed = drawing->handle_seed;
    ASSERT_TRUE(add());
    EXPECT_EQ(drawing->handle_seed, seed + 1);
    h.handle = make_handle(seed + 100);
    ASSERT_TRUE(add());
    EXPECT_EQ(drawing->handle_seed, seed + 101);
    h.handle = make_handle(seed + (std::uint64_t{1} << 40));
    EXPECT_FALSE(add());
    EXPECT_EQ(last_error(lib), 290);
}

// The translator reuses one record for every entity: init_entity leaves
// nothing of the last one behind.
TEST_F(DatabaseTest, InitEntityResetsTheRecordOfItsType) {
    h.type = entity_arc, h.color = 3, r.arc.radius = 7.0;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(h.color, 256);
    EXPECT_EQ(r.arc.radius, 1.0);
    h.type = entity_circle, r.circle.radius = 9.0;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.circle.radius, 1.0);
    h.type = entity_text, r.text.text = "old", r.text.width_factor = 0.5;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.text.text, "");
    EXPECT_EQ(r.text.width_factor, 1.0);
    h.type = lwpolyline_type(*drawing), r.lwpolyline.flags = 512;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.lwpolyline.flags, 0);
    h.type = hatch_type(*drawing), r.hatch.pattern_name = "ANSI31";
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.hatch.pattern_name, "SOLID");
}

TEST_F(DatabaseTest, BlobWritesTakeOnlyTheDocumentedWidths) {
    const BlobId blob = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, blob);
    const std::uint8_t bytes[32] = {};
    for (std::size_t width : {1, 2, 4, 8, 16}) EXPECT_TRUE(blob_write(w, bytes, width)) << width;
    for (std::size_t width : {0, 3, 5, 32}) EXPECT_FALSE(blob_write(w, bytes, width)) << width;
    ASSERT_TRUE(close_blob_writer(w));
    EXPECT_EQ(blob_size(*drawing, blob), 31);
    EXPECT_FALSE(blob_write(w, bytes, 1));
    EXPECT_EQ(open_blob_writer(*drawing, blob).drawing, nullptr);  // closed blobs stay closed
}

TEST_F(DatabaseTest, EntitiesTheWriterCouldNotWriteAreRefused) {
    h.type = 0;
    EXPECT_FALSE(init_entity(*drawing, h, r));
    EXPECT_EQ(last_error(lib), 187);
    begin(entity_line);
    EXPECT_FALSE(add());
    EXPECT_EQ(last_error(lib), 187);
    begin(entity_circle);
    EntityList stray;
    EXPECT_FALSE(add_entity(*drawing, stray, h, r));
    EXPECT_EQ(last_error(lib), 152);

    begin(lwpolyline_type(*drawing));
    const BlobId blob = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, blob);
    const double xy[2] = {1.0, 2.0};
    ASSERT_TRUE(blob_write(w, xy, 16));
    r.lwpolyline.vertex_count = 1;
    r.lwpolyline.vertices = blob;
    EXPECT_FALSE(add());  // still open
    EXPECT_EQ(last_error(lib), 162);
    ASSERT_TRUE(close_blob_writer(w));
    EXPECT_EQ(blob_size(*drawing, blob), 16);
    r.lwpolyline.vertex_count = 2;  // one vertex short
    EXPECT_FALSE(add());
    EXPECT_EQ(last_error(lib), 187);
    r.lwpolyline.vertex_count = 1;
    EXPECT_TRUE(add());
    EXPECT_EQ(blob_size(*drawing, blob), -1);  // the entity has it now
    EXPECT_EQ(drawing->lwpolyline_vertices, 1u);

    begin(hatch_type(*drawing));  // a polyline path promising three vertices, holding one
    r.hatch.path_count = 1;
    r.hatch.paths = write_blob(*drawing, {I32{hatch_path_polyline}, I16{0}, I16{1}, I32{3}, 0.0, 0.0});
    EXPECT_FALSE(add());
    EXPECT_EQ(last_error(lib), 187);
}

// Names are found whatever their case; a lookup that fails clears the handle.
TEST_F(DatabaseTest, TablesFindUpdateAndRefuse) {
    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5";
    new_handle(*drawing, style.handle);
    ASSERT_TRUE(add_text_style(*drawing, style));
    Handle found = make_handle(77);
    ASSERT_TRUE(find_text_style(*drawing, "hp_style_5", found));
    EXPECT_EQ(found, style.handle);
    EXPECT_FALSE(find_linetype(*drawing, "DASH3", found));
    EXPECT_TRUE(is_null_handle(found));
    EXPECT_EQ(last_error(lib), 77);
    style.fixed_height = 3.75;
    ASSERT_TRUE(update_text_style(*drawing, style));
    EXPECT_EQ(drawing->text_styles.records.back().fixed_height, 3.75);
    style.handle = make_handle(0xABCDE);
    EXPECT_FALSE(update_text_style(*drawing, style));
    EXPECT_EQ(last_error(lib), 303);
    EXPECT_EQ(error_message(303), "Handle not found in btree");

    RegAppTableRecord app;
    init_regapp_record(app);
    EXPECT_FALSE(add_regapp(*drawing, app));  // no name
    app.name = "PENLOOM";
    ASSERT_TRUE(add_regapp(*drawing, app));  // a zero handle is replaced
    ASSERT_TRUE(find_regapp(*drawing, "penloom", app.handle));
    EXPECT_FALSE(is_null_handle(app.handle));
    EXPECT_FALSE(add_regapp(*drawing, app));
    EXPECT_EQ(last_error(lib), 172);
}

TEST(DatabaseErrors, MessagesCodePagesAndVersions) {
    const struct { int number; const char* text; } messages[] = {
        {0, "No error"}, {1, ""}, {3, "Can't open file"}, {214, ""},
        {308, "Attempt to add block with duplicate name"}, {309, "Error number out of range"},
        {-1, "Error number out of range"},
    };
    for (const auto& m : messages) {
        SCOPED_TRACE(m.number);
        EXPECT_EQ(error_message(m.number), m.text);
    }
    EXPECT_STREQ(codepage_name(41), "ansi_950");  // the names show in every header's $DWGCODEPAGE
    EXPECT_EQ(codepage_name(42), nullptr);
    EXPECT_EQ(codepage_number(22), 34);
    EXPECT_EQ(codepage_number(42), -1);
    EXPECT_EQ(version_string(10), nullptr);
}

}  // namespace
}  // namespace penloom::testing
