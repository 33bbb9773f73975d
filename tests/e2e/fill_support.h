// Test support for fills: the entities of a saved drawing summarised one
// line each in file order: HATCH with its pattern and boundary paths,
// LWPOLYLINE/POLYLINE outlines, CIRCLE. Numbers are printed with 10
// significant digits, so that a summary compares coordinates to about 1e-9.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/dxf_text.h"

namespace penloom::testing {

inline void cat(std::string& s, std::initializer_list<std::string> parts) {
    for (const std::string& p : parts) s.append(p);
}

inline std::string num(const std::string& text) {
    char out[64];
    const double v = std::strtod(text.c_str(), nullptr);
    std::snprintf(out, sizeof out, "%.10g", v == 0.0 ? 0.0 : v);  // no "-0"
    return out;
}

// One HATCH as "HATCH name solid=s | path flags: x,y[bbulge] ... | type=t |
// line angle; base; offset[; dashes] ... | colour=c".
inline std::string summarise_hatch(const DxfRecord& r) {
    const DxfGroups& g = r.groups;
    std::size_t i = 0;
    // The next value of `code` from the current group on, trimmed.
    auto take = [&](int code) -> std::string {
        while (i < g.size() && g[i].code != code) ++i;
        return i < g.size() ? trimmed(g[i++].value) : "?";
    };
    auto count = [&](int code) { return std::atoi(take(code).c_str()); };
    std::string s = "HATCH " + take(2);
    const std::string solid = take(70);
    cat(s, {" solid=", solid});
    for (int p = 0, paths = count(91); p < paths; ++p) {
        const int flags = count(92);
        cat(s, {" | path ", std::to_string(flags), ":"});
        const bool polyline = (flags & 2) != 0, bulges = polyline && take(72) == "1";
        if (polyline) take(73);
        for (int k = 0, n = count(93); k < n; ++k) {
            if (!polyline) {
                take(72);
                cat(s, {" arc ", num(take(10)), ",", num(take(20)), " r", num(take(40))});
                cat(s, {" ", num(take(50)), "..", num(take(51))});
                continue;
            }
            cat(s, {" ", num(take(10)), ",", num(take(20))});
            if (bulges) cat(s, {"b", num(take(42))});
        }
    }
    cat(s, {" | type=", take(76)});
    if (solid == "0") {
        take(41);
        for (int l = 0, lines = count(78); l < lines; ++l) {
            cat(s, {" | line ", num(take(53)), "; ", num(take(43)), ",", num(take(44)), "; "});
            cat(s, {num(take(45)), ",", num(take(46))});
            const int dashes = count(79);
            if (dashes > 0) s += ";";
            for (int d = 0; d < dashes; ++d) cat(s, {" ", num(take(49))});
        }
    }
    cat(s, {" | colour=", r.value(62)});
    return s;
}

// The entities of a saved drawing, one summary line each (VERTEX and SEQEND
// are left out; a POLYLINE shows as its head).
inline std::vector<std::string> summarise_entities(const std::string& dxf) {
    std::vector<std::string> out;
    for (const DxfRecord& r : dxf_section(dxf, "ENTITIES")) {
        if (r.type == "VERTEX" || r.type == "SEQEND") continue;
        std::string s = r.type == "HATCH" ? summarise_hatch(r) : r.type;
        if (r.type == "CIRCLE")
            cat(s, {" ", num(r.value(10)), ",", num(r.value(20)), " r", num(r.value(40))});
        if (r.type == "LWPOLYLINE") {
            s += (std::atoi(r.value(70).c_str()) & 1) ? " closed" : " open";
            bool vertex = false;  // groups in order: 10 starts a vertex, 20 and 42 belong to it
            for (const DxfGroup& group : r.groups) {
                vertex = vertex || group.code == 10;
                const std::string value = num(trimmed(group.value));
                if (group.code == 10) cat(s, {" ", value});
                if (vertex && group.code == 20) cat(s, {",", value});
                if (vertex && group.code == 42 && value != "0") cat(s, {"b", value});
            }
        }
        out.push_back(s);
    }
    return out;
}

}  // namespace penloom::testing
