// The DXF writer: exact group output of each entity kind per version, header
// variables, tables, and saves that fail (with their error and no file left).
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "drawing/dxf_output.h"
#include "sample_drawing.h"
#include "test_support.h"

namespace penloom::testing {
namespace {

constexpr double pi = 3.141592653589793;

std::string hex(const Handle& h) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(handle_value(h)));
    return buf;
}

// "code\r\nvalue\r\n" for each pair, codes right-aligned in three columns.
std::string groups(std::initializer_list<std::pair<int, std::string>> list) {
    std::string s;
    char code[8];
    for (const auto& [c, v] : list) {
        std::snprintf(code, sizeof code, "%3d", c);
        s += std::string(code) + "\r\n" + v + "\r\n";
    }
    return s;
}

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::int16_t error = 0;
        ASSERT_TRUE(init_library(lib, "", error));
        dir = scratch_dir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { close_library(lib); }

    void make(int version) {
        drawing = create_drawing(lib, version);
        ASSERT_TRUE(drawing);
        Handle model;
        ASSERT_TRUE(find_block(*drawing, "*MODEL_SPACE", model));
        ms = block_entity_list(*drawing, model);
        owner = hex(model);
        layer0 = hex(drawing->layers.records.front().handle);
    }

    void begin(std::uint16_t type) {
        h.type = type;
        ASSERT_TRUE(init_entity(*drawing, h, r));
        new_handle(*drawing, h.handle);
    }
    void add() { ASSERT_TRUE(add_entity(*drawing, *ms, h, r)) << last_error(lib); }

    std::string save_text(int version, int places = 6) {
        const std::string path = dir + "/out.dxf";
        EXPECT_TRUE(save_drawing(*drawing, path, file_kind_ascii_dxf, version, false, places, 1, 0))
            << error_message(last_error(lib));
        return read_file(path);
    }

    // The groups between "2 ENTITIES" and its "0 ENDSEC".
    std::string entities(int version, int places = 6) {
        const std::string text = save_text(version, places);
        const std::string head = "  2\r\nENTITIES\r\n";
        const std::size_t start = text.find(head);
        if (start == std::string::npos)
            return "(no ENTITIES)";
        const std::size_t end = text.find("  0\r\nENDSEC\r\n", start);
        return text.substr(start + head.size(), end - start - head.size());
    }

    // The value of a header variable's first group, or "(absent)".
    static std::string header_value(const std::string& text, const std::string& name) {
        const std::string key = "  9\r\n" + name + "\r\n";
        const std::size_t at = text.find(key);
        if (at == std::string::npos)
            return "(absent)";
        const std::size_t value = text.find("\r\n", at + key.size()) + 2;
        return text.substr(value, text.find("\r\n", value) - value);
    }

    DrawingLibrary lib;
    std::string dir;
    std::unique_ptr<Drawing> drawing;
    EntityList* ms = nullptr;
    EntityHeader h;
    EntityRecord r;
    std::string owner, layer0;
};

// ---- Value lines ----

std::string text_line(const std::string& text) {
    const std::string path = scratch_dir("text_line") + "/t";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    DxfOut out;
    out_open(out, fd, 64, UINT64_MAX, make_number_format(6, false));
    group_text(out, 1, text);
    out_flush(out);
    ::close(fd);
    return read_file(path);
}

TEST(DxfText, Escaping) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "ABC", "ABC"},
        {"tab", "A\tB", "A^IB"},
        {"carriage return", "\r", "^M"},
        {"caret", "A^B", "A^ B"},
        {"caret at the end gets one more space", "AB^", "AB^  "},
        {"NUL ends the string", std::string("AB\0CD", 5), "AB"},
        {"trail byte caret stays", "\x82^x", "\x82^x"},
        {"caret after a high byte at an even position", "a\x82^", "a\x82^  "},
        {"long text crosses the buffer", std::string(200, 'x'), std::string(200, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text_line(c.in), "  1\r\n" + c.out + "\r\n");
    }
}

// ---- Entities ----

TEST_F(WriterTest, CircleIn2000WithLineweightAndColour) {
    make(7);
    begin(entity_circle);
    h.color = 1;
    h.lineweight = 35;
    r.circle.center = Point3{10.0, 20.5, 0.0};
    r.circle.radius = 2.0;
    add();
    EXPECT_EQ(entities(7), groups({{0, "CIRCLE"}, {5, hex(h.handle)}, {102, "{ACAD_REACTORS"}, {330, owner},
                                   {102, "}"}, {100, "AcDbEntity"}, {8, "0"}, {370, "    35"}, {62, "     1"},
                                   {100, "AcDbCircle"}, {10, "10.0"}, {20, "20.5"}, {30, "0.0"}, {40, "2.0"},
                                   {210, "0.0"}, {220, "0.0"}, {230, "1.0"}}));
}

TEST_F(WriterTest, CircleInR12CarriesItsHandleAfterTheCommonGroups) {
    make(6);
    begin(entity_circle);
    r.circle.thickness = 1.5;
    add();
    EXPECT_EQ(entities(4, 3), groups({{0, "CIRCLE"}, {8, "0"}, {39, "1.5"}, {5, hex(h.handle)}, {10, "0.0"},
                                      {20, "0.0"}, {30, "0.0"}, {40, "1.0"}, {210, "0.0"}, {220, "0.0"},
                                      {230, "1.0"}}));
}

TEST_F(WriterTest, ArcInR13HasNoReactorsAndDegrees) {
    make(6);
    begin(entity_arc);
    r.arc.center = Point3{1.0, 2.0, 0.0};
    r.arc.radius = 3.0;
    r.arc.start_angle = pi / 2.0;
    r.arc.end_angle = pi;
    add();
    EXPECT_EQ(entities(5), groups({{0, "ARC"}, {5, hex(h.handle)}, {100, "AcDbEntity"}, {8, "0"},
                                   {100, "AcDbCircle"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {40, "3.0"},
                                   {210, "0.0"}, {220, "0.0"}, {230, "1.0"}, {100, "AcDbArc"}, {50, "90.0"},
                                   {51, "180.0"}}));
}

TEST_F(WriterTest, TextEscapingAndJustification) {
    make(7);
    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5";
    ASSERT_TRUE(add_text_style(*drawing, style));
    ASSERT_TRUE(find_text_style(*drawing, "HP_STYLE_5", style.handle));
    begin(entity_text);
    r.text.insert = Point3{5.0, 6.0, 0.0};
    r.text.align = Point3{7.0, 8.0, 0.0};
    r.text.height = 2.5;
    r.text.text = std::string("A^B\tC\rD^");
    r.text.rotation = pi / 6.0;
    r.text.width_factor = 0.8;
    r.text.style = style.handle;
    r.text.halign = 1;
    r.text.valign = 2;
    add();
    EXPECT_EQ(entities(7), groups({{0, "TEXT"}, {5, hex(h.handle)}, {102, "{ACAD_REACTORS"}, {330, owner},
                                   {102, "}"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "5.0"},
                                   {20, "6.0"}, {30, "0.0"}, {40, "2.5"}, {1, "A^ B^IC^MD^  "}, {50, "30.0"},
                                   {41, "0.8"}, {7, "HP_STYLE_5"}, {72, "     1"}, {11, "7.0"}, {21, "8.0"},
                                   {31, "0.0"}, {100, "AcDbText"}, {73, "     2"}}));
}

TEST_F(WriterTest, TextInTheStandardStyleNamesNoStyle) {
    make(6);
    begin(entity_text);
    r.text.text = "x";
    add();
    EXPECT_EQ(entities(4, 0), groups({{0, "TEXT"}, {8, "0"}, {5, hex(h.handle)}, {10, "0.0"}, {20, "0.0"},
                                      {30, "0.0"}, {40, "1"}, {1, "x"}}));
}

TEST_F(WriterTest, LwpolylineWithBulgesIn2000) {
    make(7);
    begin(lwpolyline_type(*drawing));
    r.lwpolyline.vertices = write_blob(*drawing, {0.0, 0.0, 0.5, 10.0, 0.0, 0.0});
    r.lwpolyline.vertex_count = 2;
    r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_bulges | lwpolyline_closed;
    add();
    EXPECT_EQ(entities(7), groups({{0, "LWPOLYLINE"}, {5, hex(h.handle)}, {102, "{ACAD_REACTORS"}, {330, owner},
                                   {102, "}"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbPolyline"},
                                   {90, "        2"}, {70, "     1"}, {10, "0.0"}, {20, "0.0"}, {42, "0.5"},
                                   {10, "10.0"}, {20, "0.0"}}));
}

TEST_F(WriterTest, LwpolylineBecomesPolylineInR12WithHandlesAboveTheSeed) {
    make(6);
    begin(lwpolyline_type(*drawing));
    r.lwpolyline.vertices = write_blob(*drawing, {1.0, 2.0, 3.0, 4.0});
    r.lwpolyline.vertex_count = 2;
    r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_constant_width;
    r.lwpolyline.constant_width = 0.25;
    h.color = 5;
    add();
    const std::uint64_t seed = drawing->handle_seed;
    auto handle = [](std::uint64_t v) { return hex(make_handle(v)); };
    const std::string text = save_text(4);
    EXPECT_EQ(header_value(text, "$HANDSEED"), handle(seed + 3));
    EXPECT_EQ(entities(4), groups({{0, "POLYLINE"}, {8, "0"}, {62, "     5"}, {5, hex(h.handle)}, {66, "     1"},
                                   {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "0.25"}, {41, "0.25"}, {210, "0.0"},
                                   {220, "0.0"}, {230, "1.0"},
                                   {0, "VERTEX"}, {8, "0"}, {62, "     5"}, {5, handle(seed)}, {10, "1.0"},
                                   {20, "2.0"}, {30, "0.0"}, {70, "     0"},
                                   {0, "VERTEX"}, {8, "0"}, {62, "     5"}, {5, handle(seed + 1)}, {10, "3.0"},
                                   {20, "4.0"}, {30, "0.0"}, {70, "     0"},
                                   {0, "SEQEND"}, {8, "0"}, {62, "     5"}, {5, handle(seed + 2)}}));
}

TEST_F(WriterTest, PolylineVertexSeqendInR13OnADashedLinetype) {
    make(6);
    LinetypeTableRecord lt;
    init_linetype_record(lt);
    lt.name = "DASH3";
    lt.dashes = {LinetypeDash{}, LinetypeDash{}};
    lt.dashes[0].length = 10.0;
    lt.dashes[1].length = -10.0;
    lt.pattern_length = 20.0;
    new_handle(*drawing, lt.handle);
    ASSERT_TRUE(add_linetype(*drawing, lt));
    begin(entity_polyline);
    h.linetype = lt.handle;
    r.polyline.flags = 129;
    const std::string poly = hex(h.handle);
    add();
    begin(entity_vertex);
    h.linetype = lt.handle;
    r.vertex.location = Point3{1.0, 2.0, 0.0};
    r.vertex.bulge = -0.5;
    const std::string vertex = hex(h.handle);
    add();
    begin(entity_seqend);
    add();
    EXPECT_EQ(entities(5), groups({{0, "POLYLINE"}, {5, poly}, {100, "AcDbEntity"}, {8, "0"}, {6, "DASH3"},
                                   {100, "AcDb2dPolyline"}, {66, "     1"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
                                   {70, "   129"}, {210, "0.0"}, {220, "0.0"}, {230, "1.0"},
                                   {0, "VERTEX"}, {5, vertex}, {100, "AcDbEntity"}, {8, "0"}, {6, "DASH3"},
                                   {100, "AcDbVertex"}, {100, "AcDb2dVertex"}, {10, "1.0"}, {20, "2.0"},
                                   {30, "0.0"}, {42, "-0.5"}, {70, "     0"},
                                   {0, "SEQEND"}, {5, hex(h.handle)}, {100, "AcDbEntity"}, {8, "0"}}));
}

TEST_F(WriterTest, SolidHatchUsesFullPrecisionPoints) {
    make(7);
    begin(hatch_type(*drawing));
    const BlobId paths = create_blob(*drawing, 4096);
    BlobWriter w = open_blob_writer(*drawing, paths);
    const std::int32_t flags = 2, count = 3, sources = 0;
    const std::int16_t no_bulge = 0, closed = 1;
    blob_write(w, &flags, 4);
    blob_write(w, &no_bulge, 2);
    blob_write(w, &closed, 2);
    blob_write(w, &count, 4);
    const double pts[3][2] = {{0.0, 0.0}, {1.0 / 3.0, 0.0}, {0.0, 1.0}};
    for (const auto& p : pts)
        blob_write(w, p, 16);
    blob_write(w, &sources, 4);
    close_blob_writer(w);
    r.hatch.path_count = 1;
    r.hatch.paths = paths;
    r.hatch.seed_count = 1;
    r.hatch.seeds = write_blob(*drawing, {0.0, 0.0});
    add();
    EXPECT_EQ(entities(7, 3),
              groups({{0, "HATCH"}, {5, hex(h.handle)}, {102, "{ACAD_REACTORS"}, {330, owner}, {102, "}"},
                      {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbHatch"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
                      {210, "0.0"}, {220, "0.0"}, {230, "1.0"}, {2, "SOLID"}, {70, "  1"}, {71, "  0"},
                      {91, "        1"}, {92, "        2"}, {72, "  0"}, {73, "  1"}, {93, "        3"},
                      {10, "0.0"}, {20, "0.0"}, {10, "0.3333333333333333"}, {20, "0.0"}, {10, "0.0"}, {20, "1.0"},
                      {97, "        0"}, {75, "  0"}, {76, "  1"}, {98, "        1"}, {10, "0.0"}, {20, "0.0"}}));
    // R12 leaves it out.
    EXPECT_EQ(entities(4), "");
}

// ---- Header ----

TEST_F(WriterTest, HeaderVariablesPerVersion) {
    make(7);
    HeaderRecord header;
    get_header(*drawing, header);
    header.tdcreate = JulianDate{2451545, 43200000};
    header.maintenance_version = 3;
    set_header(*drawing, header);
    struct Case {
        int version;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {4, "$ACADVER", "AC1009"},     {5, "$ACADVER", "AC1012"},     {6, "$ACADVER", "AC1014"},
        {7, "$ACADVER", "AC1015"},     {4, "$ACADMAINTVER", "(absent)"}, {6, "$ACADMAINTVER", "     3"},
        {7, "$ACADMAINTVER", "     6"}, {4, "$DWGCODEPAGE", "ansi_1252"}, {6, "$DWGCODEPAGE", "ANSI_1252"},
        {4, "$HANDLING", "     1"},    {6, "$HANDLING", "     1"},    {7, "$HANDLING", "(absent)"},
        {4, "$AXISMODE", "     0"},    {5, "$AXISMODE", "(absent)"},  {4, "$PLINEGEN", "(absent)"},
        {5, "$PLINEGEN", "     0"},    {7, "$TDCREATE", "2451545.500000000"}, {7, "$TDINDWG", "0.0000000000"},
        {6, "$CELWEIGHT", "(absent)"}, {7, "$CELWEIGHT", "    -1"},   {7, "$VIEWCTR", "(absent)"},
        {6, "$VIEWCTR", "210.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.version));
        EXPECT_EQ(header_value(save_text(c.version), c.name), c.value);
    }
}

TEST_F(WriterTest, R12HeaderEndsAfterVisretainAndHandseedFollowsHandling) {
    make(6);
    const std::string text = save_text(4);
    const std::size_t visretain = text.find("$VISRETAIN");
    ASSERT_NE(visretain, std::string::npos);
    EXPECT_EQ(text.find("  9\r\n", visretain), std::string::npos);
    const std::size_t handling = text.find("$HANDLING");
    EXPECT_EQ(text.find("  9\r\n", handling), text.find("  9\r\n$HANDSEED"));
    EXPECT_EQ(header_value(text, "$HANDSEED"), hex(make_handle(drawing->handle_seed)));
}

// ---- Tables ----

TEST_F(WriterTest, LinetypeTableCountsAndOrder) {
    make(6);
    const std::string r12 = save_text(4);
    EXPECT_NE(r12.find(groups({{0, "TABLE"}, {2, "LTYPE"}, {70, "     1"}, {0, "LTYPE"}, {2, "CONTINUOUS"}})),
              std::string::npos);
    const std::string r13 = save_text(5);
    const std::size_t table = r13.find("  2\r\nLTYPE\r\n");
    ASSERT_NE(table, std::string::npos);
    EXPECT_NE(r13.find(groups({{70, "     3"}, {0, "LTYPE"}, {5, hex(drawing->byblock_linetype)},
                               {100, "AcDbSymbolTableRecord"}, {100, "AcDbLinetypeTableRecord"}, {2, "BYBLOCK"}}),
                       table),
              std::string::npos);
    EXPECT_LT(r13.find("BYLAYER", table), r13.find("CONTINUOUS", table));
}

TEST_F(WriterTest, LayerNamesConvertBelow2000AndDuplicatesAreWrittenOnce) {
    make(7);
    for (const char* name : {"My layer", "my layer"}) {
        LayerTableRecord layer;
        init_layer_record(*drawing, layer);
        layer.name = name;
        layer.linetype = Handle{};
        layer.color = 3;
        ASSERT_TRUE(add_layer(*drawing, layer));
    }
    const std::string r14 = save_text(6);
    EXPECT_NE(r14.find(groups({{2, "MY_LAYER"}, {70, "     0"}, {62, "     3"}, {6, "CONTINUOUS"}})),
              std::string::npos);
    EXPECT_NE(r14.find(groups({{0, "TABLE"}, {2, "LAYER"}, {5, hex(drawing->layers.handle)},
                               {100, "AcDbSymbolTable"}, {70, "     2"}})),
              std::string::npos);
    const std::string v2000 = save_text(7);
    EXPECT_NE(v2000.find(groups({{2, "My layer"}, {70, "     0"}, {62, "     3"}, {6, "Continuous"},
                                 {290, "     1"}, {370, "    -3"}})),
              std::string::npos);
    EXPECT_EQ(v2000.find("my layer"), std::string::npos);
}

// ---- Failing saves ----

TEST_F(WriterTest, SaveRefusesIncompatibleVersionsAndKinds) {
    make(6);
    const std::string path = dir + "/never.dxf";
    EXPECT_FALSE(save_drawing(*drawing, path, file_kind_ascii_dxf, 7, false, 6, 1, 0));
    EXPECT_EQ(last_error(lib), 306);
    EXPECT_EQ(error_message(306), "Save attempted to incompatible version");
    EXPECT_FALSE(save_drawing(*drawing, path, file_kind_binary_dxf, 6, false, 6, 1, 0));
    EXPECT_EQ(last_error(lib), 5);
    EXPECT_FALSE(save_drawing(*drawing, path, file_kind_ascii_dxf, 3, false, 6, 1, 0));
    EXPECT_EQ(last_error(lib), 21);
    EXPECT_TRUE(list_dir(dir).empty());
}

TEST_F(WriterTest, MissingFolderGivesCantOpenFile) {
    make(7);
    EXPECT_FALSE(save_drawing(*drawing, dir + "/no/such/folder/out.dxf", file_kind_ascii_dxf, 7, false, 6, 1, 0));
    EXPECT_EQ(last_error(lib), 3);
    EXPECT_EQ(error_message(last_error(lib)), "Can't open file");
    EXPECT_TRUE(list_dir(dir).empty());
}

TEST_F(WriterTest, UnwritableTargetLeavesNoFile) {
    make(7);
    const std::string target = dir + "/taken.dxf";
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);  // a folder where the file should go
    EXPECT_FALSE(save_drawing(*drawing, target, file_kind_ascii_dxf, 7, false, 6, 1, 0));
    EXPECT_EQ(last_error(lib), 3);
    EXPECT_EQ(list_dir(dir), std::vector<std::string>{"taken.dxf"});
}

TEST_F(WriterTest, WriteFailureAnywhereLeavesTheOldFileAndReportsDiskFull) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    const std::string target = dir + "/sample.dxf";
    write_file(target, "old contents");
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    // Fail the write at several points: header, tables, entities, the end.
    ASSERT_TRUE(save_drawing(*sample.drawing, dir + "/full.dxf", file_kind_ascii_dxf, 7, false, 6, 1, 0));
    const std::uint64_t size = read_file(dir + "/full.dxf").size();
    for (std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{100}, size / 2, size - 1}) {
        SCOPED_TRACE(limit);
        lib.write_limit = limit;
        EXPECT_FALSE(save_drawing(*sample.drawing, target, file_kind_ascii_dxf, 7, false, 6, 1, 0));
        EXPECT_EQ(last_error(lib), 27);
        EXPECT_EQ(read_file(target), "old contents");
        EXPECT_EQ(list_dir(dir).size(), 2u);
    }
    EXPECT_EQ(severities, std::vector<std::int16_t>(4, severity_disk_full));
    lib.write_limit = size;
    EXPECT_TRUE(save_drawing(*sample.drawing, target, file_kind_ascii_dxf, 7, false, 6, 1, 0));
    EXPECT_EQ(read_file(target), read_file(dir + "/full.dxf"));
}

TEST_F(WriterTest, SavingTwiceGivesTheSameText) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    const std::string a = dir + "/a.dxf", b = dir + "/b.dxf";
    ASSERT_TRUE(save_drawing(*sample.drawing, a, file_kind_ascii_dxf, 7, false, 6, 1, 0));
    ASSERT_TRUE(save_drawing(*sample.drawing, b, file_kind_ascii_dxf, 7, false, 6, 1, 0));
    EXPECT_EQ(read_file(a), read_file(b));
    EXPECT_EQ(read_file(a).find("\n"), read_file(a).find("\r\n") + 1);
}

}  // namespace
}  // namespace penloom::testing
