// One reader of DXF text for every suite: the (code, value) groups in file
// order, the records of a section (ENTITIES, TABLES, ...) with their groups,
// and the values of header variables. Values keep their blanks; the line
// ends ("\r\n" or "\n") are dropped.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace penloom::testing {

struct DxfGroup {
    int code = 0;
    std::string value;
    bool operator==(const DxfGroup&) const = default;
};
using DxfGroups = std::vector<DxfGroup>;

inline DxfGroups dxf_groups(const std::string& text) {
    DxfGroups groups;
    std::size_t at = 0;
    auto line = [&](std::string& out) {
        if (at >= text.size()) return false;
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        out = text.substr(at, end - at);
        if (!out.empty() && out.back() == '\r') out.pop_back();
        at = end + 1;
        return true;
    };
    std::string code, value;
    while (line(code) && line(value)) groups.push_back({std::stoi(code), value});
    return groups;
}

inline std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One record: the value of its 0 group and every group after it up to the
// next 0 group.
struct DxfRecord {
    std::string type;
    DxfGroups groups;

    // The first value of a code without its blanks, "-" when absent.
    std::string value(int code) const {
        for (const DxfGroup& g : groups)
            if (g.code == code) return trimmed(g.value);
        return "-";
    }
    // Every value of a code, without blanks.
    std::vector<std::string> values(int code) const {
        std::vector<std::string> out;
        for (const DxfGroup& g : groups)
            if (g.code == code) out.push_back(trimmed(g.value));
        return out;
    }
};

// The records of the section named `name`, in file order.
inline std::vector<DxfRecord> dxf_section(const std::string& text, const std::string& name) {
    std::vector<DxfRecord> records;
    const DxfGroups groups = dxf_groups(text);
    bool inside = false;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const DxfGroup& g = groups[i];
        if (!inside) {
            inside = g.code == 0 && g.value == "SECTION" && i + 1 < groups.size() && groups[i + 1].value == name;
            if (inside) ++i;
            continue;
        }
        if (g.code == 0 && g.value == "ENDSEC") break;
        if (g.code == 0)
            records.push_back({g.value, {}});
        else if (!records.empty())
            records.back().groups.push_back(g);
    }
    return records;
}

inline std::vector<DxfRecord> dxf_entities(const std::string& text) { return dxf_section(text, "ENTITIES"); }

// The values of every group with this code inside the records of one type
// ("TEXT", 1) or inside one header variable ("$ACADVER", 1), whole file.
inline std::vector<std::string> values_of(const DxfGroups& groups, const std::string& record, int code) {
    // A header variable runs from its 9 group to the next 9 or 0 group; a
    // record from its 0 group to the next one.
    const int opening = !record.empty() && record[0] == '$' ? 9 : 0;
    std::vector<std::string> values;
    bool inside = false;
    for (const auto& [c, v] : groups) {
        if (c == 0 || c == opening)
            inside = c == opening && v == record;
        else if (inside && c == code)
            values.push_back(v);
    }
    return values;
}

// Every entity of one type as "code=value" joined by blanks (values with
// their blanks); handles, owners, subclass markers, reactors, layers and
// colours are left out.
inline std::vector<std::string> entity_groups(const std::string& text, const std::string& type) {
    static const std::set<int> skipped = {5, 330, 100, 8, 102, 62};
    std::vector<std::string> out;
    for (const DxfRecord& r : dxf_entities(text)) {
        if (r.type != type) continue;
        std::string line;
        for (const DxfGroup& g : r.groups) {
            if (skipped.count(g.code) != 0) continue;
            if (!line.empty()) line += ' ';
            line += std::to_string(g.code) + "=" + g.value;
        }
        out.push_back(line);
    }
    return out;
}

}  // namespace penloom::testing
