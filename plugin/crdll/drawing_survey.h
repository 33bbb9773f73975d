// First pass over an input DXF: is it a release 2000 ASCII DXF, and the
// facts the rewrite needs before it writes the first byte (class instance
// counts come after the CLASSES section, the handle seed before the objects
// that take new handles).
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace penloom::relay {

struct DrawingSurvey {
    // From the HEADER section
    std::string_view code_page;                          // $DWGCODEPAGE, trimmed
    std::uint64_t handle_seed = 0;                       // $HANDSEED
    bool has_handle_seed = false;
    std::unordered_set<std::string_view> header_names;   // every "$..." present

    // From the CLASSES section
    std::unordered_set<std::string_view> class_names;

    // From BLOCKS, ENTITIES and OBJECTS: objects per type name ("HATCH": 3)
    std::unordered_map<std::string_view, std::uint32_t> instances;

    // From OBJECTS
    std::string_view root_dictionary;    // handle of its first DICTIONARY
    bool has_material_dictionary = false;   // root entry ACAD_MATERIAL

    bool non_ascii = false;              // any byte of 0x80 or above
};

// Reads the whole text. Returns CADRELAY_OK when it is an ASCII DXF that
// begins with the HEADER section, whose first variable is $ACADVER "AC1015",
// and ends with an EOF group after well-formed groups; otherwise
// CADRELAY_NOT_R2000_DXF. The survey's views point into `text`.
[[nodiscard]] int survey_drawing(std::string_view text, DrawingSurvey& out);

}  // namespace penloom::relay
