// The plug-in's conversions, run in-process: release 2000 DXF of our own
// drawing library rewritten as 2004 and 2007, the /2000 copy, the refusals,
// and what a failure leaves behind. The rewritten drawings go to the e2e
// folder with sidecars for the ezdxf read-back.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cadrelay.h"
#include "converter/converter_fixture.h"
#include "relay.h"

namespace penloom::relay {
namespace {

using namespace penloom::testing;

std::string command(const std::string& input, const std::string& output, const char* release) {
    return " \"" + input + "\" \"" + output + "\" " + release;
}

// run_command with at most `limit` bytes written; its messages must be `messages`.
int run(const std::string& text, std::uint64_t limit = UINT64_MAX, const std::string& messages = "") {
    std::FILE* sink = std::tmpfile();
    const int status = run_command(text, sink, limit);
    std::rewind(sink);
    std::string printed;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, sink)) > 0;) printed.append(buffer, n);
    std::fclose(sink);
    EXPECT_EQ(printed, messages);
    return status;
}

std::vector<std::string> labels_in_code_page() {
    std::vector<std::string> labels;
    for (const Label& label : sample_labels) labels.push_back(label.code_page_bytes);
    return labels;
}

// The read-back expectations of a rewritten drawing (names and labels need
// no JSON escapes).
std::string sidecar_members(const char* version, const TestDrawing& drawing, const std::string& hyperlink) {
    std::string layers, counts;
    for (const std::string& name : drawing.layers) layers += (layers.empty() ? "\"" : ", \"") + name + "\"";
    for (const auto& [name, count] : drawing.entity_counts)
        counts += (counts.empty() ? "\"" : ", \"") + name + "\": " + std::to_string(count);
    return std::string("\"acadver\": \"") + version + "\", \"dxfversion\": \"" + version + "\", \"entities\": {" +
           counts + "}, \"layers\": [" + layers + "], \"header\": {\"$DWGCODEPAGE\": \"ANSI_1252\", " +
           "\"$HYPERLINKBASE\": \"" + hyperlink + "\"}";
}

// Removes what the 2004 rewrite adds (class instance counts and the header
// variables the input lacks) and undoes what it changes, so that the rest
// can be compared with the input group for group.
DxfGroups without_2004_changes(const DxfGroups& output, const DxfGroups& input) {
    std::set<std::string> input_variables;
    for (const auto& [code, value] : input)
        if (code == 9) input_variables.insert(value);
    DxfGroups kept;
    bool skipping_variable = false;
    bool in_classes = false;
    std::string variable;
    for (const auto& [code, value] : output) {
        if (code == 2 && (value == "CLASSES" || value == "TABLES")) in_classes = value == "CLASSES";
        if (code == 9) {
            variable = value;
            skipping_variable = input_variables.count(value) == 0;
        } else if (code == 0) {
            skipping_variable = false;
        }
        if (skipping_variable || (in_classes && code == 91)) continue;
        if (variable == "$ACADVER" && code == 1) kept.emplace_back(code, "AC1015");
        else if (variable == "$ACADMAINTVER" && code == 70) kept.emplace_back(code, "     6");
        else kept.emplace_back(code, value);
    }
    return kept;
}

std::map<std::string, std::string> class_counts(const DxfGroups& groups) {
    std::map<std::string, std::string> counts;
    std::string name;
    for (const auto& [code, value] : groups) {
        if (code == 1) name = value;
        if (code == 91) counts[name] = value;
        if (code == 0 && value == "ENDSEC" && !counts.empty()) break;
    }
    return counts;
}

TEST(RelayUpgrade, Rewrites2004) {
    const std::string dir = fresh_dir("upgrade-2004");
    const std::string input = dir + "~tmphp~.dxf";
    const std::string hyperlink = sample_labels[0].code_page_bytes;
    const TestDrawing drawing = write_test_drawing(input, labels_in_code_page(), "ANSI_1252", hyperlink);
    const std::string output = readback_dir("converter") + "upgrade-2004.dxf";
    ASSERT_EQ(run(command(input, output, "/2004")), CADRELAY_OK);

    const DxfGroups in = dxf_groups(slurp(input));
    const DxfGroups out = dxf_groups(slurp(output));
    EXPECT_EQ(values_of(out, "$ACADVER", 1), std::vector<std::string>{"AC1018"});
    EXPECT_EQ(values_of(out, "$ACADMAINTVER", 70), std::vector<std::string>{"     0"});
    EXPECT_EQ(values_of(out, "$SORTENTS", 280), std::vector<std::string>{"   127"});
    EXPECT_EQ(values_of(out, "$HANDSEED", 5), values_of(in, "$HANDSEED", 5));
    EXPECT_EQ(values_of(out, "$LOFTPARAM", 70), std::vector<std::string>{});   // 2007 only
    const std::map<std::string, std::string> expected_counts = {
        {"LWPOLYLINE", "        2"}, {"HATCH", "        3"},  {"ACDBDICTIONARYWDFLT", "        1"},
        {"ACDBPLACEHOLDER", "        1"}, {"LAYOUT", "        2"},
    };
    EXPECT_EQ(class_counts(out), expected_counts);
    // Text stays in the drawing's code page.
    const std::vector<std::string> texts = values_of(out, "TEXT", 1);
    ASSERT_EQ(texts.size(), 2 + sample_labels.size());
    EXPECT_EQ(texts[2], sample_labels[0].code_page_bytes);
    EXPECT_EQ(without_2004_changes(out, in), in);

    write_sidecar(output, sidecar_members("AC1018", drawing, "äöü"));
}

TEST(RelayUpgrade, Rewrites2007InUtf8WithMaterials) {
    const std::string dir = fresh_dir("upgrade-2007");
    const std::string input = dir + "~tmphp~.dxf";
    const TestDrawing drawing =
        write_test_drawing(input, labels_in_code_page(), "ANSI_1252", sample_labels[1].code_page_bytes);
    const std::string output = readback_dir("converter") + "upgrade-2007.dxf";
    ASSERT_EQ(run(command(input, output, "/2007")), CADRELAY_OK);

    const DxfGroups in = dxf_groups(slurp(input));
    const DxfGroups out = dxf_groups(slurp(output));
    EXPECT_EQ(values_of(out, "$ACADVER", 1), std::vector<std::string>{"AC1021"});
    EXPECT_EQ(values_of(out, "$DWGCODEPAGE", 3), std::vector<std::string>{"ANSI_1252"});
    EXPECT_EQ(values_of(out, "$LOFTPARAM", 70), std::vector<std::string>{"     7"});
    const std::vector<std::string> texts = values_of(out, "TEXT", 1);
    ASSERT_EQ(texts.size(), 2 + sample_labels.size());
    for (std::size_t i = 0; i < sample_labels.size(); ++i) EXPECT_EQ(texts[2 + i], sample_labels[i].utf8);
    EXPECT_EQ(values_of(out, "$HYPERLINKBASE", 1), std::vector<std::string>{sample_labels[1].utf8});

    // Four new handles from the seed: the material dictionary, then ByBlock,
    // ByLayer and Global.
    const unsigned long seed = std::stoul(values_of(in, "$HANDSEED", 5).at(0), nullptr, 16);
    const auto hex = [](unsigned long h) {
        char text[20];
        std::snprintf(text, sizeof text, "%lX", h);
        return std::string(text);
    };
    EXPECT_EQ(values_of(out, "$HANDSEED", 5), std::vector<std::string>{hex(seed + 4)});
    EXPECT_EQ(values_of(out, "$CMATERIAL", 347), std::vector<std::string>{hex(seed + 2)});
    EXPECT_EQ(values_of(out, "MATERIAL", 1), (std::vector<std::string>{"ByBlock", "ByLayer", "Global"}));
    EXPECT_EQ(values_of(out, "MATERIAL", 5), (std::vector<std::string>{hex(seed + 1), hex(seed + 2), hex(seed + 3)}));
    EXPECT_EQ(values_of(out, "LAYER", 347), std::vector<std::string>(drawing.layers.size(), hex(seed + 3)));
    const std::vector<std::string> root_keys = values_of(out, "DICTIONARY", 3);
    const std::vector<std::string> expected_keys = {"ACAD_GROUP", "ACAD_LAYOUT", "ACAD_MATERIAL", "ACAD_MLINESTYLE",
                                                    "ACAD_PLOTSTYLENAME"};
    ASSERT_GE(root_keys.size(), expected_keys.size());
    EXPECT_EQ(std::vector<std::string>(root_keys.begin(), root_keys.begin() + 5), expected_keys);
    EXPECT_EQ(class_counts(out).at("MATERIAL"), "        3");

    write_sidecar(output, sidecar_members("AC1021", drawing, sample_labels[1].utf8));
}

TEST(RelayUpgrade, KeepsUnixLineEnds) {
    const std::string dir = fresh_dir("upgrade-lf");
    write_test_drawing(dir + "crlf.dxf", {"\xE4"});
    std::string text = slurp(dir + "crlf.dxf");
    std::string lf;
    for (const char c : text)
        if (c != '\r') lf += c;
    spill(dir + "lf.dxf", lf);
    ASSERT_EQ(run(command(dir + "lf.dxf", dir + "out.dxf", "/2007")), CADRELAY_OK);
    const std::string out = slurp(dir + "out.dxf");
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_NE(out.find("\n  1\n\xC3\xA4\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 8), "  0\nEOF\n");
}

TEST(RelayUpgrade, Copies2000Unchanged) {
    const std::string dir = fresh_dir("copy-2000");
    write_test_drawing(dir + "in.dxf", labels_in_code_page());
    ASSERT_EQ(run(command(dir + "in.dxf", dir + "OUT.DXF", "/2000")), CADRELAY_OK);
    EXPECT_EQ(slurp(dir + "OUT.DXF"), slurp(dir + "in.dxf"));
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"OUT.DXF", "in.dxf"}));
}

TEST(RelayUpgrade, CodePageWithoutTable) {
    const std::string dir = fresh_dir("code-page");
    write_test_drawing(dir + "kanji.dxf", {"\x93\xfa"}, "ANSI_932");
    write_test_drawing(dir + "ascii.dxf", {"ok"}, "ANSI_932");
    EXPECT_EQ(run(command(dir + "kanji.dxf", dir + "k.dxf", "/2007")), CADRELAY_BAD_CODE_PAGE);
    EXPECT_EQ(run(command(dir + "kanji.dxf", dir + "k4.dxf", "/2004")), CADRELAY_OK);
    EXPECT_EQ(run(command(dir + "ascii.dxf", dir + "a.dxf", "/2007")), CADRELAY_OK);
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"a.dxf", "ascii.dxf", "k4.dxf", "kanji.dxf"}));
}

// Every refusal and failure: its status, no message, and the older output
// untouched with no temporary file left beside it.
TEST(RelayUpgrade, FailuresLeaveTheOldOutput) {
    const std::string dir = fresh_dir("failures");
    write_test_drawing(dir + "good.dxf", {});
    const std::string good = slurp(dir + "good.dxf");
    spill(dir + "r12.dxf",
          "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    spill(dir + "truncated.dxf", good.substr(0, good.size() / 2));
    std::string bad_code = good;
    bad_code.replace(bad_code.find("\r\n  2\r\nENTITIES"), 5, "\r\n x2");
    spill(dir + "bad-code.dxf", bad_code);
    const std::string old_output = "older drawing\n";

    const struct { const char* name; std::string command; std::uint64_t limit; int status; } rows[] = {
        {"missing input", command(dir + "none.dxf", dir + "OUT.DXF", "/2004"), UINT64_MAX, CADRELAY_CANNOT_READ},
        {"R12 input", command(dir + "r12.dxf", dir + "OUT.DXF", "/2007"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"truncated", command(dir + "truncated.dxf", dir + "OUT.DXF", "/2004"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"bad code", command(dir + "bad-code.dxf", dir + "OUT.DXF", "/2000"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"bad command", " \"" + dir + "good.dxf\" " + dir + "OUT.DXF /2004", UINT64_MAX, CADRELAY_BAD_COMMAND},
        {"down to 12", command(dir + "good.dxf", dir + "OUT.DXF", "/12"), UINT64_MAX, CADRELAY_DOWNGRADE_REFUSED},
        {"write fails early", command(dir + "good.dxf", dir + "OUT.DXF", "/2004"), 100, CADRELAY_CANNOT_WRITE},
        {"write fails late", command(dir + "good.dxf", dir + "OUT.DXF", "/2007"), good.size(), CADRELAY_CANNOT_WRITE},
        {"copy fails", command(dir + "good.dxf", dir + "OUT.DXF", "/2000"), good.size() - 1, CADRELAY_CANNOT_WRITE},
        {"output folder missing", command(dir + "good.dxf", dir + "missing/OUT.DXF", "/2004"), UINT64_MAX,
         CADRELAY_CANNOT_WRITE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        spill(dir + "OUT.DXF", old_output);
        const std::vector<std::string> before = names_in(dir);
        EXPECT_EQ(run(row.command, row.limit), row.status);
        EXPECT_EQ(slurp(dir + "OUT.DXF"), old_output);
        EXPECT_EQ(names_in(dir), before);
    }
}

TEST(RelayUpgrade, DwgIsNotAvailable) {
    const std::string dir = fresh_dir("dwg");
    write_test_drawing(dir + "in.dxf", {});
    for (const auto& [release, name] : {std::pair{"/12", "plot.dwg"}, std::pair{"/2007", "PLOT.DWG"}}) {
        SCOPED_TRACE(release);
        EXPECT_EQ(run(command(dir + "in.dxf", dir + name, release), UINT64_MAX,
                      "crdll: DWG output is not available yet; " + dir + name + " was not written.\n"),
                  CADRELAY_DWG_UNAVAILABLE);
        EXPECT_EQ(names_in(dir), std::vector<std::string>{"in.dxf"});
    }
}

}  // namespace
}  // namespace penloom::relay
