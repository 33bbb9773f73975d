// DWG object of a HATCH. In: the decoded entity with its path, source,
// pattern-line and seed blobs. Out: its object: boundary paths (polyline
// paths and edge paths of lines, arcs, ellipses and splines), pattern lines,
// seed points, then the common handles and the boundary source objects.
#include "drawing/dwg_entities.h"
#include "drawing/hatch_blob.h"

namespace penloom {

namespace {

// Writes the paths as the blob walk visits them; counts the source handles,
// which go into the handle part after the common handles.
struct PathBits {
    BitWriter& w;
    std::int64_t source_count = 0;
    bool derived = false;  // a path taken from other objects: the pixel size follows

    void polyline_path(std::int32_t flags, std::int16_t has_bulge, std::int16_t closed,
                       std::int32_t count) {
        derived = derived || (flags & 4);
        put_bl(w, flags);
        put_b(w, has_bulge != 0);
        put_b(w, closed != 0);
        put_bl(w, count);
    }
    void vertex(double x, double y, double bulge, bool has_bulge) {
        put_2rd(w, Point2{x, y});
        if (has_bulge) put_bd(w, bulge);
    }
    void edge_path(std::int32_t flags, std::int32_t count) {
        derived = derived || (flags & 4);
        put_bl(w, flags);
        put_bl(w, count);
    }
    void line_edge(double x1, double y1, double x2, double y2) {
        put_rc(w, hatch_edge_line);
        put_2rd(w, Point2{x1, y1});
        put_2rd(w, Point2{x2, y2});
    }
    void arc_edge(double cx, double cy, double r, double a0, double a1, std::int16_t ccw) {
        put_rc(w, hatch_edge_arc);
        put_2rd(w, Point2{cx, cy});
        put_bd(w, r);
        put_bd(w, a0);
        put_bd(w, a1);
        put_b(w, ccw != 0);
    }
    void ellipse_edge(double cx, double cy, double mx, double my, double ratio, double a0,
                      double a1, std::int16_t ccw) {
        put_rc(w, hatch_edge_ellipse);
        put_2rd(w, Point2{cx, cy});
        put_2rd(w, Point2{mx, my});
        put_bd(w, ratio);
        put_bd(w, a0);
        put_bd(w, a1);
        put_b(w, ccw != 0);
    }
    void spline_edge(std::int32_t degree, std::int16_t rational, std::int16_t periodic,
                     std::int32_t knots, std::int32_t controls) {
        put_rc(w, hatch_edge_spline);
        put_bl(w, degree);
        put_b(w, rational != 0);
        put_b(w, periodic != 0);
        put_bl(w, knots);
        put_bl(w, controls);
    }
    void knot(double k) { put_bd(w, k); }
    void control(double x, double y, double weight, bool rational) {
        put_2rd(w, Point2{x, y});
        if (rational) put_bd(w, weight);
    }
    void sources(std::int32_t count) {
        put_bl(w, count);
        source_count += count;
    }
    void source(const Handle&) {}
    void line(double angle, double bx, double by, double ox, double oy, std::int16_t dashes) {
        put_bd(w, angle);
        put_2bd(w, Point2{bx, by});
        put_2bd(w, Point2{ox, oy});
        put_bs(w, dashes);
    }
    void dash(double d) { put_bd(w, d); }
};

BlobReader reader_of(const std::vector<std::uint8_t>& bytes) {
    return BlobReader{bytes.data(), bytes.data() + bytes.size()};
}

}  // namespace

void write_dwg_hatch(DwgContext& c, DwgEntityScratch& s, const StoredEntity& e,
                     const DwgEntityCommon& k) {
    const HatchData& h = e.record.hatch;
    BitWriter& w = c.object;
    begin_entity(c, w, c.hatch_class, handle_bits(e.header.handle));
    put_entity_common(c, w, k);
    if (c.r2004()) {  // no gradient: flag, reserved, angle, shift, single colour, tint, colours,
                      // name
        put_bl(w, 0);
        put_bl(w, 0);
        put_bd(w, 0.0);
        put_bd(w, 0.0);
        put_bl(w, 0);
        put_bd(w, 0.0);
        put_bl(w, 0);
        put_tv(w, "", c.version);
    }
    put_bd(w, h.elevation);
    put_3bd(w, h.extrusion);
    put_tv(w, h.pattern_name, c.version);
    put_b(w, h.solid_fill != 0);
    put_b(w, h.associative != 0);
    put_bl(w, h.path_count);

    PathBits paths{w};
    read_entity_blob(s, e.paths, s.blob);
    read_entity_blob(s, e.sources, s.blob2);
    // add_entity walked these blobs before it stored them: they hold together.
    walk_hatch_paths(reader_of(s.blob), reader_of(s.blob2), h.path_count, paths);

    put_bs(w, h.hatch_style);
    put_bs(w, h.pattern_type);
    if (!h.solid_fill) {
        put_bd(w, h.pattern_angle);
        put_bd(w, h.pattern_scale);
        put_b(w, h.pattern_double != 0);
        put_bs(w, h.pattern_line_count);
        read_entity_blob(s, e.pattern_lines, s.blob);
        walk_pattern_lines(reader_of(s.blob), h.pattern_line_count, paths);
    }
    // The pixel size has no flag of its own: it is there when a path is derived.
    if (paths.derived) put_bd(w, h.pixel_size);
    put_bl(w, h.seed_count);
    read_entity_blob(s, e.seeds, s.blob);
    BlobReader seeds = reader_of(s.blob);
    for (std::int32_t i = 0; i < h.seed_count; ++i) {
        const double x = seeds.real();
        const double y = seeds.real();
        put_2rd(w, Point2{x, y});
    }

    start_handles(c, w);
    put_entity_handles(c, w, k);
    BlobReader sources = reader_of(s.blob2);
    for (std::int64_t i = 0; i < paths.source_count; ++i)
        put_h(w, 4, handle_bits(sources.get<Handle>()));
    end_object(c, w);
}

}  // namespace penloom
