// Shared by the whole-program suites: the program fixture, entity readers, the entity counts
// of a DXF, and drawings kept for the ezdxf read-back with their release and counts.
#pragma once

#include <map>
#include <string>

#include "support/drawn.h"
#include "support/program_run.h"

namespace penloom::testing {

// Keeps the drawing at `dxf_path` as `name` with a sidecar expecting the $ACADVER of the release
// ("/12" or "12", ...), the model-space entity counts it holds (VERTEX and SEQEND belong to their
// POLYLINE) and further `members` (", ..."); returns those counts.
inline std::map<std::string, int> keep_counted(const std::string& dxf_path, const std::string& name,
                                               std::string release, const std::string& members = "") {
    const std::map<std::string, std::string> acadver{
        {"12", "AC1009"}, {"13", "AC1012"}, {"14", "AC1014"}, {"2000", "AC1015"}, {"2004", "AC1018"},
        {"2007", "AC1021"}};
    if (release[0] == '/') release.erase(0, 1);
    std::map<std::string, int> counts;
    for (const DxfRecord& e : dxf_entities(slurp(dxf_path)))
        if (e.type != "VERTEX" && e.type != "SEQEND") ++counts[e.type];
    std::string json = "\"acadver\": \"" + acadver.at(release) + "\", \"entities\": {";
    for (const auto& [type, count] : counts)
        json += (json.back() == '{' ? "\"" : ", \"") + type + "\": " + std::to_string(count);
    keep_for_readback(dxf_path, name, json + "}" + members);
    return counts;
}

}  // namespace penloom::testing
