// The plug-in's reading of its command text, and its code-page tables.
#include <string>

#include <gtest/gtest.h>

#include "code_pages.h"
#include "relay_command.h"

namespace penloom::relay {
namespace {

TEST(ParseCommand, AcceptsTheProgramsFormat) {
    const struct { const char *text, *input, *output; Release release; bool dwg; } rows[] = {
        {" \"/a/~tmphp~.dxf\" \"/a/PLOT.DWG\" /2000", "/a/~tmphp~.dxf", "/a/PLOT.DWG", Release::r2000, true},
        {" \"in.dxf\" \"out.Dwg\" /12", "in.dxf", "out.Dwg", Release::r12, true},
        {" \"in.dxf\" \"o.dwg\" /14  ", "in.dxf", "o.dwg", Release::r14, true},
        {"\"a b/c d.dxf\"\t\"e f.dwg.dxf\" /2004", "a b/c d.dxf", "e f.dwg.dxf", Release::r2004, false},
        {" \"in.dxf\" \"dir.dwg/out\" /2007", "in.dxf", "dir.dwg/out", Release::r2007, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        RelayCommand cmd;
        ASSERT_TRUE(parse_command(row.text, cmd));
        EXPECT_EQ(cmd.input + "|" + cmd.output, std::string(row.input) + "|" + row.output);
        EXPECT_EQ(cmd.release, row.release);
        EXPECT_EQ(cmd.output_is_dwg, row.dwg);
    }
}

TEST(ParseCommand, RefusesAnythingElse) {
    const char* rows[] = {
        " \"in.dxf\" \"out.dxf\"",              // no switch
        " \"in.dxf\" \"out.dxf\" /2010",        // unknown switch
        " \"in.dxf\" \"out.dxf\" /2004 /2007",  // two switches
        " \"in.dxf\" \"out.dxf\"/2004",         // no blank before the switch
        " \"in.dxf\"\"out.dxf\" /2004",         // no blank between the paths
        " \"\" \"out.dxf\" /2004",              // empty input
        " in.dxf \"out.dxf\" /2004",            // unquoted
        " \"in.dxf \"out.dxf\" /2004",          // unbalanced quotes
    };
    for (const char* text : rows) {
        RelayCommand cmd;
        EXPECT_FALSE(parse_command(text, cmd)) << text;
    }
}

// Names are found whatever their case; bytes a table leaves undefined become U+FFFD.
TEST(CodePages, ConvertToUtf8) {
    const struct { const char* page; std::string bytes; std::string utf8; } rows[] = {
        {"ansi_1252", "\xE4\x80\xFF\x81", "ä€ÿ\xEF\xBF\xBD"},
        {"DOS437", "\x81\x9B\xE1", "ü¢ß"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        const CodePageTable* page = find_code_page(row.page);
        ASSERT_NE(page, nullptr);  // pages without one: RelayUpgrade.LineEndsCopiesCodePagesAndDwg
        std::string out = "<";
        append_utf8(out, row.bytes, *page);
        EXPECT_EQ(out, "<" + row.utf8);
    }
}

}  // namespace
}  // namespace penloom::relay
