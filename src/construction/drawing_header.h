// Finishing a drawing after its plot page has been interpreted: the header
// variables of the drawn area and the dates, the first viewport fitted to
// the drawing, the linetypes and layers that were used, and our registered
// application.
#pragma once

#include <cstdint>

#include "construction/drawing_options.h"
#include "construction/drawing_state.h"
#include "construction/extents.h"
#include "construction/output.h"
#include "construction/settings_values.h"
#include "drawing/header_record.h"

namespace penloom {

// Everything that happens between the end of interpretation and the save,
// on the open drawing of `state`; `extents` are those of the drawn page.
void finish_drawing(DrawingState& state, Output& out, const Settings& settings,
                    const DrawingOptions& options, const DrawingExtents& extents);

// The header variables and the viewport (part of finish_drawing).
void set_drawing_header(DrawingState& state, Output& out, const Settings& settings,
                        const DrawingOptions& options, const DrawingExtents& extents);

// Adds the registered application "PENLOOM".
void add_application(DrawingState& state);

// The stored date of a calendar date and time of day: Julian day number and
// milliseconds since midnight. An all-zero date and time gives (0, 0).
JulianDate julian_date(int day, int month, int year, int hour, int minute, int second);

// Aspect ratio and height of the first viewport for the drawn area w by h;
// `present_height` is the viewport's own height, the last fallback.
struct ViewFit {
    double aspect;
    double height;
};
ViewFit fit_view(double width, double height, double present_height);

}  // namespace penloom
