// Drawn entities as plain records, for comparing geometry exactly: read
// from an open drawing's store (the in-memory runs) or from DXF text (whole
// runs), with builders for the expected ones and a comparison to 1e-9.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "construction/open_path.h"
#include "drawing/entity_codec.h"
#include "driver/context.h"
#include "support/dxf_text.h"

namespace penloom::testing {

struct Drawn {
    std::string kind;  // "LWPOLYLINE", "POLYLINE", "CIRCLE", "ARC"
    std::vector<PathVertex> vertices;
    bool closed = false;
    double cx = 0, cy = 0, radius = 0, start = 0, end = 0;  // angles in degrees
    int colour = 256;
    int lineweight = -1;
    double width = 0.0;  // constant width (LWPOLYLINE) or start width (POLYLINE)
    std::uint16_t flags = 0;
};

// Calls visit(entity) for every entity in the drawing's store, in the order added.
template <typename Visit>
void for_each_stored_entity(const Context& ctx, Visit visit) {
    const Drawing& drawing = *ctx.drawing.drawing;
    StoreCursor cursor{&drawing.store, 0};
    RecordKind kind;
    std::vector<std::uint8_t> payload;
    StoredEntity e;  // each record is decoded onto the one before
    std::span<const std::uint8_t> view;
    while (next_record(cursor, kind, payload, view)) {
        if (kind != RecordKind::entity) continue;
        if (!decode_entity(view, lwpolyline_type(drawing), hatch_type(drawing), e)) return;
        visit(e);
    }
}

// Every model-space entity in the order added; VERTEX entities go into
// their POLYLINE and SEQEND is dropped.
inline std::vector<Drawn> drawn_entities(const Context& ctx) {
    std::vector<Drawn> out;
    const Drawing& drawing = *ctx.drawing.drawing;
    for_each_stored_entity(ctx, [&](const StoredEntity& e) {
        Drawn d;
        d.colour = e.header.color;
        d.lineweight = e.header.lineweight;
        switch (e.kind) {
            case EntityKind::lwpolyline: {
                const LwpolylineData& lw = e.record.lwpolyline;
                d.kind = "LWPOLYLINE";
                d.flags = lw.flags;
                d.closed = (lw.flags & lwpolyline_closed) != 0;
                d.width = lw.constant_width;
                const bool bulges = (lw.flags & lwpolyline_has_bulges) != 0;
                std::vector<std::uint8_t> bytes(e.vertices.size);
                store_read(drawing.store, e.vertices.offset, bytes.data(), bytes.size());
                const std::size_t step = bulges ? 24 : 16;
                for (std::size_t at = 0; at + step <= bytes.size(); at += step) {
                    PathVertex v;
                    std::memcpy(&v.x, &bytes[at], 8);
                    std::memcpy(&v.y, &bytes[at + 8], 8);
                    if (bulges) std::memcpy(&v.bulge, &bytes[at + 16], 8);
                    d.vertices.push_back(v);
                }
                out.push_back(d);
                break;
            }
            case EntityKind::polyline:
                d.kind = "POLYLINE";
                d.flags = e.record.polyline.flags;
                d.closed = (e.record.polyline.flags & polyline_closed) != 0;
                d.width = e.record.polyline.start_width;
                out.push_back(d);
                break;
            case EntityKind::vertex:
                if (!out.empty() && out.back().kind == "POLYLINE") {
                    const VertexData& v = e.record.vertex;
                    out.back().vertices.push_back({v.location.x, v.location.y, v.bulge});
                }
                break;
            case EntityKind::circle:
                d.kind = "CIRCLE";
                d.cx = e.record.circle.center.x, d.cy = e.record.circle.center.y;
                d.radius = e.record.circle.radius;
                out.push_back(d);
                break;
            case EntityKind::arc:
                d.kind = "ARC";
                d.cx = e.record.arc.center.x, d.cy = e.record.arc.center.y;
                d.radius = e.record.arc.radius;
                d.start = e.record.arc.start_angle * 180.0 / M_PI;
                d.end = e.record.arc.end_angle * 180.0 / M_PI;
                out.push_back(d);
                break;
            default: break;
        }
    });
    return out;
}

// Shorthands for expected entities: a polyline with vertices (x, y[, bulge]),
// an arc (angles in degrees) and a circle.
inline Drawn polyline(std::vector<PathVertex> vertices, bool closed = false) {
    Drawn d;
    d.kind = "LWPOLYLINE";
    d.vertices = std::move(vertices);
    d.closed = closed;
    return d;
}

inline Drawn arc(double cx, double cy, double r, double start, double end) {
    Drawn d;
    d.kind = "ARC";
    d.cx = cx, d.cy = cy, d.radius = r, d.start = start, d.end = end;
    return d;
}

inline Drawn circle(double cx, double cy, double r) {
    Drawn d = arc(cx, cy, r, 0, 0);
    d.kind = "CIRCLE";
    return d;
}

inline std::ostream& operator<<(std::ostream& os, const Drawn& d) {
    os << d.kind;
    if (d.kind == "ARC" || d.kind == "CIRCLE")
        os << " c(" << d.cx << "," << d.cy << ") r" << d.radius << " " << d.start << ".." << d.end;
    else {
        os << (d.closed ? " closed" : " open");
        for (const PathVertex& v : d.vertices) os << " (" << v.x << "," << v.y << "," << v.bulge << ")";
    }
    return os;
}

// Geometry equal to 1e-9 (kind, vertices with bulges, closed flag; centre,
// radius, angles).
inline bool same_geometry(const Drawn& a, const Drawn& b) {
    auto near = [](double p, double q) { return std::fabs(p - q) <= 1e-9; };
    if (a.kind != b.kind || a.closed != b.closed || a.vertices.size() != b.vertices.size()) return false;
    for (std::size_t i = 0; i < a.vertices.size(); ++i)
        if (!near(a.vertices[i].x, b.vertices[i].x) || !near(a.vertices[i].y, b.vertices[i].y) ||
            !near(a.vertices[i].bulge, b.vertices[i].bulge))
            return false;
    return near(a.cx, b.cx) && near(a.cy, b.cy) && near(a.radius, b.radius) && near(a.start, b.start) &&
           near(a.end, b.end);
}

// Compares whole lists, printing both on a mismatch.
inline ::testing::AssertionResult same_entities(const std::vector<Drawn>& got,
                                                const std::vector<Drawn>& expected) {
    bool same = got.size() == expected.size();
    for (std::size_t i = 0; same && i < got.size(); ++i) same = same_geometry(got[i], expected[i]);
    if (same) return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure() << "\n got:";
    for (const Drawn& d : got) result << "\n   " << d;
    result << "\n expected:";
    for (const Drawn& d : expected) result << "\n   " << d;
    return result;
}

// The line work of a DXF's ENTITIES section, counted by type in `counts`.
// A POLYLINE becomes an "LWPOLYLINE" record holding its VERTEX entities
// (its own point is no vertex).
inline std::vector<Drawn> line_work_of(const std::string& dxf, std::map<std::string, int>& counts) {
    std::vector<Drawn> out;
    bool open = false;  // the last record started a polyline that takes vertices
    for (const DxfRecord& r : dxf_entities(dxf)) {
        const bool vertex = r.type == "VERTEX";
        if (vertex && open) {
            out.back().vertices.push_back({std::atof(r.value(10).c_str()), std::atof(r.value(20).c_str()),
                                           r.value(42) == "-" ? 0.0 : std::atof(r.value(42).c_str())});
            continue;
        }
        open = false;
        if (r.type != "LWPOLYLINE" && r.type != "POLYLINE" && r.type != "CIRCLE" && r.type != "ARC") continue;
        ++counts[r.type];
        Drawn d;
        d.kind = r.type == "POLYLINE" ? "LWPOLYLINE" : r.type;
        for (const DxfGroup& g : r.groups) {
            const double number = std::atof(g.value.c_str());
            if (d.kind == "LWPOLYLINE") {
                if (g.code == 70) d.closed = (std::atoi(g.value.c_str()) & 1) != 0;
                if (r.type != "LWPOLYLINE") continue;
                if (g.code == 10) d.vertices.push_back({number, 0, 0});
                if (g.code == 20 && !d.vertices.empty()) d.vertices.back().y = number;
                if (g.code == 42 && !d.vertices.empty()) d.vertices.back().bulge = number;
            } else {
                if (g.code == 10) d.cx = number;
                if (g.code == 20) d.cy = number;
                if (g.code == 40) d.radius = number;
                if (g.code == 50) d.start = number;
                if (g.code == 51) d.end = number;
            }
        }
        open = r.type == "POLYLINE";
        out.push_back(d);
    }
    return out;
}

}  // namespace penloom::testing
