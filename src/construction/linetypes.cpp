// Linetypes: the built-in dash patterns, the per-drawing LinetypeList that
// LT numbers and pattern lengths are matched against, and the linetype
// table records written when the drawing is finished.
#include "construction/linetypes.h"

#include <cctype>
#include <cmath>
#include <string>

#include "construction/ascii_case.h"
#include "construction/drawing_state.h"
#include "construction/extents.h"

namespace penloom {

namespace {

// ORDER LINETYPE TEMPLATES. "Dash1" and "Dash2" really have a positive
// middle element, and "Divide2" a first gap of -0.01: stored as they are.
constexpr std::array<LinetypeTemplate, kLinetypeTemplateCount> kTemplates = {{
    {"Continuous", 0, {}},
    {"Dot2", 2, {0.01, -0.99}},
    {"Dash3", 2, {0.5, -0.5}},
    {"Dash4", 2, {0.7, -0.3}},
    {"DashDot1", 4, {0.8, -0.095, 0.01, -0.095}},
    {"Center2", 4, {0.7, -0.1, 0.1, -0.1}},
    {"Phantom2", 6, {0.5, -0.1, 0.1, -0.1, 0.1, -0.1}},
    {"Divide2", 6, {0.7, -0.01, 0.0, -0.1, 0.0, -0.1}},
    {"DashDot2", 8, {0.5, -0.1, 0.0, -0.1, 0.1, -0.1, 0.0, -0.1}},
    {"Dot1", 3, {0.005, -0.99, 0.005}},
    {"Dash1", 3, {0.25, 0.5, 0.25}},
    {"Dash2", 3, {0.35, 0.3, 0.35}},
    {"Dash1Dot", 5, {0.4, -0.1, 0.0, -0.1, 0.4}},
    {"Center1", 5, {0.35, -0.1, 0.1, -0.1, 0.35}},
    {"Phantom1", 7, {0.25, -0.1, 0.1, -0.1, 0.1, -0.1, 0.25}},
    {"Divide1", 7, {0.35, -0.1, 0.0, -0.1, 0.0, -0.1, 0.35}},
    {"Dash2Dot", 9, {0.25, -0.1, 0.0, -0.1, 0.1, -0.1, 0.0, -0.1, 0.25}},
}};

constexpr double kElementTolerance = 0.01;
constexpr double kLengthTolerance = 0.1;

bool fits(const LinetypeRecord& record, const LinetypeTemplate& pattern, double pattern_length) {
    if (!(std::fabs(record.pattern_length - pattern_length) < kLengthTolerance)) return false;
    if (record.count != pattern.count) return false;
    for (int i = 0; i < pattern.count; ++i) {
        auto k = static_cast<std::size_t>(i);
        if (std::fabs(record.elements[k] - pattern.elements[k]) > kElementTolerance) return false;
    }
    return std::fabs(record.pattern_length - pattern_length) < kLengthTolerance;
}

bool name_taken(const LinetypeList& list, const std::string& name) {
    for (const LinetypeRecord& record : list.records)
        if (equals_nocase(record.name, name)) return true;
    return false;
}

// The template name in upper case, with the number of earlier records of
// the same LT number after it when there are any. LT numbers that share a
// template (0 and 1, 9 and -1, ...) count separately and could meet on one
// name; the later record then takes the next free instance number.
std::string record_name(const LinetypeList& list, const LinetypeTemplate& pattern, int lt_number) {
    std::string base = pattern.name;
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int instance = 0;
    // Record 0, the drawing's CONTINUOUS (no elements), is no LT instance.
    for (const LinetypeRecord& record : list.records)
        if (record.count > 0 && record.lt_number == lt_number) ++instance;
    auto numbered = [&base](int number) {
        std::string name = base;
        if (number > 0) name.append(std::to_string(number));
        return name;
    };
    std::string name = numbered(instance);
    while (name_taken(list, name)) name = numbered(++instance);
    return name;
}

}  // namespace

const LinetypeTemplate& linetype_template(int index) {
    return kTemplates[static_cast<std::size_t>(index)];
}

int template_index(int lt_number) {
    if (lt_number == 0) return 1;
    if (lt_number > 0) return lt_number < kLinetypeTemplateCount ? lt_number : -1;
    return lt_number >= -8 ? 8 - lt_number : -1;
}

int iget_linetype(DrawingState& state, Output& out, int lt_number, double pattern_length) {
    LinetypeList& list = state.linetypes;
    int t = template_index(lt_number);
    if (t < 0) t = 1;  // callers check; keeps a stray number defined
    const LinetypeTemplate& pattern = kTemplates[static_cast<std::size_t>(t)];
    for (const LinetypeRecord& record : list.records)
        if (fits(record, pattern, pattern_length) && record.index >= 0) return record.index;
    if (list.records.size() >= static_cast<std::size_t>(kMaxLinetypes) ||
        !drawable_value(pattern_length))
        return -1;

    LinetypeRecord record;
    record.lt_number = lt_number;
    record.pattern_length = pattern_length;
    record.name = record_name(list, pattern, lt_number);
    record.count = pattern.count;
    for (int i = 0; i < pattern.count; ++i)
        record.elements[static_cast<std::size_t>(i)] =
            pattern.elements[static_cast<std::size_t>(i)];
    record.index = static_cast<int>(list.records.size());
    if (state.drawing) {
        new_handle(*state.drawing, record.handle);
        // Added when the drawing is finished (create_drawing_linetypes).
        announce_linetype(*state.drawing, record.handle, record.name);
    } else
        out.print("ERROR in iget_linetype: dwghandle == NULL :\n");
    list.records.push_back(std::move(record));
    return list.records.back().index;
}

void begin_drawing_linetypes(DrawingState& state) {
    LinetypeList& list = state.linetypes;
    list.records.clear();
    LinetypeRecord continuous;
    continuous.name = "CONTINUOUS";
    if (state.drawing) find_linetype(*state.drawing, "CONTINUOUS", continuous.handle);
    list.records.push_back(std::move(continuous));
}

void create_drawing_linetypes(DrawingState& state, Output& out, const Settings& settings) {
    if (!state.drawing) return;
    Drawing& drawing = *state.drawing;
    const LinetypeList& list = state.linetypes;
    for (std::size_t i = 1; i < list.records.size(); ++i) {
        const LinetypeRecord& record = list.records[i];
        LinetypeTableRecord linetype;
        init_linetype_record(linetype);
        linetype.name = record.name;
        linetype.description.assign(1, ' ');  // a description of one blank
        linetype.pattern_length = record.pattern_length;
        double sum = 0.0;
        for (int k = 0; k < record.count; ++k)
            sum += std::fabs(record.elements[static_cast<std::size_t>(k)]);
        linetype.dashes.resize(static_cast<std::size_t>(record.count));
        for (int k = 0; k < record.count; ++k) {
            double element = record.elements[static_cast<std::size_t>(k)];
            linetype.dashes[static_cast<std::size_t>(k)].length =
                element / sum * record.pattern_length;
        }
        linetype.handle = record.handle;
        if (!add_linetype(drawing, linetype)) {
            out.print("Error could not add_linetype :\n");
            report_database_error(state, out, settings, 100);
        }
    }
}

Handle linetype_handle(const DrawingState& state, int index) {
    const LinetypeList& list = state.linetypes;
    if (index < 0 || static_cast<std::size_t>(index) >= list.records.size()) return Handle{};
    return list.records[static_cast<std::size_t>(index)].handle;
}

}  // namespace penloom
