// The plug-in's conversions, run in-process: release 2000 DXF of our own
// drawing library rewritten as 2004 and 2007, the /2000 copy, the refusals,
// and what a failure leaves behind. The rewritten drawings go to the e2e
// folder with sidecars for the ezdxf read-back.
#include <cstdio>
#include <cstdlib>
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
using Values = std::vector<std::string>;

std::string command(const std::string& input, const std::string& output, const char* release) {
    return " \"" + input + "\" \"" + output + "\" " + release;
}

// run_command with at most `limit` bytes written; its messages must be `messages`.
int run(const std::string& text, std::uint64_t limit = UINT64_MAX, const std::string& messages = "") {
    char* printed = nullptr;
    std::size_t length = 0;
    std::FILE* sink = open_memstream(&printed, &length);
    const int status = run_command(text, sink, limit);
    std::fclose(sink);
    EXPECT_EQ(std::string(printed, length), messages);
    std::free(printed);
    return status;
}

// Writes the test drawing with every sample label, converts it to `release`
// as <name>.dxf in the e2e folder with its read-back sidecar (the hyperlink
// base is sample label `link`); returns the input and output groups.
std::pair<DxfGroups, DxfGroups> upgrade(const char* release, const char* acadver, std::size_t link) {
    const std::string name = std::string("upgrade-") + (release + 1);
    const std::string input = fresh_dir(name) + "~tmphp~.dxf";
    const std::string output = readback_dir("converter") + name + ".dxf";
    Values labels;
    for (const Label& label : sample_labels) labels.push_back(label.code_page_bytes);
    const TestDrawing drawing = write_test_drawing(input, labels, 30, sample_labels[link].code_page_bytes);
    EXPECT_EQ(run(command(input, output, release)), CADRELAY_OK);
    std::string layers, counts;  // names and labels need no JSON escapes
    for (const std::string& layer : drawing.layers) layers += (layers.empty() ? "\"" : ", \"") + layer + "\"";
    for (const auto& [type, count] : drawing.entity_counts)
        counts += (counts.empty() ? "\"" : ", \"") + type + "\": " + std::to_string(count);
    write_sidecar(output, std::string("\"acadver\": \"") + acadver + "\", \"dxfversion\": \"" + acadver +
                              "\", \"entities\": {" + counts + "}, \"layers\": [" + layers +
                              "], \"header\": {\"$DWGCODEPAGE\": \"ANSI_1252\", \"$HYPERLINKBASE\": \"" +
                              sample_labels[link].utf8 + "\"}");
    return {dxf_groups(slurp(input)), dxf_groups(slurp(output))};
}

// The 91 groups of the CLASSES section by class name.
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

// The 2004 output is the input but for the release, the class instance
// counts and the header variables the input lacks.
TEST(RelayUpgrade, Rewrites2004) {
    const auto [in, out] = upgrade("/2004", "AC1018", 0);
    EXPECT_EQ(values_of(out, "$ACADVER", 1), Values{"AC1018"});
    EXPECT_EQ(values_of(out, "$ACADMAINTVER", 70), Values{"     0"});
    EXPECT_EQ(values_of(out, "$SORTENTS", 280), Values{"   127"});
    EXPECT_EQ(values_of(out, "$LOFTPARAM", 70), Values{});  // 2007 only
    const std::map<std::string, std::string> expected_counts = {
        {"LWPOLYLINE", "        2"}, {"HATCH", "        3"}, {"ACDBDICTIONARYWDFLT", "        1"},
        {"ACDBPLACEHOLDER", "        1"}, {"LAYOUT", "        2"}};
    EXPECT_EQ(class_counts(out), expected_counts);
    std::set<std::string> input_variables;
    for (const auto& [code, value] : in)
        if (code == 9) input_variables.insert(value);
    DxfGroups kept;  // the output without what the rewrite adds, with what it changes undone
    bool skipping = false, in_classes = false;
    std::string variable;
    for (const auto& [code, value] : out) {
        if (code == 2 && (value == "CLASSES" || value == "TABLES")) in_classes = value == "CLASSES";
        if (code == 9) variable = value, skipping = input_variables.count(value) == 0;
        else if (code == 0) skipping = false;
        if (skipping || (in_classes && code == 91)) continue;
        if (variable == "$ACADVER" && code == 1) kept.push_back({code, "AC1015"});
        else if (variable == "$ACADMAINTVER" && code == 70) kept.push_back({code, "     6"});
        else kept.push_back({code, value});
    }
    EXPECT_EQ(kept, in);  // text stays in the drawing's code page
}

TEST(RelayUpgrade, Rewrites2007InUtf8WithMaterials) {
    const auto [in, out] = upgrade("/2007", "AC1021", 1);
    EXPECT_EQ(values_of(out, "$ACADVER", 1), Values{"AC1021"});
    EXPECT_EQ(values_of(out, "$DWGCODEPAGE", 3), Values{"ANSI_1252"});
    EXPECT_EQ(values_of(out, "$LOFTPARAM", 70), Values{"     7"});
    const Values texts = values_of(out, "TEXT", 1);
    ASSERT_EQ(texts.size(), 2 + sample_labels.size());
    for (std::size_t i = 0; i < sample_labels.size(); ++i) EXPECT_EQ(texts[2 + i], sample_labels[i].utf8);
    EXPECT_EQ(values_of(out, "$HYPERLINKBASE", 1), Values{sample_labels[1].utf8});
    // Four new handles from the seed: the material dictionary, then ByBlock,
    // ByLayer and Global.
    const unsigned long seed = std::stoul(values_of(in, "$HANDSEED", 5).at(0), nullptr, 16);
    const auto hex = [seed](unsigned long n) {
        char text[20];
        std::snprintf(text, sizeof text, "%lX", seed + n);
        return std::string(text);
    };
    EXPECT_EQ(values_of(out, "$HANDSEED", 5), Values{hex(4)});
    EXPECT_EQ(values_of(out, "$CMATERIAL", 347), Values{hex(2)});
    EXPECT_EQ(values_of(out, "MATERIAL", 1), (Values{"ByBlock", "ByLayer", "Global"}));
    EXPECT_EQ(values_of(out, "MATERIAL", 5), (Values{hex(1), hex(2), hex(3)}));
    EXPECT_EQ(values_of(out, "LAYER", 347), Values(4, hex(3)));
    const Values keys = values_of(out, "DICTIONARY", 3);
    ASSERT_GE(keys.size(), 5u);
    EXPECT_EQ(Values(keys.begin(), keys.begin() + 5), (Values{"ACAD_GROUP", "ACAD_LAYOUT", "ACAD_MATERIAL",
                                                              "ACAD_MLINESTYLE", "ACAD_PLOTSTYLENAME"}));
    EXPECT_EQ(class_counts(out).at("MATERIAL"), "        3");
}

// Line ends stay "\n"; /2000 copies; a code page without a table holds only
// ASCII for 2007; DWG of /12, /2004 and /2007 is not written.
TEST(RelayUpgrade, LineEndsCopiesCodePagesAndDwg) {
    const std::string dir = fresh_dir("upgrade-other");
    write_test_drawing(dir + "crlf.dxf", {"\xE4"});
    std::string lf;
    for (const char c : slurp(dir + "crlf.dxf"))
        if (c != '\r') lf += c;
    spill(dir + "lf.dxf", lf);
    ASSERT_EQ(run(command(dir + "lf.dxf", dir + "out.dxf", "/2007")), CADRELAY_OK);
    const std::string out = slurp(dir + "out.dxf");
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_NE(out.find("\n  1\n\xC3\xA4\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 8), "  0\nEOF\n");
    ASSERT_EQ(run(command(dir + "crlf.dxf", dir + "OUT.DXF", "/2000")), CADRELAY_OK);
    EXPECT_EQ(slurp(dir + "OUT.DXF"), slurp(dir + "crlf.dxf"));

    write_test_drawing(dir + "kanji.dxf", {"\x93\xfa"}, 38);
    write_test_drawing(dir + "ascii.dxf", {"ok"}, 38);
    EXPECT_EQ(run(command(dir + "kanji.dxf", dir + "k.dxf", "/2007")), CADRELAY_BAD_CODE_PAGE);
    EXPECT_EQ(run(command(dir + "kanji.dxf", dir + "k4.dxf", "/2004")), CADRELAY_OK);
    EXPECT_EQ(run(command(dir + "ascii.dxf", dir + "a.dxf", "/2007")), CADRELAY_OK);
    // The program writes DWG of R12 to 2004 itself; another release that
    // reaches the plug-in is refused with the names of the ones that work.
    for (const char* release : {"/12", "/2004", "/2007"})
        EXPECT_EQ(run(command(dir + "ascii.dxf", dir + "plot.dwg", release), UINT64_MAX,
                      "crdll: DWG output is available at /12, /13, /14, /2000 and /2004 only; " + dir +
                          "plot.dwg was not written.\n"),
                  CADRELAY_DWG_UNAVAILABLE)
            << release;
    EXPECT_EQ(names_in(dir), (Values{"OUT.DXF", "a.dxf", "ascii.dxf", "crlf.dxf", "k4.dxf", "kanji.dxf",
                                     "lf.dxf", "out.dxf"}));
}

// Every refusal and failure: its status, no message, and the older output
// untouched with no temporary file left beside it.
TEST(RelayUpgrade, FailuresLeaveTheOldOutput) {
    const std::string dir = fresh_dir("failures");
    write_test_drawing(dir + "good.dxf", {});
    const std::string good = slurp(dir + "good.dxf"), good_in = dir + "good.dxf", out = dir + "OUT.DXF";
    spill(dir + "r12.dxf", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n"
                           "  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    spill(dir + "truncated.dxf", good.substr(0, good.size() / 2));
    std::string bad_code = good;
    spill(dir + "bad-code.dxf", bad_code.replace(bad_code.find("\r\n  2\r\nENTITIES"), 5, "\r\n x2"));
    const struct { const char* name; std::string command; std::uint64_t limit; int status; } rows[] = {
        {"missing input", command(dir + "none.dxf", out, "/2004"), UINT64_MAX, CADRELAY_CANNOT_READ},
        {"R12 input", command(dir + "r12.dxf", out, "/2007"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"truncated", command(dir + "truncated.dxf", out, "/2004"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"bad code", command(dir + "bad-code.dxf", out, "/2000"), UINT64_MAX, CADRELAY_NOT_R2000_DXF},
        {"bad command", " \"" + good_in + "\" " + out + " /2004", UINT64_MAX, CADRELAY_BAD_COMMAND},
        {"down to 12", command(good_in, out, "/12"), UINT64_MAX, CADRELAY_DOWNGRADE_REFUSED},
        {"write fails early", command(good_in, out, "/2004"), 100, CADRELAY_CANNOT_WRITE},
        {"write fails late", command(good_in, out, "/2007"), good.size(), CADRELAY_CANNOT_WRITE},
        {"copy fails", command(good_in, out, "/2000"), good.size() - 1, CADRELAY_CANNOT_WRITE},
        {"output folder missing", command(good_in, dir + "missing/OUT.DXF", "/2004"), UINT64_MAX,
         CADRELAY_CANNOT_WRITE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        spill(out, "older drawing\n");
        const Values before = names_in(dir);
        EXPECT_EQ(run(row.command, row.limit), row.status);
        EXPECT_EQ(slurp(out), "older drawing\n");
        EXPECT_EQ(names_in(dir), before);
    }
}

}  // namespace
}  // namespace penloom::relay
