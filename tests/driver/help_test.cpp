// The help switch: the manual's path and the usage text without a display;
// with one, the manual handed to xdg-open (a stand-in script on PATH here),
// and the shell's failure messages.
#include <sys/stat.h>

#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class HelpTest : public DriverTest {
protected:
    // Puts an xdg-open on PATH that records its folder and argument and exits
    // with `status`; -1: no xdg-open at all.
    void fake_xdg_open(int status) {
        make_folder("bin");
        std::remove(path("bin/xdg-open").c_str());
        set_env("PATH", path("bin") + (status < 0 ? "" : ":/usr/bin:/bin"));
        if (status < 0) return;
        write_file("bin/xdg-open", "#!/bin/sh\necho \"$(pwd -P)|$*\" > '" + path("opened") + "'\nexit " +
                                       std::to_string(status) + "\n");
        chmod(path("bin/xdg-open").c_str(), 0755);
    }
};

TEST_F(HelpTest, WithoutDisplayPrintsPathAndUsage) {
    for (const char* argument : {"/help", "-?"}) {
        SCOPED_TRACE(argument);
        RunResult r = run({argument});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner() + "User manual: " + prog() + "penloom.html\n\n" + usage());
    }
}

TEST_F(HelpTest, WithDisplayOpensTheManual) {
    fake_xdg_open(0);
    write_file("prog/penloom.html", "<html></html>");
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        SCOPED_TRACE(display);
        set_env("DISPLAY", std::nullopt);
        set_env("WAYLAND_DISPLAY", std::nullopt);
        set_env(display, ":0");
        std::remove(path("opened").c_str());
        RunResult r = run({"/HELP"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner());
        EXPECT_EQ(read_file("opened"), root_ + "/prog|" + prog() + "penloom.html\n");
    }
}

TEST_F(HelpTest, ShellFailures) {
    set_env("DISPLAY", ":0");
    const std::string manual = path("prog/penloom.html");
    const std::string no_application =
        "Error (31): Could not open " + manual + "\nNo application associated to this file type:\n";
    // xdg_status -1: no xdg-open at all
    const struct { const char* name; int xdg_status; bool manual_present; std::string messages; } rows[] = {
        {"no opener for the type", 3, true, no_application},
        {"not found, and missing", 2, false, "Error (2): Could not open " + manual + "\n"},
        {"not found, but present", 2, true, ""},
        {"no xdg-open", -1, true, no_application},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fake_xdg_open(row.xdg_status);
        if (row.manual_present)
            write_file("prog/penloom.html", "<html></html>");
        else
            std::remove(manual.c_str());
        RunResult r = run({"/?"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner() + row.messages);
    }
}

}  // namespace
}  // namespace penloom::testing
