// The driver tests run the whole program in a scratch folder (see
// support/program_run.h); the usage text is theirs alone.
#pragma once

#include "support/program_run.h"

namespace penloom::testing {

using DriverTest = ProgramTest;

inline std::string usage() {
    return "Usage:  Penloom Plot.PLT [Plot.DXF|DWG] [/R=nnn] [/12|13|14|2000]\n"
           "Batch:  Penloom *.PLT [*.DXF|DWG] [/switches]\n\n"
           "  /R=nnn Apply Rotation, where nnn=90,180,270\n"
           "  /12 = Rel 12 DXF/DWG\n"
           "  /14 = Rel 14 DXF/DWG\n"
           "  /2000 = Rel 2000 DXF/DWG\n"
           "  /TEST = Do a test run.\n"
           "  Full list of options in user manual.  Type 'Penloom /HELP'\n";
}

}  // namespace penloom::testing
