// First pass over the input (see drawing_survey.h).
#include "drawing_survey.h"

#include <charconv>

#include "cadrelay.h"
#include "code_pages.h"
#include "dxf_groups.h"

namespace penloom::relay {

namespace {

// The opening every release 2000 DXF of ours has, in this order.
struct ExpectedGroup {
    int code;
    std::string_view value;
};
constexpr ExpectedGroup opening[] = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}};

}  // namespace

int survey_drawing(std::string_view text, DrawingSurvey& out) {
    GroupReader reader{text};
    Group group;
    for (const ExpectedGroup& expected : opening) {
        if (!next_group(reader, group) || group.code != expected.code || trimmed(group.value) != expected.value)
            return CADRELAY_NOT_R2000_DXF;
    }

    std::string_view section = "HEADER";
    std::string_view variable = "$ACADVER";
    std::string_view object;          // type of the current 0-group record
    bool section_name_next = false;
    int objects_seen = 0;
    bool in_root_dictionary = false;
    bool ended = false;
    out.header_names.insert(variable);
    while (next_group(reader, group)) {
        const std::string_view value = trimmed(group.value);
        if (section_name_next) {
            section_name_next = false;
            if (group.code == 2) {
                section = value;
                continue;
            }
        }
        if (group.code == 0) {
            object = value;
            in_root_dictionary = false;
            if (value == "EOF") {
                ended = true;
                break;
            }
            if (value == "SECTION") {
                section_name_next = true;
                section = {};
            } else if (section == "BLOCKS" || section == "ENTITIES" || section == "OBJECTS") {
                ++out.instances[value];
                if (section == "OBJECTS" && objects_seen++ == 0 && value == "DICTIONARY") in_root_dictionary = true;
            }
            continue;
        }
        if (section == "HEADER") {
            if (group.code == 9) {
                variable = value;
                out.header_names.insert(value);
            } else if (variable == "$DWGCODEPAGE" && group.code == 3) {
                out.code_page = value;
            } else if (variable == "$HANDSEED" && group.code == 5) {
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(),
                                                          out.handle_seed, 16);
                out.has_handle_seed = error == std::errc{} && end == value.data() + value.size();
            }
        } else if (section == "CLASSES" && object == "CLASS" && group.code == 1) {
            out.class_names.insert(value);
        } else if (in_root_dictionary) {
            if (group.code == 5) out.root_dictionary = value;
            if (group.code == 3 && value == "ACAD_MATERIAL") out.has_material_dictionary = true;
        }
    }
    if (!ended || reader.failed) return CADRELAY_NOT_R2000_DXF;
    out.non_ascii = !is_ascii(text.substr(0, reader.at));
    return CADRELAY_OK;
}

}  // namespace penloom::relay
