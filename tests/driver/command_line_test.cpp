// The command line through whole in-process runs: usage, input extension
// rules, output names, every switch and the refusals with their statuses.
#include <cstdlib>

#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class CommandLineTest : public DriverTest {
protected:
    // Translates A.PLT with these switches after the given [Settings] lines.
    RunResult run_with_switches(const std::vector<std::string>& switches, const std::string& settings) {
        write_file("A.PLT", "IN;");
        write_settings("[Settings]\n" + settings + "\n");
        std::vector<std::string> args = {"A.PLT"};
        args.insert(args.end(), switches.begin(), switches.end());
        return run(args);
    }
    // The whole text of a successful single-file run.
    static std::string translated(const std::string& progress) {
        return banner() + "\n" + progress + "\nEnd Translation. (1 files processed)\n";
    }
};

TEST_F(CommandLineTest, NoArgumentPrintsUsage) {
    RunResult r = run({});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.text, banner() + usage());
}

// What a DWG output prints when the program folder has no converter.
const std::string kNoConverter = "1 load_dll_dc() FAILED:\n\nEnd Translation. (0 files processed)\n";

TEST_F(CommandLineTest, InputAndOutputNames) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* settings;
        int status;
        std::string tail;  // after the banner
    };
    const Case cases[] = {
        {"PLT appended", {"A"}, "", 0,
         "\nA.PLT -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"output from input", {"A.PLT"}, "", 0,
         "\nA.PLT -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        // DWG goes through the converter plug-in, absent from this program folder.
        {"OutputExt dwg", {"A.PLT"}, "OutputExt=dwg", -2,
         "\nA.PLT -> A.DWG (R11-12 format) " + kNoConverter},
        {"OutputExt .dwg means DXF", {"A.PLT"}, "OutputExt=.dwg", 0,
         "\nA.PLT -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"output without extension", {"A.PLT", "OUT"}, "", 0,
         "\nA.PLT -> OUT.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"output without extension, dwg default", {"A.PLT", "OUT"}, "OutputExt=DWG", -2,
         "\nA.PLT -> OUT.DWG (R11-12 format) " + kNoConverter},
        {"later output name wins", {"A.PLT", "X.DXF", "Y.dwg"}, "", -2,
         "\nA.PLT -> Y.dwg (R11-12 format) " + kNoConverter},
        {"output with folder", {"A.PLT", "sub\\B.DXF"}, "", 0,
         "\nA.PLT -> sub\\B.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"output TXT refused", {"A.PLT", "OUT.TXT"}, "", 1, "ERROR: Output file should be DXF or DWG\n"},
        {"output bare dot refused", {"A.PLT", "OUT."}, "", 1, "ERROR: Output file should be DXF or DWG\n"},
        {"source DXF refused", {"A.DXF"}, "", 1, "ERROR: Source file should not be DXF or DWG\n"},
        {"source dwg refused", {"a.dwg", "b.dxf"}, "", 1, "ERROR: Source file should not be DXF or DWG\n"},
        {"other source extension", {"A.HPG"}, "", 0,
         "\nA.HPG -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"HELP with more arguments is an input name", {"/HELP", "extra"}, "", -1,
         "\n/HELP.PLT -> extra.DXF (R11-12 format) \nError: Could not open Plot File: /HELP.PLT\n"
         "Error: No such file or directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file("a.plt", "IN;");
        write_file("A.HPG", "IN;");
        make_folder("sub");
        write_settings(std::string("[Settings]\n") + c.settings + "\n");
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.text, banner() + c.tail);
    }
}

// Releases 9 and 10 can be asked for, but the drawing cannot be written
// below release 12: the save fails with the database's reason.
TEST_F(CommandLineTest, ReleasesBelowTwelveFailToSave) {
    for (const char* release : {"/9", "/10"}) {
        SCOPED_TRACE(release);
        write_file("A.PLT", "IN;");
        RunResult r = run({"A.PLT", release});
        EXPECT_EQ(r.status, 121);
        EXPECT_EQ(r.text, banner() + "\nA.PLT -> A.DXF (R" + (release + 1) +
                              " format) \nERROR Saving file: A.DXF\nError is 21: Unsupported file write version\n\n"
                              "End Translation. (0 files processed)\n");
        EXPECT_FALSE(exists("A.DXF"));
    }
}

TEST_F(CommandLineTest, ReleaseSwitches) {
    struct Case {
        std::vector<std::string> switches;
        const char* settings;
        int release;
    };
    const Case cases[] = {
        {{}, "", 4},
        {{"/DXF12"}, "", 4},
        {{"/11"}, "", 4},
        {{"/12"}, "", 4},
        {{"/13"}, "", 5},
        {{"/DXF14"}, "", 6},
        {{"/14"}, "", 6},
        {{"/DXF2000"}, "", 7},
        {{"/dxf2000"}, "", 7},
        {{"/2000"}, "", 7},
        {{"/2004"}, "", 8},
        {{"/2007"}, "", 9},
        {{"-2000"}, "", 7},
        {{"/2000", "/12"}, "", 4},          // the last release switch wins
        {{}, "verDXF=7", 7},
        {{"/14"}, "verDXF=7", 6},
        {{"/15"}, "", 4},                   // not a release: ignored
        {{"/2000x"}, "", 4},
    };
    // 2004 and 2007 go through the converter plug-in built beside the program.
    const char* binary = std::getenv("PENLOOM_BIN");
    if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    std::string plugin = folder_of(binary) + "crdll.so";
    ASSERT_EQ(std::system(("cp '" + plugin + "' '" + prog() + "'").c_str()), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.switches) + " " + c.settings);
        RunResult r = run_with_switches(c.switches, c.settings);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.OutputRelease, c.release);
        EXPECT_EQ(r.text, translated(std::string("A.PLT -> A.DXF (R") + release_texts[c.release] + " format)  OK."));
        EXPECT_FALSE(exists("~tmphp~.dxf"));
    }
}

TEST_F(CommandLineTest, Rotation) {
    struct Case {
        std::vector<std::string> switches;
        const char* settings;
        int rotation;
    };
    const Case cases[] = {
        {{"/R=90"}, "", 90},      {{"/R=180"}, "", 180},    {{"/R=270"}, "", 270},
        {{"/R=-90"}, "", 270},    {{"/R=-270"}, "", 90},    {{"/R=45"}, "", 0},
        {{"/R90"}, "", 0},        {{"/r=90"}, "", 0},       {{"/R=360"}, "", 0},
        {{"/R=450"}, "", 0},      {{"/R=-450"}, "", 0},     {{"-R=90"}, "", 90},
        {{"/R=+90"}, "", 90},     {{"/R=90deg"}, "", 90},   {{"/R= 180"}, "", 180},
        {{"/R=99999999999"}, "", 0},
        {{}, "RotateC=45", 45},                   // the setting is not checked
        {{"/R"}, "RotateC=90", 90},               // nothing to read: the setting stays
        {{"/R="}, "RotateC=-90", 270},            // ... and is then checked
        {{"/R=x"}, "RotateC=45", 0},
        {{"/r=180"}, "RotateC=90", 90},
        {{"/R=90", "/R=180"}, "", 180},
        {{"/R=90", "/R=45"}, "", 0},
        {{"/R0x", "/RANDOM"}, "RotateC=180", 180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.switches) + " " + c.settings);
        RunResult r = run_with_switches(c.switches, c.settings);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.rotation, c.rotation);
        std::string progress = "A.PLT -> A.DXF (R11-12 format) ";
        if (c.rotation != 0) progress += " : rotated " + std::to_string(c.rotation) + " degrees";
        EXPECT_EQ(r.text, translated(progress + " OK."));
    }
}

TEST_F(CommandLineTest, FlagSwitches) {
    struct Case {
        const char* name;
        std::vector<std::string> switches;
        const char* settings;
        bool mono;
        bool test_run;
        bool parse_trace;
    };
    const Case cases[] = {
        {"none", {}, "", false, false, false},
        {"MONO", {"/MONO"}, "", true, false, false},
        {"mono lower case", {"/mono"}, "", true, false, false},
        {"dash MONO", {"-MONO"}, "", true, false, false},
        {"mono setting", {}, "mono=1", true, false, false},
        {"TEST", {"/TEST"}, "", false, true, false},
        {"test lower case", {"/test"}, "", false, true, false},
        {"PARSE", {"/PARSE"}, "", false, false, true},
        {"Parser setting", {}, "Parser=1", false, false, true},
        {"unknown switches ignored", {"/XYZ", "-", "/HELP", "-Q"}, "", false, false, false},
        {"all", {"-parse", "/Mono", "-TEST"}, "", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file("A.PLT", "IN;");
        write_settings(std::string("[Settings]\n") + c.settings + "\n");
        std::vector<std::string> args = {"A.PLT"};
        args.insert(args.end(), c.switches.begin(), c.switches.end());
        RunResult r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.mono, c.mono);
        EXPECT_EQ(last.batch.test_run, c.test_run);
        EXPECT_EQ(last.batch.parse_trace, c.parse_trace);
        EXPECT_EQ(last.batch.output_name, "A.DXF");
    }
}

TEST_F(CommandLineTest, TestRunLines) {
    RunResult r = run({"MISSING.PLT", "/TEST"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, banner() + "Test Run. NO FILES WILL BE TRANSLATED.\n\n" +
                          "MISSING.PLT -> MISSING.DXF (R11-12 format) \nEnd Test Run. (1 files processed)\n");
}

TEST_F(CommandLineTest, AbsolutePathsAreNotSwitches) {
    write_file("A.PLT", "IN;");
    make_folder("out");
    struct Case {
        std::string argument;
        std::string output_name;
    };
    const Case cases[] = {
        {path("out/B.DXF"), path("out/B.DXF")},
        {path("out/B"), path("out/B.DXF")},
        {root_, root_ + ".DXF"},    // an existing folder: a path, here without extension
        {"/", "/.DXF"},             // the root folder
        {"/nowhere.dxf", "A.DXF"},  // neither a further folder nor an existing one: an ignored switch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        RunResult r = run({"A.PLT", c.argument});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.output_name, c.output_name);
        EXPECT_EQ(r.text, translated("A.PLT -> " + c.output_name + " (R11-12 format)  OK."));
    }
}

TEST_F(CommandLineTest, AbsoluteInputPath) {
    make_folder("plots");
    write_file("plots/P1.PLT", "IN;");
    RunResult r = run({path("plots/P1.PLT"), "/TEST"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(last.batch.output_name, path("plots/P1.DXF"));
    EXPECT_EQ(last.batch.output_folder, path("plots/"));
}

}  // namespace
}  // namespace penloom::testing
