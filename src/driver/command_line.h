// Reading the command line: the input file or wildcard pattern, the output
// name or folder, and the switches. Settings are loaded before, so every
// switch overrides its setting.
#pragma once

#include <string>
#include <vector>

#include "construction/output.h"

namespace penloom {

struct Context;

// Prints the usage text.
void print_usage(Output& out);

// Fills the run record from the arguments (without the program name).
// Returns 0 to go on, or the exit status that ends the program: -1 no
// argument (after the usage text), 1 help shown or a refused name, -36 an
// output folder that cannot be written.
[[nodiscard]] int read_command_line(Context& ctx, const std::vector<std::string>& args);

// The rotation "/R" sets: the number from the fourth character of the
// argument on (the rotation in force when none can be read there), with 360
// added once to a negative value; anything but 90, 180 or 270 gives 0.
// The job count of a "/J=n" switch, read like /R: the number from the fourth
// character on (the third is skipped unread); without a number the count in
// force stays. A negative count, or one beyond a long, means one job per
// online CPU (0); counts above max_jobs are taken as max_jobs.
inline constexpr int max_jobs = 256;
int jobs_from_switch(const std::string& argument, int jobs_in_force);

int rotation_from_switch(const std::string& argument, int rotation_in_force);

}  // namespace penloom
