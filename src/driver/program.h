// The program: start-up, the command line, the batch loop and the closing
// line. program_main is what main calls; run_program runs the same thing on
// a context that tests can prepare and inspect.
#pragma once

#include <string>
#include <vector>

#include "driver/context.h"

namespace penloom {

int program_main(int argc, char** argv);

// Runs the program on the arguments (without the program name) and returns
// the exit status. Fatal exits are caught here.
int run_program(Context& ctx, const std::vector<std::string>& args);

}  // namespace penloom
