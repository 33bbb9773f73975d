// Loading the `Settings` record (construction/settings_values.h) from the
// section [Settings] of "penloom.ini" in the program folder, once at
// start-up before the command line: one field per key, and the derived
// values computed from them by load_settings.
#pragma once

#include <string>
#include <string_view>

#include "construction/settings_values.h"
#include "construction/profile.h"

namespace penloom {

// The lineweight of a pen width in millimetres: the whole part of
// width x 100 + 0.0001, raised to the next standard lineweight; a width
// below 0 or above 2.11 mm gives 35.
int lineweight_of_width(double millimetres);

// Units per millimetre of an `OutputUnit` text ("mm", "cm", "m", "km",
// "inch", "feet", "yard", "mile", without case); 0 when it is none of them.
double output_unit_factor(std::string_view unit);

// Reads the section [Settings] of the settings file into `settings`, key by
// key in the order of the record, with the corrections and derived values:
// PlotterUnit and ScaleFactor never 0, the label sizes scaled to the plotter
// unit, the default lineweight, DecimalPlaces within 0..16, the DWG default,
// RasterFillFactor within (0.999, 100) and its reciprocal, and the drawing
// scale of OutputUnit. Leaves the reader on that section.
void load_settings(Settings& settings, ProfileReader& reader, const std::string& program_folder);

}  // namespace penloom
