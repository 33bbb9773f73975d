// The command line through whole in-process runs: usage, input extension
// rules, output names, every switch and the refusals with their statuses.
#include <cstdlib>

#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, UsageInputAndOutputNames) {
    const std::string done = "  OK.\nEnd Translation. (1 files processed)\n";
    const std::string not_dxf = "ERROR: Output file should be DXF or DWG\n";
    const std::string source_dxf = "ERROR: Source file should not be DXF or DWG\n";
    const std::string p1 = path("plots/P1");
    const MessageRow rows[] = {
        {"no argument", {}, "", -1, usage()},
        // Releases 9 and 10 can be asked for, but no drawing is written below release 12.
        {"below release 12", {"A.PLT", "/10"}, "", 121,
         "\nA.PLT -> A.DXF (R10 format) \nERROR Saving file: A.DXF\n"
         "Error is 21: Unsupported file write version\n\nEnd Translation. (0 files processed)\n"},
        {"PLT appended", {"A"}, "", 0, "\nA.PLT -> A.DXF (R11-12 format)" + done},
        {"OutputExt dwg", {"A.PLT"}, "OutputExt=dwg", 0, "\nA.PLT -> A.DWG (R11-12 format)" + done},
        {"OutputExt .dwg is DXF", {"A.PLT"}, "OutputExt=.dwg", 0, "\nA.PLT -> A.DXF (R11-12 format)" + done},
        {"output without extension, dwg default", {"A.PLT", "OUT"}, "OutputExt=DWG", 0,
         "\nA.PLT -> OUT.DWG (R11-12 format)" + done},
        {"later output name wins", {"A.PLT", "X.DXF", "Y.dwg"}, "", 0, "\nA.PLT -> Y.dwg (R11-12 format)" + done},
        {"in a folder", {"A.PLT", "sub\\B.DXF"}, "", 0, "\nA.PLT -> sub\\B.DXF (R11-12 format)" + done},
        {"output TXT refused", {"A.PLT", "OUT.TXT"}, "", 1, not_dxf},
        {"output bare dot refused", {"A.PLT", "OUT."}, "", 1, not_dxf},
        {"source DXF refused", {"A.DXF"}, "", 1, source_dxf},
        {"source dwg refused", {"a.dwg", "b.dxf"}, "", 1, source_dxf},
        {"other source extension", {"A.HPG"}, "", 0, "\nA.HPG -> A.DXF (R11-12 format)" + done},
        {"HELP with more arguments is an input name", {"/HELP", "extra"}, "", -1,
         "\n/HELP.PLT -> extra.DXF (R11-12 format) \nError: Could not open Plot File: /HELP.PLT\n"
         "Error: No such file or directory\n"},
        {"absolute input: the output beside it", {p1 + ".PLT", "/TEST"}, "", 0,
         "Test Run. NO FILES WILL BE TRANSLATED.\n\n" + p1 + ".PLT -> " + p1 +
             ".DXF (R11-12 format) \nEnd Test Run. (1 files processed)\n"},
    };
    for (const char* name : {"a.plt", "A.HPG", "plots/P1.PLT"}) write_file(name, "IN;");
    make_folder("sub");
    for (const MessageRow& row : rows) {
        expect_messages(row);
        EXPECT_TRUE(row.status != 121 || !exists("A.DXF")) << row.name;
    }
}

// Switches after "A.PLT": the reading is "release rotation flags output"
// (flags: m mono, t test run, p parse trace); a run that is no test run
// prints the same in its progress line.
TEST_F(DriverTest, Switches) {
    const std::string out = path("out/B.DXF");
    const struct { std::vector<std::string> switches; const char* settings; std::string reading; } rows[] = {
        {{}, "", "4 0  A.DXF"}, {{"/DXF12"}, "", "4 0  A.DXF"}, {{"/9"}, "", "2 0  A.DXF"},
        {{"/13"}, "", "5 0  A.DXF"}, {{"/DXF14"}, "", "6 0  A.DXF"}, {{"/dxf2000"}, "", "7 0  A.DXF"},
        {{"/2004"}, "", "8 0  A.DXF"}, {{"/2007"}, "", "9 0  A.DXF"}, {{"/14"}, "verDXF=7", "6 0  A.DXF"},
        {{}, "verDXF=7", "7 0  A.DXF"},
        {{"/2000", "/12"}, "", "4 0  A.DXF"}, {{"/15"}, "", "4 0  A.DXF"}, {{"/2000x"}, "", "4 0  A.DXF"},
        {{"/R=90"}, "", "4 90  A.DXF"}, {{"/R=-90"}, "", "4 270  A.DXF"}, {{"/R=-270"}, "", "4 90  A.DXF"},
        {{"/R=45"}, "", "4 0  A.DXF"}, {{"/R90"}, "", "4 0  A.DXF"}, {{"/r=90"}, "", "4 0  A.DXF"},
        {{"/R=360"}, "", "4 0  A.DXF"}, {{"/R=-450"}, "", "4 0  A.DXF"}, {{"-R=90"}, "", "4 90  A.DXF"},
        {{"/R= 180"}, "", "4 180  A.DXF"}, {{}, "RotateC=45", "4 45  A.DXF"},  // the setting is not checked
        {{"/R"}, "RotateC=90", "4 90  A.DXF"},   // nothing to read: the setting stays
        {{"/R="}, "RotateC=-90", "4 270  A.DXF"},  // ... and is then checked
        {{"/R=x"}, "RotateC=45", "4 0  A.DXF"}, {{"/R=90", "/R=45"}, "", "4 0  A.DXF"},
        {{"/mono"}, "", "4 0 m A.DXF"}, {{}, "mono=1", "4 0 m A.DXF"}, {{"/TEST"}, "", "4 0 t A.DXF"},
        {{}, "Parser=1", "4 0 p A.DXF"}, {{"/XYZ", "-", "/HELP", "-Q"}, "", "4 0  A.DXF"},
        {{"-parse", "/Mono", "-TEST"}, "", "4 0 mtp A.DXF"},
        // Absolute paths are no switches when they go on into a further folder or name one.
        {{path("out/B")}, "", "4 0  " + out}, {{root_}, "", "4 0  " + root_ + ".DXF"},
        {{"/"}, "", "4 0  /.DXF"}, {{"/nowhere.dxf"}, "", "4 0  A.DXF"},
    };
    // 2004 and 2007 go through the converter plug-in built beside the program.
    const char* binary = std::getenv("PENLOOM_BIN");
    if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    ASSERT_EQ(std::system(("cp '" + folder_of(binary) + "crdll.so' '" + prog() + "'").c_str()), 0);
    make_folder("out");
    write_file("A.PLT", "IN;");
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.switches) + " " + row.settings);
        std::vector<std::string> args = {"A.PLT"};
        args.insert(args.end(), row.switches.begin(), row.switches.end());
        write_settings(std::string("[Settings]\n") + row.settings + "\n");
        RunResult r = run(args);
        const BatchState& b = last->batch;
        EXPECT_EQ(std::to_string(b.OutputRelease) + " " + std::to_string(b.rotation) + " " +
                      (b.mono ? "m" : "") + (b.test_run ? "t" : "") + (b.parse_trace ? "p" : "") + " " +
                      b.output_name, row.reading);
        if (b.OutputRelease < 4 || b.test_run) continue;  // below release 12: UsageInputAndOutputNames
        const std::string rotated = b.rotation ? " : rotated " + std::to_string(b.rotation) + " degrees" : "";
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.text, banner() + "\nA.PLT -> " + b.output_name + " (R" + release_texts[b.OutputRelease] +
                              " format) " + rotated + " OK.\nEnd Translation. (1 files processed)\n");
        EXPECT_FALSE(exists("~tmphp~.dxf"));
    }
}

}  // namespace
}  // namespace penloom::testing
