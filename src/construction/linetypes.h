// Linetypes: HP-GL line types become named drawing linetypes instead of
// broken geometry. LT numbers and pattern lengths come in (from the line
// type instruction); out come indices into the drawing's LinetypeList,
// whose records hold a reserved handle each, so entities can name their
// linetype at once; the records are added to the drawing when it is
// finished. Record 0 stands for the drawing's own "CONTINUOUS".
#pragma once

#include <array>
#include <string>
#include <vector>

#include "drawing/records.h"

namespace penloom {

struct DrawingState;  // drawing_state.h, which holds the list
class Output;
struct Settings;

inline constexpr int kMaxLinetypeElements = 13;
// Records a drawing's LinetypeList holds at most, "CONTINUOUS" included: a
// plot that keeps changing its pattern length must not make every LT search
// the whole of a list as long as the plot.
inline constexpr int kMaxLinetypes = 256;

// A built-in dash pattern: elements are fractions of the pattern length,
// positive a dash, negative a gap, 0 a dot.
struct LinetypeTemplate {
    const char* name;
    int count;
    std::array<double, kMaxLinetypeElements> elements;
};

// ORDER LINETYPE TEMPLATES: 0 "Continuous", 1-8 for LT 1 to 8 (LT 0 uses 1),
// 9-16 for LT -1 to -8.
inline constexpr int kLinetypeTemplateCount = 17;
const LinetypeTemplate& linetype_template(int index);

// One linetype made for the drawing being built.
struct LinetypeRecord {
    std::string name;             // upper-case template name and instance number
    int lt_number = 0;            // the LT number it was made for
    int index = 0;                // its own position in the list
    double pattern_length = 0.0;  // millimetres of plot
    std::array<double, kMaxLinetypeElements> elements{};  // fractions, as in the template
    int count = 0;                                        // elements used
    Handle handle{};  // reserved when the record was made; null without a drawing
};

// The linetypes of the current drawing; emptied before every page.
struct LinetypeList {
    std::vector<LinetypeRecord> records;
};

// The template index of an LT number: 0 gives 1, n > 0 gives n, n < 0 gives
// 8 - n. Returns -1 for numbers with no template (above 16, below -8).
int template_index(int lt_number);

// The index of a linetype for LT number n with the given pattern length
// (millimetres), made when no record has the same elements (within 0.01)
// and a pattern length less than 0.1 away. A new record is named after the
// template, with the count of earlier records of the same LT number
// appended when there are any ("DASH3", "DASH31", "DASH32"); should that
// name already be in the list (two LT numbers share a template), the
// instance number is raised until the name is free. A new record reserves a
// handle in the open drawing; without one it prints
// "ERROR in iget_linetype: dwghandle == NULL :\n" and stays without.
// n must have a template (template_index(n) >= 0). Returns -1 (solid
// lines) when a new record is needed but the list already holds
// kMaxLinetypes, or the pattern length is no drawable number.
int iget_linetype(DrawingState& state, Output& out, int lt_number, double pattern_length);

// Empties the list and makes record 0 the new drawing's "CONTINUOUS"; run
// right after the drawing is created.
void begin_drawing_linetypes(DrawingState& state);

// Adds records 1 onward to the drawing under their reserved handles, with
// dash lengths that share out the pattern length in the proportions of the
// elements. A record the drawing refuses is reported and skipped.
void create_drawing_linetypes(DrawingState& state, Output& out, const Settings& settings);

// The handle of list record `index`; the null handle when there is none.
Handle linetype_handle(const DrawingState& state, int index);

}  // namespace penloom
