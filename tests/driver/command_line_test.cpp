// The command line through whole in-process runs: usage, input extension
// rules, output names, every switch and the refusals with their statuses.
#include <cstdlib>

#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class CommandLineTest : public DriverTest {
protected:
    // Translates A.PLT with these arguments after the given [Settings] lines.
    RunResult run_with(const std::vector<std::string>& switches, const std::string& settings = "") {
        write_file("A.PLT", "IN;");
        write_settings("[Settings]\n" + settings + "\n");
        std::vector<std::string> args = {"A.PLT"};
        args.insert(args.end(), switches.begin(), switches.end());
        return run(args);
    }
};

// The whole text of a successful single-file run.
std::string translated(const std::string& progress) {
    return banner() + "\n" + progress + "\nEnd Translation. (1 files processed)\n";
}

TEST_F(CommandLineTest, UsageInputAndOutputNames) {
    const std::string no_converter = "1 load_dll_dc() FAILED:\n\nEnd Translation. (0 files processed)\n";
    const std::string done = "  OK.\nEnd Translation. (1 files processed)\n";
    const std::string not_dxf = "ERROR: Output file should be DXF or DWG\n";
    const std::string source_dxf = "ERROR: Source file should not be DXF or DWG\n";
    const struct { const char* name; std::vector<std::string> args; const char* settings; int status;
                   std::string tail; } rows[] = {  // tail: after the banner
        {"no argument", {}, "", -1, usage()},
        {"PLT appended", {"A"}, "", 0, "\nA.PLT -> A.DXF (R11-12 format)" + done},
        {"OutputExt dwg", {"A.PLT"}, "OutputExt=dwg", -2, "\nA.PLT -> A.DWG (R11-12 format) " + no_converter},
        {"OutputExt .dwg means DXF", {"A.PLT"}, "OutputExt=.dwg", 0, "\nA.PLT -> A.DXF (R11-12 format)" + done},
        {"output without extension, dwg default", {"A.PLT", "OUT"}, "OutputExt=DWG", -2,
         "\nA.PLT -> OUT.DWG (R11-12 format) " + no_converter},
        {"later output name wins", {"A.PLT", "X.DXF", "Y.dwg"}, "", -2,
         "\nA.PLT -> Y.dwg (R11-12 format) " + no_converter},
        {"output with folder", {"A.PLT", "sub\\B.DXF"}, "", 0, "\nA.PLT -> sub\\B.DXF (R11-12 format)" + done},
        {"output TXT refused", {"A.PLT", "OUT.TXT"}, "", 1, not_dxf},
        {"output bare dot refused", {"A.PLT", "OUT."}, "", 1, not_dxf},
        {"source DXF refused", {"A.DXF"}, "", 1, source_dxf},
        {"source dwg refused", {"a.dwg", "b.dxf"}, "", 1, source_dxf},
        {"other source extension", {"A.HPG"}, "", 0, "\nA.HPG -> A.DXF (R11-12 format)" + done},
        {"HELP with more arguments is an input name", {"/HELP", "extra"}, "", -1,
         "\n/HELP.PLT -> extra.DXF (R11-12 format) \nError: Could not open Plot File: /HELP.PLT\n"
         "Error: No such file or directory\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        write_file("a.plt", "IN;");
        write_file("A.HPG", "IN;");
        make_folder("sub");
        write_settings(std::string("[Settings]\n") + row.settings + "\n");
        RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.text, banner() + row.tail);
    }
}

// Releases 9 and 10 can be asked for, but the drawing cannot be written
// below release 12: the save fails with the database's reason.
TEST_F(CommandLineTest, ReleasesBelowTwelveFailToSave) {
    RunResult r = run_with({"/10"});
    EXPECT_EQ(r.status, 121);
    EXPECT_EQ(r.text, banner() + "\nA.PLT -> A.DXF (R10 format) \nERROR Saving file: A.DXF\n"
                                 "Error is 21: Unsupported file write version\n\n"
                                 "End Translation. (0 files processed)\n");
    EXPECT_FALSE(exists("A.DXF"));
}

TEST_F(CommandLineTest, ReleaseSwitches) {
    const struct { std::vector<std::string> switches; const char* settings; int release; } rows[] = {
        {{}, "", 4},           {{"/DXF12"}, "", 4},  {{"/11"}, "", 4},          {{"/9"}, "", 2},
        {{"/13"}, "", 5},      {{"/DXF14"}, "", 6},  {{"/dxf2000"}, "", 7},     {{"/2004"}, "", 8},
        {{"/2007"}, "", 9},    {{"-2000"}, "", 7},   {{}, "verDXF=7", 7},       {{"/14"}, "verDXF=7", 6},
        {{"/2000", "/12"}, "", 4},  // the last release switch wins
        {{"/15"}, "", 4},           // not a release: ignored
        {{"/2000x"}, "", 4},
    };
    // 2004 and 2007 go through the converter plug-in built beside the program.
    const char* binary = std::getenv("PENLOOM_BIN");
    if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    ASSERT_EQ(std::system(("cp '" + folder_of(binary) + "crdll.so' '" + prog() + "'").c_str()), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.switches) + " " + row.settings);
        RunResult r = run_with(row.switches, row.settings);
        EXPECT_EQ(last.batch.OutputRelease, row.release);
        if (row.release < 4) continue;  // cannot be saved: above
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.text, translated(std::string("A.PLT -> A.DXF (R") + release_texts[row.release] + " format)  OK."));
        EXPECT_FALSE(exists("~tmphp~.dxf"));
    }
}

TEST_F(CommandLineTest, Rotation) {
    const struct { std::vector<std::string> switches; const char* settings; int rotation; } rows[] = {
        {{"/R=90"}, "", 90},     {{"/R=270"}, "", 270},   {{"/R=-90"}, "", 270},   {{"/R=-270"}, "", 90},
        {{"/R=45"}, "", 0},      {{"/R90"}, "", 0},       {{"/r=90"}, "", 0},      {{"/R=360"}, "", 0},
        {{"/R=-450"}, "", 0},    {{"-R=90"}, "", 90},     {{"/R=90deg"}, "", 90},  {{"/R= 180"}, "", 180},
        {{}, "RotateC=45", 45},          // the setting is not checked
        {{"/R"}, "RotateC=90", 90},      // nothing to read: the setting stays
        {{"/R="}, "RotateC=-90", 270},   // ... and is then checked
        {{"/R=x"}, "RotateC=45", 0},     {{"/R=90", "/R=45"}, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.switches) + " " + row.settings);
        RunResult r = run_with(row.switches, row.settings);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.rotation, row.rotation);
        const std::string rotated = row.rotation ? " : rotated " + std::to_string(row.rotation) + " degrees" : "";
        EXPECT_EQ(r.text, translated("A.PLT -> A.DXF (R11-12 format) " + rotated + " OK."));
    }
}

TEST_F(CommandLineTest, FlagSwitches) {
    const struct { std::vector<std::string> switches; const char* settings; const char* flags; } rows[] = {
        {{}, "", ""},        {{"/mono"}, "", "m"},   {{}, "mono=1", "m"},   {{"/TEST"}, "", "t"},
        {{}, "Parser=1", "p"}, {{"/XYZ", "-", "/HELP", "-Q"}, "", ""},
        {{"-parse", "/Mono", "-TEST"}, "", "mtp"},
    };  // m: mono, t: test run, p: parse trace
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.switches) + " " + row.settings);
        RunResult r = run_with(row.switches, row.settings);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(std::string(last.batch.mono ? "m" : "") + (last.batch.test_run ? "t" : "") +
                      (last.batch.parse_trace ? "p" : ""), row.flags);
        EXPECT_EQ(last.batch.output_name, "A.DXF");
    }
}

TEST_F(CommandLineTest, AbsolutePathsAreNotSwitches) {
    make_folder("out");
    const struct { std::string argument; std::string output_name; } rows[] = {
        {path("out/B"), path("out/B.DXF")},
        {root_, root_ + ".DXF"},    // an existing folder: a path, here without extension
        {"/", "/.DXF"},             // the root folder
        {"/nowhere.dxf", "A.DXF"},  // neither a further folder nor an existing one: an ignored switch
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.argument);
        RunResult r = run_with({row.argument});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.text, translated("A.PLT -> " + row.output_name + " (R11-12 format)  OK."));
    }
    make_folder("plots");  // an absolute input: the output beside it
    write_file("plots/P1.PLT", "IN;");
    RunResult r = run({path("plots/P1.PLT"), "/TEST"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(last.batch.output_name, path("plots/P1.DXF"));
    EXPECT_EQ(last.batch.output_folder, path("plots/"));
}

}  // namespace
}  // namespace penloom::testing
