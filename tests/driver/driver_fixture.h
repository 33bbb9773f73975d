// The driver tests run the whole program in a scratch folder (see
// support/program_run.h); the usage text is theirs alone.
#pragma once

#include <string>
#include <vector>

#include "support/program_run.h"

namespace penloom::testing {

// A run of the program with its settings and the messages it must print.
struct MessageRow {
    const char* name;
    std::vector<std::string> args;
    const char* settings;  // lines of [Settings]
    int status;
    std::string tail;  // what follows the banner
};

class DriverTest : public ProgramTest {
protected:
    // Runs the row's command line under its settings: its exit status and
    // every line printed after the banner.
    void expect_messages(const MessageRow& row) {
        SCOPED_TRACE(row.name);
        write_settings(std::string("[Settings]\n") + row.settings + "\n");
        RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.text, banner() + row.tail);
    }
};

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
