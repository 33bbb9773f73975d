// Name splitting and extension rules at their edges. The ordinary cases, the
// folder tests, the write probe, file lengths and the case-insensitive file
// search show in the command-line, batch and pipeline runs.
#include <functional>
#include <map>

#include "driver/file_search.h"
#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, NameOperations) {
    make_folder("OUT");
    make_folder("dir.v2");
    using Op = std::function<std::string(std::string)>;
    const std::map<std::string, Op> operations = {
        {"folder", [](std::string p) { return folder_of(p); }},
        {"base", [](std::string p) { return base_name_of(p); }},
        {"extension", [](std::string p) { return extension_of(p); }},
        {"DXF", [](std::string p) { replace_extension(p, "DXF"); return p; }},
        {".DWG", [](std::string p) { replace_extension(p, ".DWG"); return p; }},
        {"temporary", [](std::string p) { replace_file_name(p, "~tmphp~.dxf"); return p; }},
        {"absolute", [](std::string p) { make_absolute(p); return p; }},
        {"trailing", [](std::string p) { add_trailing_backslash(p); return p; }},
    };
    const std::string cwd = root_;
    const struct { const char* operation; std::string path; std::string expected; } rows[] = {
        {"folder", "OUT", "OUT/"}, {"folder", "OUT\\", "OUT/"}, {"folder", "dir.v2/A.PLT", "dir.v2/"},
        {"base", "dir\\sub/A.B.hpg", "A.B"}, {"base", ".profile", ""}, {"base", "/x/y/", ""},
        {"extension", "A.", "."}, {"extension", "dir.v2/A", ""}, {"DXF", "A.B.PLT", "A.B.DXF"},
        {"DXF", "A.PL.", "A.DXF"},  // fourth from the end is a dot: three characters go
        {"DXF", "dir.v2\\A", "dir.v2\\A.DXF"}, {".DWG", "PLOT.HPGL", "PLOT.DWG"},
        {"temporary", "C:\\OUT\\A.DWG", "C:\\OUT\\~tmphp~.dxf"}, {"temporary", "out/", "out/~tmphp~.dxf"},
        {"absolute", ".", cwd}, {"absolute", "out\\sub", cwd + "/out/sub"}, {"absolute", "/abs\\x", "/abs/x"},
        {"trailing", "out\\", "out\\"}, {"trailing", "", "/"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(operations.at(row.operation)(row.path), row.expected) << row.operation << " " << row.path;
}

TEST(Paths, ExtensionIsAndWildcardMatch) {
    const struct { const char* path; const char* extension; bool expected; } extensions[] = {
        {"A.DXF", ".dxf", true}, {"a.dxf", "DXF", true}, {"A.DXF", "dwg", false}, {"A.", "", false},
        {"A", "", true}, {"A.DXF", "", false}, {"dir.dxf/A", "dxf", false}, {"A.DXFX", "dxf", false},
    };
    for (const auto& row : extensions)
        EXPECT_EQ(extension_is(row.path, row.extension), row.expected) << row.path << " / " << row.extension;
    const struct { const char* pattern; const char* name; bool expected; } matches[] = {
        {"*.PLT", ".plt", true},  {"A?.PLT", "a.plt", false}, {"*", "", true},  {"?", "", false},
        {"*A*B", "xxAyyBz", false}, {"p*1*.hp?", "plot1x.hpg", true},
    };
    for (const auto& row : matches)
        EXPECT_EQ(wildcard_match(row.pattern, row.name), row.expected) << row.pattern << " ~ " << row.name;
}

}  // namespace
}  // namespace penloom::testing
