// Test support for fills: a plot run into an open drawing, saved as DXF,
// and its entities summarised one line each in file order: HATCH with its
// pattern and boundary paths, LWPOLYLINE/POLYLINE outlines, CIRCLE.
// Numbers are printed with 10 significant digits, so that a summary
// compares coordinates to about 1e-9.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom::testing {

inline void cat(std::string& s, std::initializer_list<std::string> parts) {
    for (const std::string& p : parts) s.append(p);
}

inline std::string num(const std::string& text) {
    char out[64];
    double v = std::strtod(text.c_str(), nullptr);
    if (v == 0.0) v = 0.0;  // no "-0"
    std::snprintf(out, sizeof out, "%.10g", v);
    return out;
}

// One entity record as a line.
inline std::string summarise(const DxfRecord& r) {
    std::string s = r.type;
    const DxfGroups& g = r.groups;
    std::size_t i = 0;
    auto find = [&](int code) {
        while (i < g.size() && g[i].code != code) ++i;
        return i < g.size();
    };
    auto take = [&](int code) -> std::string {
        if (!find(code)) return "?";
        return trimmed(g[i++].value);
    };
    if (r.type == "HATCH") {
        const std::string name = take(2);
        const std::string solid = take(70);
        cat(s, {" ", name, " solid=", solid});
        const int paths = std::atoi(take(91).c_str());
        for (int p = 0; p < paths; ++p) {
            const int flags = std::atoi(take(92).c_str());
            cat(s, {" | path ", std::to_string(flags), ":"});
            if (flags & 2) {
                const bool bulges = take(72) == "1";
                take(73);
                const int n = std::atoi(take(93).c_str());
                for (int k = 0; k < n; ++k) {
                    cat(s, {" ", num(take(10)), ",", num(take(20))});
                    if (bulges) cat(s, {"b", num(take(42))});
                }
            } else {
                const int n = std::atoi(take(93).c_str());
                for (int k = 0; k < n; ++k) {
                    take(72);
                    cat(s, {" arc ", num(take(10)), ",", num(take(20)), " r", num(take(40)), " ",
                            num(take(50)), "..", num(take(51))});
                }
            }
        }
        cat(s, {" | type=", take(76)});
        if (solid == "0") {
            take(41);
            const int lines = std::atoi(take(78).c_str());
            for (int l = 0; l < lines; ++l) {
                cat(s, {" | line ", num(take(53)), "; ", num(take(43)), ",", num(take(44)), "; ",
                        num(take(45)), ",", num(take(46))});
                const int dashes = std::atoi(take(79).c_str());
                if (dashes > 0) s += ";";
                for (int d = 0; d < dashes; ++d) cat(s, {" ", num(take(49))});
            }
        }
        cat(s, {" | colour=", r.value(62)});
        return s;
    }
    if (r.type == "LWPOLYLINE") {
        const int flags = std::atoi(r.value(70).c_str());
        cat(s, {(flags & 1) ? " closed" : " open"});
        // Groups in order: 10 starts a vertex, 20 and 42 belong to it.
        std::vector<std::string> vertices;
        for (const DxfGroup& group : g) {
            if (group.code == 10) {
                vertices.emplace_back(" ");
                vertices.back().append(num(trimmed(group.value)));
            }
            if (vertices.empty()) continue;
            if (group.code == 20) cat(vertices.back(), {",", num(trimmed(group.value))});
            if (group.code == 42 && std::strtod(group.value.c_str(), nullptr) != 0.0)
                cat(vertices.back(), {"b", num(trimmed(group.value))});
        }
        for (const std::string& v : vertices) s += v;
        return s;
    }
    if (r.type == "CIRCLE")
        cat(s, {" ", num(r.value(10)), ",", num(r.value(20)), " r", num(r.value(40))});
    return s;
}

// The entities of a saved drawing, one summary line each (VERTEX and SEQEND
// are left out; a POLYLINE shows as its head).
inline std::vector<std::string> summarise_entities(const std::string& dxf) {
    std::vector<std::string> out;
    for (const DxfRecord& r : dxf_section(dxf, "ENTITIES"))
        if (r.type != "VERTEX" && r.type != "SEQEND") out.push_back(summarise(r));
    return out;
}

// Runs the plot into a fresh drawing and summarises what it drew.
inline std::vector<std::string> fills_of(const std::string& plot,
                                         const std::function<void(Context&)>& tune = {}) {
    auto ctx = drawing_context(tune);
    if (!ctx) return {"no drawing"};
    run_plot(*ctx, plot);
    return summarise_entities(saved_dxf(*ctx, ctx->batch.OutputRelease >= 7 ? 7 : 6));
}

}  // namespace penloom::testing
