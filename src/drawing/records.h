// Drawing database records: the plain data the translator fills and hands to
// the database (entity header and type-specific record, symbol table records),
// version codes and handles. No behaviour here beyond small handle helpers;
// the operations live in drawing.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace penloom {

// Drawing file versions. The DXF writer produces 4..7 itself.
enum VersionCode : std::int16_t {
    version_ac1002 = 0,
    version_ac1003 = 1,
    version_ac1004 = 2,
    version_ac1006 = 3,
    version_r12 = 4,   // AC1009
    version_r13 = 5,   // AC1012
    version_r14 = 6,   // AC1014
    version_2000 = 7,  // AC1015
    version_2004 = 8,  // AC1018, not written by the database
    version_2007 = 9,  // AC1021, not written by the database
};

// "AC1009" and so on; nullptr outside 0..9.
const char* version_string(int version);

// 8 bytes, most significant first. All zero means "none".
using Handle = std::array<std::uint8_t, 8>;

inline std::uint64_t handle_value(const Handle& h) {
    std::uint64_t v = 0;
    for (std::uint8_t b : h)
        v = (v << 8) | b;
    return v;
}
Handle make_handle(std::uint64_t value);
inline bool is_null_handle(const Handle& h) { return handle_value(h) == 0; }

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

struct Point3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline bool operator==(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Identifier of a blob of the drawing; 0 means none.
using BlobId = std::uint32_t;

// Fixed entity type codes (index into the entity-name table plus one). Class
// entities (LWPOLYLINE, HATCH) get their codes per drawing: lwpolyline_type,
// hatch_type.
enum EntityType : std::uint16_t {
    entity_line = 1,
    entity_point = 2,
    entity_circle = 3,
    entity_shape = 4,
    entity_ellipse = 5,
    entity_spline = 6,
    entity_text = 7,
    entity_arc = 8,
    entity_trace = 9,
    entity_region = 10,
    entity_solid = 11,
    entity_block = 12,
    entity_endblk = 13,
    entity_insert = 14,
    entity_attdef = 15,
    entity_attrib = 16,
    entity_seqend = 17,
    entity_polyline = 19,
    entity_vertex = 20,
    entity_3dline = 21,
    entity_3dface = 22,
    entity_dimension = 23,
    entity_viewport = 24,
    entity_3dsolid = 25,
    entity_ray = 26,
    entity_xline = 27,
    entity_mtext = 28,
    entity_leader = 29,
    entity_tolerance = 30,
    entity_mline = 31,
    entity_body = 35,
};

// Flag bits of EntityHeader::flags.
constexpr std::uint16_t entity_flag_paper_space = 1;
constexpr std::uint16_t entity_flag_invisible = 4;

// The common part of every entity. Reused by the caller for every entity.
struct EntityHeader {
    std::uint16_t type = 0;
    Handle handle{};
    Handle layer{};
    Handle linetype{};
    std::int16_t color = 256;       // 0 BYBLOCK, 1..255, 256 BYLAYER
    double linetype_scale = 1.0;
    double scale2 = 1.0;            // second scale factor, not written to DXF
    std::int16_t lineweight = -1;   // 1/100 mm; -1 BYLAYER
    std::uint16_t flags = 0;        // entity_flag_*
};

struct TextData {
    Point3 insert;
    Point3 align;                   // alignment point, used when justified
    double height = 1.0;            // drawing units
    std::string text;
    double rotation = 0.0;          // radians
    double width_factor = 1.0;
    double oblique = 0.0;           // radians
    Handle style{};                 // zero: the drawing's STANDARD style
    std::int16_t generation = 0;    // 2 backwards, 4 upside down
    std::int16_t halign = 0;        // 72
    std::int16_t valign = 0;        // 73
    double thickness = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
};

struct CircleData {
    Point3 center;
    double radius = 1.0;
    double thickness = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
};

struct ArcData {
    Point3 center;
    double radius = 1.0;
    double start_angle = 0.0;                 // radians
    double end_angle = 6.283185307179586;     // radians
    double thickness = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
};

// A full or partial ellipse (R13 and later). The parameters run from the
// major axis towards the minor one, counter-clockwise about the extrusion.
struct EllipseData {
    Point3 center;
    Point3 major_axis{1.0, 0.0, 0.0};         // end point relative to the centre
    Point3 extrusion{0.0, 0.0, 1.0};
    double ratio = 1.0;                       // minor / major, 0 < ratio <= 1
    double start_parameter = 0.0;             // radians
    double end_parameter = 6.283185307179586; // radians
};

// POLYLINE flag bits.
constexpr std::uint16_t polyline_closed = 1;
constexpr std::uint16_t polyline_continuous_linetype = 128;

struct PolylineData {
    std::uint16_t flags = 0;
    double start_width = 0.0;
    double end_width = 0.0;
    double elevation = 0.0;
    double thickness = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
    std::int16_t mesh_m = 0;        // 71..75, 0 for 2D polylines
    std::int16_t mesh_n = 0;
    std::int16_t smooth_m = 0;
    std::int16_t smooth_n = 0;
    std::int16_t smooth_type = 0;
};

struct VertexData {
    Point3 location;
    double start_width = 0.0;
    double end_width = 0.0;
    double bulge = 0.0;
    std::uint16_t flags = 0;
};

// LWPOLYLINE flag word bits.
constexpr std::uint16_t lwpolyline_has_constant_width = 4;
constexpr std::uint16_t lwpolyline_has_bulges = 16;
constexpr std::uint16_t lwpolyline_has_widths = 32;
constexpr std::uint16_t lwpolyline_translator_mark = 128;
constexpr std::uint16_t lwpolyline_plinegen = 256;
constexpr std::uint16_t lwpolyline_closed = 512;

// Vertex blob: per vertex x, y (one 16-byte write), then the bulge (8 bytes)
// when lwpolyline_has_bulges is set, then start and end width (two 8-byte
// writes) when lwpolyline_has_widths is set.
struct LwpolylineData {
    std::int32_t vertex_count = 0;
    std::uint16_t flags = 0;
    double elevation = 0.0;
    double constant_width = 0.0;
    double thickness = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
    BlobId vertices = 0;
};

// Hatch boundary path flag bits and edge types.
constexpr std::int32_t hatch_path_external = 1;
constexpr std::int32_t hatch_path_polyline = 2;
constexpr std::int32_t hatch_path_outermost = 16;
constexpr std::uint8_t hatch_edge_line = 1;
constexpr std::uint8_t hatch_edge_arc = 2;
constexpr std::uint8_t hatch_edge_ellipse = 3;
constexpr std::uint8_t hatch_edge_spline = 4;

// Blobs of a HATCH, each filled with blob_write in these widths:
//  paths: per path the flags (4); a polyline path (flag 2): has-bulge (2),
//    closed (2), vertex count (4), per vertex x, y (16) and the bulge (8) when
//    has-bulge is 1; an edge path: edge count (4), per edge its type (1) and
//    line: start (16), end (16); arc: centre (16), radius, start and end angle
//    in radians (8 each), counter-clockwise (2); ellipse: centre (16), major
//    axis end point relative to the centre (16), minor/major ratio, start and
//    end parameter (8 each), counter-clockwise (2); spline: degree (4),
//    rational (2), periodic (2), knot count (4), control point count (4), the
//    knots (8 each), the control points (16 each, plus a weight of 8 each when
//    rational). Every path ends with its source object count (4).
//  sources: one 8-byte handle per source object, all paths in order.
//  pattern lines: per line the angle (radians), base x, base y, offset x,
//    offset y (8 each), dash count (2), the dashes (8 each).
//  seeds: per seed point x, y (16).
struct HatchData {
    double elevation = 0.0;
    Point3 extrusion{0.0, 0.0, 1.0};
    std::string pattern_name = "SOLID";
    std::int16_t solid_fill = 1;
    std::int16_t associative = 0;
    std::int32_t path_count = 0;
    BlobId paths = 0;
    BlobId sources = 0;
    std::int16_t hatch_style = 0;
    std::int16_t pattern_type = 1;
    double pattern_angle = 0.0;     // radians
    double pattern_scale = 1.0;
    std::int16_t pattern_double = 0;
    std::int16_t pattern_line_count = 0;
    BlobId pattern_lines = 0;
    bool has_pixel_size = false;
    double pixel_size = 0.0;
    std::int32_t seed_count = 0;
    BlobId seeds = 0;
};

// The type-specific part of an entity: the member that matches the header's
// type is the one used. Reused by the caller for every entity.
struct EntityRecord {
    TextData text;
    CircleData circle;
    ArcData arc;
    EllipseData ellipse;
    PolylineData polyline;
    VertexData vertex;
    LwpolylineData lwpolyline;
    HatchData hatch;
};

// ---- Symbol table records ----

struct LayerTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    std::int16_t color = 7;
    Handle linetype{};
    Handle handle{};
    std::uint8_t plot = 1;
    std::int16_t lineweight = -3;   // -3 default lineweight
    Handle plot_style{};
};

struct LinetypeDash {
    double length = 0.0;            // positive dash, negative gap, 0 dot
    std::int16_t complex_type = 0;  // 74
    std::int16_t shape = 0;         // 75
    double scale = 1.0;             // 46
    double rotation = 0.0;          // 50, radians
    double offset_x = 0.0;          // 44
    double offset_y = 0.0;          // 45
    std::string text;               // 9
};

struct LinetypeTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    std::string description;
    std::int16_t alignment = 'A';
    double pattern_length = 0.0;
    std::vector<LinetypeDash> dashes;
    Handle handle{};
};

struct TextStyleTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    double fixed_height = 0.0;
    double width_factor = 1.0;
    double oblique = 0.0;           // radians
    std::int16_t generation = 0;
    double last_height = 2.5;
    std::string font_file = "txt";
    std::string bigfont_file;
    Handle handle{};
};

struct RegAppTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    Handle handle{};
};

struct VportTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    Point2 lower_left{0.0, 0.0};
    Point2 upper_right{1.0, 1.0};
    Point2 view_center{210.0, 148.5};
    Point2 snap_base{0.0, 0.0};
    Point2 snap_spacing{10.0, 10.0};
    Point2 grid_spacing{10.0, 10.0};
    Point3 view_direction{0.0, 0.0, 1.0};
    Point3 target{0.0, 0.0, 0.0};
    double view_height = 297.0;
    double aspect_ratio = 1.0;
    double lens_length = 50.0;
    double front_clip = 0.0;
    double back_clip = 0.0;
    double snap_angle = 0.0;        // radians
    double twist_angle = 0.0;       // radians
    std::int16_t view_mode = 0;
    std::int16_t circle_zoom = 1000;
    std::int16_t fast_zoom = 1;
    std::int16_t ucs_icon = 3;
    std::int16_t snap_on = 0;
    std::int16_t grid_on = 0;
    std::int16_t snap_style = 0;
    std::int16_t snap_isopair = 0;
    Handle handle{};
};

struct ViewTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    double height = 1.0;
    double width = 1.0;
    Point2 center;
    Point3 direction{0.0, 0.0, 1.0};
    Point3 target;
    double lens_length = 50.0;
    double front_clip = 0.0;
    double back_clip = 0.0;
    double twist_angle = 0.0;       // radians
    std::int16_t view_mode = 0;
    Handle handle{};
};

struct UcsTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    Point3 origin;
    Point3 x_axis{1.0, 0.0, 0.0};
    Point3 y_axis{0.0, 1.0, 0.0};
    Handle handle{};
};

struct DimStyleTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    Handle handle{};
};

struct BlockTableRecord {
    std::string name;
    std::uint8_t flags = 0;
    Handle handle{};
};

}  // namespace penloom
