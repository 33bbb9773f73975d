// The DXF writer: exact groups of each entity kind per version, header
// variables, tables, and saves that fail (with their error and no file left).
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/dxf_output.h"
#include "drawing_fixture.h"
#include "sample_drawing.h"

namespace penloom::testing {
namespace {

constexpr double pi = 3.141592653589793;

class WriterTest : public DrawingTest {
protected:
    void make(int version) {
        drawing = create_drawing(lib, version);
        ASSERT_TRUE(drawing);
        Handle model;
        ASSERT_TRUE(find_block(*drawing, "*MODEL_SPACE", model));
        ms = block_entity_list(*drawing, model);
        owner = hex(model);
    }
    // Adds an entity of `type` once `fill` has set it; returns its handle.
    template <class Fill>
    std::string add(std::uint16_t type, Fill fill) {
        EntityHeader h;
        EntityRecord r;
        h.type = type;
        EXPECT_TRUE(init_entity(*drawing, h, r));
        new_handle(*drawing, h.handle);
        fill(h, r);
        EXPECT_TRUE(add_entity(*drawing, *ms, h, r)) << last_error(lib);
        return hex(h.handle);
    }
    // The groups between "2 ENTITIES" and its "0 ENDSEC".
    std::string entities(int version, int places = 6) {
        const std::string text = save_text(*drawing, version, places);
        const std::size_t start = text.find("  2\r\nENTITIES\r\n") + 15;
        return text.substr(start, text.find("  0\r\nENDSEC\r\n", start) - start);
    }
    // An entity's first groups from R13 on; in 2000 with the reactors to the model space.
    std::string head(const char* type, const std::string& handle, bool reactors = true) const {
        return std::string("0 ") + type + "|5 " + handle +
               (reactors ? "|102 {ACAD_REACTORS|330 " + owner + "|102 }" : "") + "|100 AcDbEntity|8 0|";
    }
    // The value of a header variable's first group, or "(absent)".
    static std::string header_value(const std::string& text, const std::string& name) {
        const std::size_t at = text.find("  9\r\n" + name + "\r\n");
        if (at == std::string::npos) return "(absent)";
        const std::size_t value = text.find("\r\n", at + name.size() + 7) + 2;
        return text.substr(value, text.find("\r\n", value) - value);
    }

    std::unique_ptr<Drawing> drawing;
    EntityList* ms = nullptr;
    std::string owner;  // the model space's block record
};

// Entities in a row share their common groups as long as the header fields
// behind them agree: the invisible flag and, in R12, the thickness break the run.
TEST_F(WriterTest, EntitiesInARowKeepTheirOwnCommonGroups) {
    const std::string body = "100 AcDbCircle|10 1.0|20 0.0|30 0.0|40 1.0|210 0.0|220 0.0|230 1.0|";
    make(7);
    std::string handles[3];
    for (int i = 0; i < 3; ++i)
        handles[i] = add(entity_circle, [i](EntityHeader& e, EntityRecord& r) {
            if (i == 1) e.flags = entity_flag_invisible;
            r.circle.center = Point3{1.0, 0.0, 0.0}, r.circle.radius = 1.0;
        });
    std::string text = entities(7);
    EXPECT_EQ(text, dxf(head("CIRCLE", handles[0]) + body + head("CIRCLE", handles[1]) + "60      1|" + body +
                        head("CIRCLE", handles[2]) + body.substr(0, body.size() - 1)));
    make(6);
    for (int i = 0; i < 3; ++i)
        handles[i] = add(entity_circle, [i](EntityHeader&, EntityRecord& r) {
            r.circle.thickness = i == 1 ? 1.5 : 0.0, r.circle.radius = 1.0;
        });
    const std::string r12_body = "|10 0.0|20 0.0|30 0.0|40 1.0|210 0.0|220 0.0|230 1.0|";
    text = entities(4);
    EXPECT_EQ(text, dxf("0 CIRCLE|8 0|5 " + handles[0] + r12_body + "0 CIRCLE|8 0|39 1.5|5 " + handles[1] + r12_body +
                        "0 CIRCLE|8 0|5 " + handles[2] + r12_body.substr(0, r12_body.size() - 1)));
}

// Through a 64-byte buffer: a NUL ends the string, a caret that is the
// second byte of a double-byte character stays, a last caret gets two blanks.
TEST_F(WriterTest, TextValuesAreEscaped) {
    const int fd = ::open((dir + "t").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    DxfOut out;
    out_open(out, fd, 64, UINT64_MAX, make_number_format(6, false));
    group_text(out, 1, std::string(200, 'x') + std::string("\x82^a\x82^\0CD", 8));
    out_flush(out);
    ::close(fd);
    EXPECT_EQ(slurp(dir + "t"), "  1\r\n" + std::string(200, 'x') + "\x82^a\x82^  \r\n");
}

TEST_F(WriterTest, CircleArcAndText) {
    make(7);
    std::string h = add(entity_circle, [](EntityHeader& e, EntityRecord& r) {
        e.color = 1, e.lineweight = 35, r.circle.center = Point3{10.0, 20.5, 0.0}, r.circle.radius = 2.0;
    });
    EXPECT_EQ(entities(7), dxf(head("CIRCLE", h) + "370     35|62      1|100 AcDbCircle|10 10.0|20 20.5|"
                                                   "30 0.0|40 2.0|210 0.0|220 0.0|230 1.0"));
    make(7);
    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5";
    ASSERT_TRUE(add_text_style(*drawing, style));
    ASSERT_TRUE(find_text_style(*drawing, "HP_STYLE_5", style.handle));
    h = add(entity_text, [&](EntityHeader&, EntityRecord& r) {
        r.text.insert = Point3{5.0, 6.0, 0.0}, r.text.align = Point3{7.0, 8.0, 0.0}, r.text.height = 2.5;
        r.text.text = "A^B\tC\rD^", r.text.rotation = pi / 6.0, r.text.width_factor = 0.8;
        r.text.style = style.handle, r.text.halign = 1, r.text.valign = 2;
    });
    EXPECT_EQ(entities(7), dxf(head("TEXT", h) + "100 AcDbText|10 5.0|20 6.0|30 0.0|40 2.5|"
                                                 "1 A^ B^IC^MD^  |50 30.0|41 0.8|7 HP_STYLE_5|72      1|"
                                                 "11 7.0|21 8.0|31 0.0|100 AcDbText|73      2"));
    make(6);  // R13: no reactors, angles in degrees
    h = add(entity_arc, [](EntityHeader&, EntityRecord& r) {
        r.arc.center = Point3{1.0, 2.0, 0.0}, r.arc.radius = 3.0;
        r.arc.start_angle = pi / 2.0, r.arc.end_angle = pi;
    });
    EXPECT_EQ(entities(5), dxf(head("ARC", h, false) + "100 AcDbCircle|10 1.0|20 2.0|30 0.0|40 3.0|"
                                                       "210 0.0|220 0.0|230 1.0|100 AcDbArc|50 90.0|"
                                                       "51 180.0"));
    make(6);  // R12: the handle after the common groups, the standard style not named; 0 places
    h = add(entity_text, [](EntityHeader&, EntityRecord& r) { r.text.text = "x"; });
    EXPECT_EQ(entities(4, 0), dxf("0 TEXT|8 0|5 " + h + "|10 0.0|20 0.0|30 0.0|40 1|1 x"));
}

TEST_F(WriterTest, Polylines) {
    make(7);
    std::string h = add(lwpolyline_type(*drawing), [&](EntityHeader&, EntityRecord& r) {
        r.lwpolyline.vertices = write_blob(*drawing, {0.0, 0.0, 0.5, 10.0, 0.0, 0.0});
        r.lwpolyline.vertex_count = 2;
        r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_bulges | lwpolyline_closed;
    });
    EXPECT_EQ(entities(7), dxf(head("LWPOLYLINE", h) + "100 AcDbPolyline|90         2|70      1|"
                                                       "10 0.0|20 0.0|42 0.5|10 10.0|20 0.0"));
    make(6);  // in R12 a POLYLINE whose VERTEX and SEQEND handles lie above the seed
    h = add(lwpolyline_type(*drawing), [&](EntityHeader& e, EntityRecord& r) {
        e.color = 5, r.lwpolyline.vertex_count = 2, r.lwpolyline.constant_width = 0.25;
        r.lwpolyline.vertices = write_blob(*drawing, {1.0, 2.0, 3.0, 4.0});
        r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_constant_width;
    });
    const std::uint64_t seed = drawing->handle_seed;
    auto above = [&](int n) { return hex(make_handle(seed + n)); };
    EXPECT_EQ(header_value(save_text(*drawing, 4), "$HANDSEED"), above(3));
    EXPECT_EQ(entities(4), dxf("0 POLYLINE|8 0|62      5|5 " + h + "|66      1|10 0.0|20 0.0|30 0.0|40 0.25|"
                               "41 0.25|210 0.0|220 0.0|230 1.0|0 VERTEX|8 0|62      5|5 " + above(0) +
                               "|10 1.0|20 2.0|30 0.0|70      0|0 VERTEX|8 0|62      5|5 " + above(1) +
                               "|10 3.0|20 4.0|30 0.0|70      0|0 SEQEND|8 0|62      5|5 " + above(2)));
    make(6);  // POLYLINE, VERTEX and SEQEND as stored, in R13
    const std::string poly =
        add(entity_polyline, [](EntityHeader&, EntityRecord& r) { r.polyline.flags = 129; });
    const std::string vertex = add(entity_vertex, [](EntityHeader&, EntityRecord& r) {
        r.vertex.location = Point3{1.0, 2.0, 0.0}, r.vertex.bulge = -0.5;
    });
    h = add(entity_seqend, [](EntityHeader&, EntityRecord&) {});
    EXPECT_EQ(entities(5), dxf(head("POLYLINE", poly, false) + "100 AcDb2dPolyline|66      1|10 0.0|"
                               "20 0.0|30 0.0|70    129|210 0.0|220 0.0|230 1.0|" +
                               head("VERTEX", vertex, false) + "100 AcDbVertex|100 AcDb2dVertex|10 1.0|" +
                               "20 2.0|30 0.0|42 -0.5|70      0|" +
                               head("SEQEND", h, false)));
}

TEST_F(WriterTest, SolidHatchUsesFullPrecisionPointsAndR12LeavesItOut) {
    make(7);
    const std::string h = add(hatch_type(*drawing), [&](EntityHeader&, EntityRecord& r) {
        r.hatch.path_count = 1, r.hatch.seed_count = 1, r.hatch.seeds = write_blob(*drawing, {0.0, 0.0});
        r.hatch.paths =
            write_blob(*drawing, {I32{2}, I16{0}, I16{1}, I32{3}, 0.0, 0.0, 1.0 / 3.0, 0.0, 0.0, 1.0,
                                  I32{0}});
    });
    EXPECT_EQ(entities(7, 3), dxf(head("HATCH", h) + "100 AcDbHatch|10 0.0|20 0.0|30 0.0|210 0.0|220 0.0|"
                                  "230 1.0|2 SOLID|70   1|71   0|91         1|92         2|72   0|73   1|"
                                  "93         3|10 0.0|20 0.0|10 0.3333333333333333|20 0.0|10 0.0|20 1.0|"
                                  "97         0|75   0|76   1|98         1|10 0.0|20 0.0"));
    EXPECT_EQ(entities(4), "");
}

// $ACADVER, $DWGCODEPAGE and $HANDLING per release: the empty plot's test in
// the driver suite and the read-back of the samples.
TEST_F(WriterTest, HeaderVariablesPerVersion) {
    make(7);
    HeaderRecord header;
    get_header(*drawing, header);
    header.tdcreate = JulianDate{2451545, 43200000}, header.maintenance_version = 3;
    set_header(*drawing, header);
    const struct { int version; const char* name; const char* value; } rows[] = {
        {4, "$ACADMAINTVER", "(absent)"}, {6, "$ACADMAINTVER", "     3"}, {7, "$ACADMAINTVER", "     6"},
        {4, "$AXISMODE", "     0"}, {5, "$AXISMODE", "(absent)"}, {7, "$TDCREATE", "2451545.500000000"},
        {6, "$CELWEIGHT", "(absent)"}, {7, "$CELWEIGHT", "    -1"}, {7, "$VIEWCTR", "(absent)"},
        {6, "$VIEWCTR", "210.0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(header_value(save_text(*drawing, row.version), row.name), row.value)
            << row.name << row.version;
    make(6);  // R12: the header ends after $VISRETAIN, $HANDSEED follows $HANDLING
    const std::string text = save_text(*drawing, 4);
    ASSERT_NE(text.find("$VISRETAIN"), std::string::npos);
    EXPECT_EQ(text.find("  9\r\n", text.find("$VISRETAIN")), std::string::npos);
    EXPECT_EQ(text.find("  9\r\n", text.find("$HANDLING")), text.find("  9\r\n$HANDSEED"));
    EXPECT_EQ(header_value(text, "$HANDSEED"), hex(make_handle(drawing->handle_seed)));
}

TEST_F(WriterTest, Tables) {
    make(6);
    const std::string r12 = save_text(*drawing, 4);
    EXPECT_NE(r12.find(dxf("0 TABLE|2 LTYPE|70      1|0 LTYPE|2 CONTINUOUS")), std::string::npos);
    const std::string r13 = save_text(*drawing, 5);
    const std::size_t table = r13.find("  2\r\nLTYPE\r\n");
    EXPECT_NE(r13.find(dxf("70      3|0 LTYPE|5 " + hex(drawing->byblock_linetype) +
                           "|100 AcDbSymbolTableRecord|100 AcDbLinetypeTableRecord|2 BYBLOCK"), table),
              std::string::npos);
    EXPECT_LT(r13.find("BYLAYER", table), r13.find("CONTINUOUS", table));
    make(7);  // layer names convert below 2000, and a duplicate is written once
    for (const char* name : {"My layer", "my layer"}) {
        LayerTableRecord layer;
        init_layer_record(*drawing, layer);
        layer.name = name, layer.linetype = Handle{}, layer.color = 3;
        ASSERT_TRUE(add_layer(*drawing, layer));
    }
    const std::string r14 = save_text(*drawing, 6), v2000 = save_text(*drawing, 7);
    EXPECT_NE(r14.find(dxf("2 MY_LAYER|70      0|62      3|6 CONTINUOUS")), std::string::npos);
    EXPECT_NE(r14.find(dxf("0 TABLE|2 LAYER|5 " + hex(drawing->layers.handle) +
                           "|100 AcDbSymbolTable|70      2")), std::string::npos);
    EXPECT_NE(v2000.find(dxf("2 My layer|70      0|62      3|6 Continuous|290      1|370     -3")),
              std::string::npos);
    EXPECT_EQ(v2000.find("my layer"), std::string::npos);
}

TEST_F(WriterTest, RefusedSavesLeaveNoFile) {
    make(6);
    ASSERT_EQ(::mkdir((dir + "taken.dxf").c_str(), 0755), 0);
    const struct { const char* name; std::string path; int kind; int version; int error; } rows[] = {
        {"newer than the drawing", dir + "x.dxf", file_kind_ascii_dxf, 7, 306},
        {"binary DXF", dir + "x.dxf", file_kind_binary_dxf, 6, 5},
        {"below R12", dir + "x.dxf", file_kind_ascii_dxf, 3, 21},
        {"a folder in the way", dir + "taken.dxf", file_kind_ascii_dxf, 6, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(save_drawing(*drawing, row.path, row.kind, row.version, false, 6, 1, 0));
        EXPECT_EQ(last_error(lib), row.error);
        EXPECT_EQ(names_in(dir), std::vector<std::string>{"taken.dxf"});
    }
}

// The text does not depend on where the output buffer is written out: at
// every offset of the sample's entities (their common groups are kept and
// copied once made) the save gives the text of one large buffer.
TEST_F(WriterTest, TheOutputBufferSizeDoesNotShowInTheText) {
    for (int version : {version_r12, version_2000}) {
        SampleDrawing sample = build_sample_drawing(lib, version);
        const std::string reference = save_text(*sample.drawing, version, 6, "large.dxf");
        for (std::size_t size = 256; size < 768; ++size) {
            lib.output_buffer = size;
            ASSERT_EQ(save_text(*sample.drawing, version, 6, "small.dxf"), reference) << version << " " << size;
        }
        lib.output_buffer = std::size_t{1} << 20;
    }
}

// Saving twice gives the same text; a write failing in the header, the
// entities or at the end leaves the old file and reports a full disk.
TEST_F(WriterTest, WriteFailureAnywhereLeavesTheOldFileAndReportsDiskFull) {
    SampleDrawing sample = build_sample_drawing(lib, 7);
    const std::string full = save_text(*sample.drawing, 7, 6, "full.dxf");
    EXPECT_EQ(save_text(*sample.drawing, 7, 6, "again.dxf"), full);
    spill(dir + "sample.dxf", "old contents");
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    for (std::uint64_t limit : {std::uint64_t{0}, full.size() / 2, full.size() - 1}) {
        lib.write_limit = limit;
        EXPECT_FALSE(save_drawing(*sample.drawing, dir + "sample.dxf", file_kind_ascii_dxf, 7, false, 6));
        EXPECT_EQ(last_error(lib), 27) << limit;
        EXPECT_EQ(slurp(dir + "sample.dxf"), "old contents");
        EXPECT_EQ(names_in(dir).size(), 3u);
    }
    EXPECT_EQ(severities, std::vector<std::int16_t>(3, severity_disk_full));
    lib.write_limit = full.size();
    EXPECT_EQ(save_text(*sample.drawing, 7, 6, "sample.dxf"), full);
}

}  // namespace
}  // namespace penloom::testing
