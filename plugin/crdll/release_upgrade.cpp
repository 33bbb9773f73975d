// Rewriting release 2000 DXF as 2004 or 2007 (see release_upgrade.h).
#include "release_upgrade.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "cadrelay.h"
#include "code_pages.h"
#include "dxf_groups.h"

namespace penloom::relay {

namespace {

bool is_2007(Release target) { return target == Release::r2007; }

// Header variables the later releases carry and a release 2000 file lacks,
// with the values a new drawing gets. Values are written as the DXF writer
// writes them: 16-bit integers and flags right-aligned in six columns.
// $CMATERIAL (2007) is added separately: it points at a new object.
struct AddedVariable {
    std::string_view name;
    Release since;
    int code;
    std::string_view value;
};

constexpr AddedVariable added_variables[] = {
    {"$DIMASSOC", Release::r2004, 280, "     2"},
    {"$PROJECTNAME", Release::r2004, 1, ""},
    {"$HIDETEXT", Release::r2004, 280, "     1"},
    {"$XCLIPFRAME", Release::r2004, 290, "     0"},
    {"$HALOGAP", Release::r2004, 280, "     0"},
    {"$OBSCOLOR", Release::r2004, 70, "   257"},
    {"$OBSLTYPE", Release::r2004, 280, "     0"},
    {"$INTERSECTIONDISPLAY", Release::r2004, 280, "     0"},
    {"$INTERSECTIONCOLOR", Release::r2004, 70, "   257"},
    {"$SORTENTS", Release::r2004, 280, "   127"},
    {"$INDEXCTL", Release::r2004, 280, "     0"},
    {"$CAMERADISPLAY", Release::r2007, 290, "     0"},
    {"$LENSLENGTH", Release::r2007, 40, "50.0"},
    {"$CAMERAHEIGHT", Release::r2007, 40, "0.0"},
    {"$STEPSPERSEC", Release::r2007, 40, "2.0"},
    {"$STEPSIZE", Release::r2007, 40, "6.0"},
    {"$3DDWFPREC", Release::r2007, 40, "2.0"},
    {"$PSOLWIDTH", Release::r2007, 40, "0.25"},
    {"$PSOLHEIGHT", Release::r2007, 40, "4.0"},
    {"$LOFTANG1", Release::r2007, 40, "1.570796326794897"},
    {"$LOFTANG2", Release::r2007, 40, "1.570796326794897"},
    {"$LOFTMAG1", Release::r2007, 40, "0.0"},
    {"$LOFTMAG2", Release::r2007, 40, "0.0"},
    {"$LOFTPARAM", Release::r2007, 70, "     7"},
    {"$LOFTNORMALS", Release::r2007, 280, "     1"},
    {"$LATITUDE", Release::r2007, 40, "37.795"},
    {"$LONGITUDE", Release::r2007, 40, "-122.394"},
    {"$NORTHDIRECTION", Release::r2007, 40, "0.0"},
    {"$TIMEZONE", Release::r2007, 70, " -8000"},
    {"$LIGHTGLYPHDISPLAY", Release::r2007, 280, "     1"},
    {"$TILEMODELIGHTSYNCH", Release::r2007, 280, "     1"},
    {"$SOLIDHIST", Release::r2007, 280, "     1"},
    {"$SHOWHIST", Release::r2007, 280, "     1"},
    {"$DWFFRAME", Release::r2007, 280, "     2"},
    {"$DGNFRAME", Release::r2007, 280, "     0"},
    {"$REALWORLDSCALE", Release::r2007, 290, "     1"},
    {"$INTERFERECOLOR", Release::r2007, 62, "     1"},
    {"$CSHADOW", Release::r2007, 280, "     0"},
    {"$SHADOWPLANELOCATION", Release::r2007, 40, "0.0"},
};

// Readers ignore the maintenance version; a file of a release we write
// ourselves is that release's first.
constexpr std::string_view maintenance_version = "     0";

// The materials a 2007 drawing has from the start, in dictionary order.
constexpr std::string_view material_names[] = {"ByBlock", "ByLayer", "Global"};

// New handles of the material dictionary and its three materials.
struct Materials {
    bool add = false;
    std::uint64_t dictionary = 0;
    std::uint64_t material[3] = {};   // ORDER material_names
    std::uint64_t next_seed = 0;
};

Materials plan_materials(const DrawingSurvey& survey, Release target) {
    Materials m;
    m.add = is_2007(target) && !survey.has_material_dictionary && !survey.root_dictionary.empty() &&
            survey.has_handle_seed && survey.handle_seed > 0;
    if (!m.add) return m;
    m.dictionary = survey.handle_seed;
    for (int i = 0; i < 3; ++i) m.material[i] = survey.handle_seed + 1 + static_cast<std::uint64_t>(i);
    m.next_seed = survey.handle_seed + 4;
    return m;
}

std::string hex(std::uint64_t handle) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIX64, handle);
    return text;
}

std::string int32_text(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%9" PRIu64, value);
    return text;
}

// Writes groups: copied ones keep their code line, new ones get the writer's
// "%3d"; in 2007 output every value is converted to UTF-8 on the way.
struct Emitter {
    ReplacingWriter& out;
    std::string_view line_end;
    const CodePageTable* convert = nullptr;
    std::string scratch;

    void value(std::string_view text) {
        if (convert != nullptr && !is_ascii(text)) {
            scratch.clear();
            append_utf8(scratch, text, *convert);
            out.write(scratch);
        } else {
            out.write(text);
        }
        out.write(line_end);
    }
    void copy(const Group& g) { copy(g, g.value); }
    void copy(const Group& g, std::string_view new_value) {
        out.write(g.code_line);
        out.write(line_end);
        value(new_value);
    }
    void put(int code, std::string_view text) {
        char line[16];
        std::snprintf(line, sizeof line, "%3d", code);
        out.write(line);
        out.write(line_end);
        value(text);
    }
};

void add_header_variables(Emitter& e, const DrawingSurvey& survey, Release target, const Materials& m) {
    for (const AddedVariable& v : added_variables) {
        if (v.since == Release::r2007 && !is_2007(target)) continue;
        if (survey.header_names.count(v.name) != 0) continue;
        e.put(9, v.name);
        e.put(v.code, v.value);
    }
    if (m.add && survey.header_names.count("$CMATERIAL") == 0) {
        e.put(9, "$CMATERIAL");
        e.put(347, hex(m.material[1]));   // ByLayer
    }
}

void add_material_class(Emitter& e) {
    e.put(0, "CLASS");
    e.put(1, "MATERIAL");
    e.put(2, "AcDbMaterial");
    e.put(3, "ObjectDBX Classes");
    e.put(90, int32_text(1153));   // erase, clone, no proxy warning
    e.put(91, int32_text(3));
    e.put(280, "     0");
    e.put(281, "     0");
}

// An object's opening groups as the DXF writer gives them: handle, reactor
// on the owner, owner.
void object_opening(Emitter& e, std::string_view type, std::uint64_t handle, std::string_view owner) {
    e.put(0, type);
    e.put(5, hex(handle));
    e.put(102, "{ACAD_REACTORS");
    e.put(330, owner);
    e.put(102, "}");
    e.put(330, owner);
}

void add_material_objects(Emitter& e, const Materials& m, std::string_view root) {
    const std::string dictionary = hex(m.dictionary);
    object_opening(e, "DICTIONARY", m.dictionary, root);
    e.put(100, "AcDbDictionary");
    e.put(281, "     1");
    for (int i = 0; i < 3; ++i) {
        e.put(3, material_names[i]);
        e.put(350, hex(m.material[i]));
    }
    for (int i = 0; i < 3; ++i) {
        object_opening(e, "MATERIAL", m.material[i], dictionary);
        e.put(100, "AcDbMaterial");
        e.put(1, material_names[i]);
    }
}

std::uint64_t instance_count(const DrawingSurvey& survey, std::string_view name, const Materials& m) {
    const auto found = survey.instances.find(name);
    std::uint64_t count = found == survey.instances.end() ? 0 : found->second;
    if (m.add && name == "MATERIAL") count += 3;
    return count;
}

}  // namespace

int check_code_page(const DrawingSurvey& survey, Release target) {
    if (is_2007(target) && survey.non_ascii && find_code_page(survey.code_page) == nullptr)
        return CADRELAY_BAD_CODE_PAGE;
    return CADRELAY_OK;
}

void upgrade_drawing(std::string_view text, const DrawingSurvey& survey, Release target, ReplacingWriter& out) {
    Emitter e{out, line_end_of(text), nullptr, {}};
    if (is_2007(target)) e.convert = find_code_page(survey.code_page);
    const Materials m = plan_materials(survey, target);
    const std::string material_dictionary = hex(m.dictionary);

    GroupReader reader{text};
    Group g;
    std::string_view section, variable, object, table, class_name;
    bool section_name_next = false, table_name_next = false;
    int objects_seen = 0;
    bool in_root_dictionary = false;
    bool material_entry_pending = m.add;
    bool layer_lacks_material = false;
    while (next_group(reader, g)) {
        const std::string_view value = trimmed(g.value);
        if (section_name_next || table_name_next) {
            const bool names_section = section_name_next;
            section_name_next = table_name_next = false;
            if (g.code == 2) {
                (names_section ? section : table) = value;
                e.copy(g);
                continue;
            }
        }
        // A layer's material goes last, before its extended data if any.
        if (layer_lacks_material && (g.code == 0 || g.code == 1001)) {
            e.put(347, hex(m.material[2]));   // Global
            layer_lacks_material = false;
        }
        if (g.code == 0) {
            if (in_root_dictionary && material_entry_pending) {
                e.put(3, "ACAD_MATERIAL");
                e.put(350, material_dictionary);
                material_entry_pending = false;
            }
            in_root_dictionary = false;
            if (value == "ENDSEC") {
                if (section == "HEADER") add_header_variables(e, survey, target, m);
                if (section == "CLASSES" && m.add && survey.class_names.count("MATERIAL") == 0)
                    add_material_class(e);
                if (section == "OBJECTS" && m.add) add_material_objects(e, m, survey.root_dictionary);
            }
            object = value;
            if (value == "SECTION") {
                section_name_next = true;
                section = {};
            } else if (value == "TABLE") {
                table_name_next = true;
            } else if (m.add && section == "TABLES" && table == "LAYER" && value == "LAYER") {
                layer_lacks_material = true;
            } else if (section == "OBJECTS" && objects_seen++ == 0) {
                in_root_dictionary = value == "DICTIONARY";
            }
            e.copy(g);
            if (value == "EOF") break;
            continue;
        }
        if (section == "HEADER") {
            if (g.code == 9) {
                variable = value;
            } else if (variable == "$ACADVER" && g.code == 1) {
                e.copy(g, is_2007(target) ? "AC1021" : "AC1018");
                continue;
            } else if (variable == "$ACADMAINTVER") {
                e.copy(g, maintenance_version);
                continue;
            } else if (variable == "$HANDSEED" && g.code == 5 && m.add) {
                e.copy(g, hex(m.next_seed));
                continue;
            }
        } else if (section == "CLASSES" && object == "CLASS") {
            if (g.code == 1) class_name = value;
            if (g.code == 91) continue;   // recounted after the flags
            if (g.code == 90) {
                e.copy(g);
                e.put(91, int32_text(instance_count(survey, class_name, m)));
                continue;
            }
        } else if (layer_lacks_material && g.code == 347) {
            layer_lacks_material = false;
        } else if (in_root_dictionary && material_entry_pending && g.code == 3 && value > "ACAD_MATERIAL") {
            e.put(3, "ACAD_MATERIAL");
            e.put(350, material_dictionary);
            material_entry_pending = false;
        }
        e.copy(g);
    }
}

}  // namespace penloom::relay
