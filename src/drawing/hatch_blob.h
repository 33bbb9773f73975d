// Readers of the blob layouts of LWPOLYLINE and HATCH (layouts in records.h).
//
// In: the bytes of a blob. Out: calls on a visitor, one per path, edge,
// vertex, pattern line or seed, in blob order. add_entity walks a HATCH's
// blobs with a visitor that does nothing, to refuse damaged ones before they
// are stored; the DXF writer walks them again to write the groups.
#pragma once

#include <cstdint>
#include <cstring>

#include "drawing/records.h"

namespace penloom {

struct BlobReader {
    const std::uint8_t* p = nullptr;
    const std::uint8_t* end = nullptr;
    bool ok = true;

    template <class T>
    T get() {
        T value{};
        if (static_cast<std::size_t>(end - p) < sizeof(T)) {
            ok = false;
            p = end;
            return value;
        }
        std::memcpy(&value, p, sizeof(T));
        p += sizeof(T);
        return value;
    }
    double real() { return get<double>(); }
};

// Walks path_count boundary paths. The visitor provides:
//   polyline_path(flags, has_bulge, closed, count); vertex(x, y, bulge, has_bulge)
//   edge_path(flags, count); line_edge(x1, y1, x2, y2); arc_edge(cx, cy, r, a0, a1, ccw)
//   ellipse_edge(cx, cy, mx, my, ratio, a0, a1, ccw)
//   spline_edge(degree, rational, periodic, knots, controls); knot(k); control(x, y, w, rational)
//   sources(count); source(handle)
// Returns false when the blobs end early or hold an unknown edge type.
template <class Visitor>
bool walk_hatch_paths(BlobReader paths, BlobReader sources, std::int32_t path_count, Visitor& v) {
    for (std::int32_t i = 0; i < path_count && paths.ok; ++i) {
        const auto flags = paths.get<std::int32_t>();
        if (flags & hatch_path_polyline) {
            const auto has_bulge = paths.get<std::int16_t>();
            const auto closed = paths.get<std::int16_t>();
            const auto count = paths.get<std::int32_t>();
            if (!paths.ok || count < 0)
                return false;
            v.polyline_path(flags, has_bulge, closed, count);
            for (std::int32_t k = 0; k < count && paths.ok; ++k) {
                const double x = paths.real();
                const double y = paths.real();
                const double bulge = has_bulge ? paths.real() : 0.0;
                if (paths.ok)
                    v.vertex(x, y, bulge, has_bulge != 0);
            }
        } else {
            const auto count = paths.get<std::int32_t>();
            if (!paths.ok || count < 0)
                return false;
            v.edge_path(flags, count);
            for (std::int32_t k = 0; k < count && paths.ok; ++k) {
                const auto type = paths.get<std::uint8_t>();
                if (type == hatch_edge_line) {
                    const double x1 = paths.real(), y1 = paths.real(), x2 = paths.real(), y2 = paths.real();
                    if (paths.ok)
                        v.line_edge(x1, y1, x2, y2);
                } else if (type == hatch_edge_arc) {
                    const double cx = paths.real(), cy = paths.real(), r = paths.real();
                    const double a0 = paths.real(), a1 = paths.real();
                    const auto ccw = paths.get<std::int16_t>();
                    if (paths.ok)
                        v.arc_edge(cx, cy, r, a0, a1, ccw);
                } else if (type == hatch_edge_ellipse) {
                    const double cx = paths.real(), cy = paths.real(), mx = paths.real(), my = paths.real();
                    const double ratio = paths.real(), a0 = paths.real(), a1 = paths.real();
                    const auto ccw = paths.get<std::int16_t>();
                    if (paths.ok)
                        v.ellipse_edge(cx, cy, mx, my, ratio, a0, a1, ccw);
                } else if (type == hatch_edge_spline) {
                    const auto degree = paths.get<std::int32_t>();
                    const auto rational = paths.get<std::int16_t>();
                    const auto periodic = paths.get<std::int16_t>();
                    const auto knots = paths.get<std::int32_t>();
                    const auto controls = paths.get<std::int32_t>();
                    if (!paths.ok || knots < 0 || controls < 0)
                        return false;
                    v.spline_edge(degree, rational, periodic, knots, controls);
                    for (std::int32_t j = 0; j < knots && paths.ok; ++j) {
                        const double kv = paths.real();
                        if (paths.ok)
                            v.knot(kv);
                    }
                    for (std::int32_t j = 0; j < controls && paths.ok; ++j) {
                        const double x = paths.real(), y = paths.real();
                        const double w = rational ? paths.real() : 1.0;
                        if (paths.ok)
                            v.control(x, y, w, rational != 0);
                    }
                } else {
                    return false;
                }
            }
        }
        const auto source_count = paths.get<std::int32_t>();
        if (!paths.ok || source_count < 0)
            return false;
        v.sources(source_count);
        for (std::int32_t k = 0; k < source_count; ++k) {
            const auto raw = sources.get<Handle>();
            if (!sources.ok)
                return false;
            v.source(raw);
        }
    }
    return paths.ok;
}

// Walks line_count pattern lines: line(angle, bx, by, ox, oy, dash_count) then
// dash(length) per dash.
template <class Visitor>
bool walk_pattern_lines(BlobReader r, std::int32_t line_count, Visitor& v) {
    for (std::int32_t i = 0; i < line_count && r.ok; ++i) {
        const double angle = r.real(), bx = r.real(), by = r.real(), ox = r.real(), oy = r.real();
        const auto dashes = r.get<std::int16_t>();
        if (!r.ok || dashes < 0)
            return false;
        v.line(angle, bx, by, ox, oy, dashes);
        for (std::int16_t k = 0; k < dashes && r.ok; ++k) {
            const double d = r.real();
            if (r.ok)
                v.dash(d);
        }
    }
    return r.ok;
}

// A visitor that only lets the walk check the layout.
struct NullHatchVisitor {
    void polyline_path(std::int32_t, std::int16_t, std::int16_t, std::int32_t) {}
    void vertex(double, double, double, bool) {}
    void edge_path(std::int32_t, std::int32_t) {}
    void line_edge(double, double, double, double) {}
    void arc_edge(double, double, double, double, double, std::int16_t) {}
    void ellipse_edge(double, double, double, double, double, double, double, std::int16_t) {}
    void spline_edge(std::int32_t, std::int16_t, std::int16_t, std::int32_t, std::int32_t) {}
    void knot(double) {}
    void control(double, double, double, bool) {}
    void sources(std::int32_t) {}
    void source(const Handle&) {}
    void line(double, double, double, double, double, std::int16_t) {}
    void dash(double) {}
};

// Bytes one LWPOLYLINE vertex takes in its blob under the given flag word.
inline std::size_t lwpolyline_vertex_size(std::uint16_t flags) {
    return 16 + ((flags & lwpolyline_has_bulges) ? 8 : 0) + ((flags & lwpolyline_has_widths) ? 16 : 0);
}

}  // namespace penloom
