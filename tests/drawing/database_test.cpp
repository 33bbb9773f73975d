// The drawing database: library and drawing lifetime, handles, default
// records, tables, entities and blobs, error messages and code pages.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "test_support.h"

namespace penloom::testing {
namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::int16_t error = -1;
        ASSERT_TRUE(init_library(lib, "/nonexistent/penloom.dat", error));
        EXPECT_EQ(error, 0);
        drawing = create_drawing(lib, version_2000);
        ASSERT_TRUE(drawing);
        Handle model;
        ASSERT_TRUE(find_block(*drawing, "*MODEL_SPACE", model));
        ms = block_entity_list(*drawing, model);
        ASSERT_NE(ms, nullptr);
    }
    void TearDown() override {
        release_drawing(drawing);
        close_library(lib);
    }

    DrawingLibrary lib;
    std::unique_ptr<Drawing> drawing;
    EntityList* ms = nullptr;
};

// ---- Library and drawing lifetime ----

TEST(DatabaseLifetime, MissingDataFileIsFineAWrongOneIsNot) {
    DrawingLibrary lib;
    std::int16_t error = -1;
    EXPECT_TRUE(init_library(lib, "", error));
    const std::string dir = scratch_dir("datafile");
    write_file(dir + "/penloom.dat", "PENLOOM-DAT 2\r\n");
    EXPECT_FALSE(init_library(lib, dir + "/penloom.dat", error));
    EXPECT_EQ(error, 183);
    EXPECT_EQ(error_message(error), "Incorrect init file version");
    write_file(dir + "/penloom.dat", "PENLOOM-DAT 1\r\n");
    EXPECT_TRUE(init_library(lib, dir + "/penloom.dat", error));
}

TEST(DatabaseLifetime, CreateNeedsTheLibraryAndAKnownVersion) {
    DrawingLibrary lib;
    EXPECT_FALSE(create_drawing(lib, 7));
    EXPECT_EQ(last_error(lib), 295);
    std::int16_t error = 0;
    ASSERT_TRUE(init_library(lib, "", error));
    EXPECT_FALSE(create_drawing(lib, 8));
    EXPECT_EQ(last_error(lib), 21);
    auto d = create_drawing(lib, 6);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->version, version_r14);
    release_drawing(d);
    EXPECT_FALSE(d);
}

TEST(DatabaseLifetime, CallbackSurvivesClose) {
    DrawingLibrary lib;
    int calls = 0;
    set_error_callback(lib, [&](std::int16_t) { ++calls; });
    close_library(lib);
    ASSERT_TRUE(lib.error_callback);
    lib.error_callback(3);
    EXPECT_EQ(calls, 1);
}

// ---- Defaults ----

TEST_F(DatabaseTest, NewDrawingHasTheRecordsTheTranslatorRelies) {
    ASSERT_TRUE(first_layer(*drawing));
    LayerTableRecord layer;
    ASSERT_TRUE(next_layer(*drawing, layer));
    EXPECT_EQ(layer.name, "0");
    EXPECT_EQ(layer.color, 7);
    EXPECT_FALSE(is_null_handle(layer.handle));
    EXPECT_FALSE(next_layer(*drawing, layer));

    Handle h;
    for (const char* name : {"BYBLOCK", "ByLayer", "continuous"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(find_linetype(*drawing, name, h));
        EXPECT_FALSE(is_null_handle(h));
    }
    EXPECT_TRUE(find_text_style(*drawing, "standard", h));
    EXPECT_TRUE(find_regapp(*drawing, "ACAD", h));
    EXPECT_TRUE(find_dimstyle(*drawing, "STANDARD", h));
    EXPECT_TRUE(find_vport(*drawing, "*ACTIVE", h));
    EXPECT_TRUE(find_block_record(*drawing, "*PAPER_SPACE", h));
    EXPECT_EQ(block_record_count(*drawing), 2u);
    EXPECT_EQ(lwpolyline_type(*drawing), 500);
    EXPECT_EQ(hatch_type(*drawing), 501);
    EXPECT_FALSE(is_null_handle(drawing->objects.plotstyle_normal));
    EXPECT_EQ(layer.plot_style, drawing->objects.plotstyle_normal);
}

TEST_F(DatabaseTest, LayerDefaultsComeFromTheDrawing) {
    LayerTableRecord layer;
    init_layer_record(*drawing, layer);
    Handle continuous;
    ASSERT_TRUE(find_linetype(*drawing, "CONTINUOUS", continuous));
    EXPECT_EQ(layer.color, 7);
    EXPECT_EQ(layer.flags, 0);
    EXPECT_EQ(layer.linetype, continuous);
    EXPECT_EQ(layer.plot, 1);
    EXPECT_EQ(layer.lineweight, -3);
    EXPECT_EQ(layer.plot_style, drawing->objects.plotstyle_normal);
}

// ---- Handles ----

TEST_F(DatabaseTest, NewHandleIsConsecutive) {
    Handle a, b;
    new_handle(*drawing, a);
    new_handle(*drawing, b);
    EXPECT_EQ(handle_value(b), handle_value(a) + 1);
    EXPECT_EQ(drawing->handle_seed, handle_value(b) + 1);
    EXPECT_EQ(make_handle(0x12F), (Handle{0, 0, 0, 0, 0, 0, 1, 0x2F}));
}

TEST_F(DatabaseTest, DuplicateHandleIsRefusedWith172) {
    EntityHeader h;
    EntityRecord r;
    h.type = entity_circle;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    new_handle(*drawing, h.handle);
    ASSERT_TRUE(add_entity(*drawing, *ms, h, r));
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(last_error(lib), 172);
    EXPECT_EQ(error_message(172), "Attempt to add duplicate handle");
    // A table record's handle cannot be reused by an entity either.
    LayerTableRecord layer;
    first_layer(*drawing);
    next_layer(*drawing, layer);
    h.handle = layer.handle;
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(ms->count, 1u);
}

TEST_F(DatabaseTest, ZeroHandleGetsAFreshOneAndHighHandlesMoveTheSeed) {
    EntityHeader h;
    EntityRecord r;
    h.type = entity_arc;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    const std::uint64_t seed = drawing->handle_seed;
    ASSERT_TRUE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(drawing->handle_seed, seed + 1);
    h.handle = make_handle(seed + 100);
    ASSERT_TRUE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(drawing->handle_seed, seed + 101);
    h.handle = make_handle(seed + (std::uint64_t{1} << 40));
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(last_error(lib), 290);
}

// ---- Entities ----

TEST_F(DatabaseTest, InitEntityDefaults) {
    EntityHeader h;
    EntityRecord r;
    h.type = entity_arc;
    h.color = 3;
    h.lineweight = 50;
    r.arc.radius = 7.0;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(h.type, entity_arc);
    EXPECT_EQ(h.color, 256);
    EXPECT_EQ(h.lineweight, -1);
    EXPECT_EQ(h.linetype_scale, 1.0);
    EXPECT_EQ(h.scale2, 1.0);
    EXPECT_EQ(h.flags, 0);
    EXPECT_TRUE(is_null_handle(h.handle));
    EXPECT_EQ(h.layer, drawing->layers.records.front().handle);
    EXPECT_EQ(h.linetype, drawing->bylayer_linetype);
    EXPECT_EQ(r.arc.radius, 1.0);
    EXPECT_EQ(r.arc.start_angle, 0.0);
    EXPECT_EQ(r.arc.end_angle, 6.283185307179586);

    h.type = entity_circle;
    r.circle.radius = 9.0;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.circle.radius, 1.0);

    h.type = entity_text;
    r.text.text = "old";
    r.text.width_factor = 0.5;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.text.text, "");
    EXPECT_EQ(r.text.width_factor, 1.0);
    EXPECT_EQ(r.text.style, drawing->standard_text_style);

    h.type = lwpolyline_type(*drawing);
    r.lwpolyline.flags = 512;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.lwpolyline.flags, 0);
    EXPECT_EQ(r.lwpolyline.vertices, 0u);

    h.type = hatch_type(*drawing);
    r.hatch.pattern_name = "ANSI31";
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_EQ(r.hatch.pattern_name, "SOLID");
    EXPECT_EQ(r.hatch.pattern_scale, 1.0);

    h.type = 0;
    EXPECT_FALSE(init_entity(*drawing, h, r));
    EXPECT_EQ(last_error(lib), 187);
}

TEST_F(DatabaseTest, UnknownEntityTypesAndForeignListsAreRefused) {
    EntityHeader h;
    EntityRecord r;
    h.type = entity_line;
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(last_error(lib), 187);
    EntityList stray;
    h.type = entity_circle;
    EXPECT_FALSE(add_entity(*drawing, stray, h, r));
    EXPECT_EQ(last_error(lib), 152);
}

TEST_F(DatabaseTest, LwpolylineNeedsAClosedBlobLargeEnough) {
    EntityHeader h;
    EntityRecord r;
    h.type = lwpolyline_type(*drawing);
    ASSERT_TRUE(init_entity(*drawing, h, r));
    const BlobId blob = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, blob);
    const double xy[2] = {1.0, 2.0};
    ASSERT_TRUE(blob_write(w, xy, 16));
    r.lwpolyline.vertex_count = 1;
    r.lwpolyline.vertices = blob;
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));  // still open
    EXPECT_EQ(last_error(lib), 162);
    ASSERT_TRUE(close_blob_writer(w));
    EXPECT_EQ(blob_size(*drawing, blob), 16);
    r.lwpolyline.vertex_count = 2;
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));  // one vertex short
    EXPECT_EQ(last_error(lib), 187);
    r.lwpolyline.vertex_count = 1;
    EXPECT_TRUE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(blob_size(*drawing, blob), -1);  // the entity has it now
    EXPECT_EQ(drawing->lwpolyline_vertices, 1u);
}

TEST_F(DatabaseTest, BlobWritesTakeOnlyTheDocumentedWidths) {
    const BlobId blob = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, blob);
    const std::uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (std::size_t width : {1, 2, 4, 8, 16})
        EXPECT_TRUE(blob_write(w, bytes, width)) << width;
    for (std::size_t width : {0, 3, 5, 32})
        EXPECT_FALSE(blob_write(w, bytes, width)) << width;
    ASSERT_TRUE(close_blob_writer(w));
    EXPECT_EQ(blob_size(*drawing, blob), 31);
    EXPECT_EQ(w.drawing, nullptr);
    EXPECT_FALSE(blob_write(w, bytes, 1));
    EXPECT_EQ(open_blob_writer(*drawing, blob).drawing, nullptr);  // closed blobs stay closed
}

TEST_F(DatabaseTest, DamagedHatchBlobsAreRefused) {
    EntityHeader h;
    EntityRecord r;
    h.type = hatch_type(*drawing);
    ASSERT_TRUE(init_entity(*drawing, h, r));
    const BlobId paths = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, paths);
    const std::int32_t flags = hatch_path_polyline;
    const std::int16_t zero = 0, one = 1;
    const std::int32_t count = 3;
    blob_write(w, &flags, 4);
    blob_write(w, &zero, 2);
    blob_write(w, &one, 2);
    blob_write(w, &count, 4);
    const double xy[2] = {0.0, 0.0};
    blob_write(w, xy, 16);  // two of the three vertices missing
    close_blob_writer(w);
    r.hatch.path_count = 1;
    r.hatch.paths = paths;
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(last_error(lib), 187);
}

// ---- Tables ----

TEST_F(DatabaseTest, TablesAddFindIterateAndUpdate) {
    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5";
    new_handle(*drawing, style.handle);
    ASSERT_TRUE(add_text_style(*drawing, style));
    EXPECT_EQ(text_style_count(*drawing), 2u);
    Handle found;
    ASSERT_TRUE(find_text_style(*drawing, "hp_style_5", found));
    EXPECT_EQ(found, style.handle);
    EXPECT_FALSE(find_text_style(*drawing, "MISSING", found));
    EXPECT_TRUE(is_null_handle(found));

    ASSERT_TRUE(first_text_style(*drawing));
    TextStyleTableRecord r;
    ASSERT_TRUE(next_text_style(*drawing, r));
    EXPECT_EQ(r.name, "STANDARD");
    r.fixed_height = 3.75;
    ASSERT_TRUE(update_text_style(*drawing, r));
    EXPECT_EQ(drawing->text_styles.records.front().fixed_height, 3.75);
    ASSERT_TRUE(next_text_style(*drawing, r));
    EXPECT_EQ(r.name, "HP_STYLE_5");
    EXPECT_FALSE(next_text_style(*drawing, r));

    TextStyleTableRecord unknown;
    unknown.handle = make_handle(0xABCDE);
    EXPECT_FALSE(update_text_style(*drawing, unknown));
    EXPECT_EQ(last_error(lib), 303);
    EXPECT_EQ(error_message(303), "Handle not found in btree");
}

TEST_F(DatabaseTest, FindLinetypeMissLeavesZero) {
    Handle h = make_handle(77);
    EXPECT_FALSE(find_linetype(*drawing, "DASH3", h));
    EXPECT_TRUE(is_null_handle(h));
    EXPECT_EQ(last_error(lib), 77);
}

TEST_F(DatabaseTest, ReplaceVportWritesBackTheFirstViewport) {
    ASSERT_TRUE(first_vport(*drawing));
    VportTableRecord vp;
    ASSERT_TRUE(next_vport(*drawing, vp));
    vp.view_center = Point2{200.0, 150.0};
    vp.view_height = 300.0;
    vp.aspect_ratio = 1.3333333;
    ASSERT_TRUE(replace_vport(*drawing, vp));
    EXPECT_EQ(drawing->vports.records.front().view_height, 300.0);
    EXPECT_EQ(vport_count(*drawing), 1u);
}

TEST_F(DatabaseTest, TableRecordsNeedNamesAndNewHandles) {
    RegAppTableRecord app;
    init_regapp_record(app);
    EXPECT_FALSE(add_regapp(*drawing, app));
    app.name = "PENLOOM";
    ASSERT_TRUE(add_regapp(*drawing, app));  // a zero handle is replaced
    EXPECT_EQ(regapp_count(*drawing), 2u);
    Handle h;
    ASSERT_TRUE(find_regapp(*drawing, "penloom", h));
    EXPECT_FALSE(is_null_handle(h));
    app.handle = h;
    EXPECT_FALSE(add_regapp(*drawing, app));
    EXPECT_EQ(last_error(lib), 172);
}

TEST_F(DatabaseTest, HeaderCopiesOutAndBackWhole) {
    HeaderRecord header;
    get_header(*drawing, header);
    EXPECT_EQ(header.codepage, 30);
    header.extmin = Point3{1.0, 2.0, 0.0};
    header.fillmode = 0;
    set_header(*drawing, header);
    HeaderRecord again;
    get_header(*drawing, again);
    EXPECT_EQ(again.extmin, (Point3{1.0, 2.0, 0.0}));
    EXPECT_EQ(again.fillmode, 0);
}

// ---- Errors and code pages ----

TEST(DatabaseErrors, MessageTable) {
    struct Case {
        int number;
        const char* text;
    };
    const Case cases[] = {
        {0, "No error"},
        {1, ""},
        {3, "Can't open file"},
        {9, "Error in xdata read malloc"},
        {45, "Error loading linetypes"},
        {59, "Can't resolve header layer"},
        {97, "Error deleting entity xdata"},
        {99, "Error freeing entity"},
        {125, "Error deleting blockheader preview"},
        {127, "Error freeing blockheader storage"},
        {133, "Can't add default objects"},
        {181, "Error allocating temporary header"},
        {214, ""},
        {295, "Init file must be loaded first"},
        {306, "Save attempted to incompatible version"},
        {308, "Attempt to add block with duplicate name"},
        {309, "Error number out of range"},
        {-1, "Error number out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(error_message(c.number), c.text);
    }
    for (int n = 97; n <= 127; ++n) {
        const std::string text = error_message(n);
        EXPECT_TRUE(text.rfind("Error deleting ", 0) == 0 || text.rfind("Error freeing ", 0) == 0) << n;
    }
}

TEST(DatabaseErrors, CodePagesAndVersions) {
    EXPECT_STREQ(codepage_name(30), "ansi_1252");
    EXPECT_STREQ(codepage_name(0), "undefined");
    EXPECT_STREQ(codepage_name(41), "ansi_950");
    EXPECT_EQ(codepage_name(42), nullptr);
    EXPECT_EQ(codepage_name(-1), nullptr);
    EXPECT_EQ(codepage_number(22), 34);
    EXPECT_EQ(codepage_number(42), -1);
    EXPECT_STREQ(version_string(4), "AC1009");
    EXPECT_STREQ(version_string(7), "AC1015");
    EXPECT_STREQ(version_string(9), "AC1021");
    EXPECT_EQ(version_string(10), nullptr);
}

}  // namespace
}  // namespace penloom::testing
