// The help switch: the manual's path and the usage text without a display;
// with one, the manual handed to xdg-open (a stand-in script on PATH here),
// and the shell's failure messages.
#include <sys/stat.h>

#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, HelpSwitch) {
    const std::string manual = prog() + "penloom.html";
    const std::string no_application =
        "Error (31): Could not open " + manual + "\nNo application associated to this file type:\n";
    // display: the variable set ("": none); xdg: the stand-in xdg-open's exit status, -1: none on PATH
    const struct { const char *name, *display, *argument; int xdg; bool manual; std::string text; } rows[] = {
        {"no display", "", "-?", 0, true, "User manual: " + manual + "\n\n" + usage()},
        {"X11", "DISPLAY", "/HELP", 0, true, ""},
        {"Wayland", "WAYLAND_DISPLAY", "/help", 0, true, ""},
        {"no opener for the type", "DISPLAY", "/?", 3, true, no_application},
        {"not found, and missing", "DISPLAY", "/?", 2, false, "Error (2): Could not open " + manual + "\n"},
        {"not found, but present", "DISPLAY", "/?", 2, true, ""},
        {"no xdg-open", "DISPLAY", "/?", -1, true, no_application},
    };
    make_folder("bin");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        set_env("DISPLAY", std::nullopt);
        set_env("WAYLAND_DISPLAY", std::nullopt);
        if (*row.display != 0) set_env(row.display, ":0");
        // The stand-in records its folder and argument, then exits with the row's status.
        std::remove(path("bin/xdg-open").c_str());
        std::remove(path("opened").c_str());
        set_env("PATH", path("bin") + (row.xdg < 0 ? "" : ":/usr/bin:/bin"));
        if (row.xdg >= 0) {
            write_file("bin/xdg-open", "#!/bin/sh\necho \"$(pwd -P)|$*\" > '" + path("opened") + "'\nexit " +
                                           std::to_string(row.xdg) + "\n");
            chmod(path("bin/xdg-open").c_str(), 0755);
        }
        if (row.manual)
            write_file("prog/penloom.html", "<html></html>");
        else
            std::remove(manual.c_str());
        RunResult r = run({row.argument});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner() + row.text);
        // Run with a display and an xdg-open: with the manual, from its folder.
        const std::string opened = *row.display != 0 && row.xdg >= 0 ? root_ + "/prog|" + manual + "\n" : "-";
        EXPECT_EQ(exists("opened") ? read_file("opened") : "-", opened);
    }
}

}  // namespace
}  // namespace penloom::testing
