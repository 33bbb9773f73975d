// File and folder services: name splitting, extension rules, folder tests,
// the write probe, file lengths and the case-insensitive file search. The
// program folder from PENLOOM_HOME is used by every whole-program test, the
// one from /proc/self/exe by the packaging test.
#include <filesystem>
#include <functional>
#include <map>

#include "driver/file_search.h"
#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

using Transform = std::function<std::string(std::string)>;

// A path operation that changes its argument, as a function of it.
Transform changing(void (*operation)(std::string&)) {
    return [operation](std::string path) {
        operation(path);
        return path;
    };
}

TEST_F(DriverTest, NameOperations) {
    make_folder("OUT");
    make_folder("dir.v2");
    const std::map<std::string, Transform> operations = {
        {"folder", [](std::string p) { return folder_of(p); }},
        {"base", [](std::string p) { return base_name_of(p); }},
        {"extension", [](std::string p) { return extension_of(p); }},
        {"DXF", [](std::string p) { replace_extension(p, "DXF"); return p; }},
        {".DWG", [](std::string p) { replace_extension(p, ".DWG"); return p; }},
        {"plx", [](std::string p) { replace_extension(p, "plx"); return p; }},
        {"temporary", [](std::string p) { replace_file_name(p, "~tmphp~.dxf"); return p; }},
        {"absolute", changing(make_absolute)},
        {"trailing", changing(add_trailing_backslash)},
    };
    const std::string cwd = root_;
    // The ordinary cases show in the command-line and batch runs' names.
    const struct { const char* operation; std::string path; std::string expected; } rows[] = {
        {"folder", "OUT", "OUT/"}, {"folder", "OUT\\", "OUT/"}, {"folder", "dir.v2/A.PLT", "dir.v2/"},
        {"base", "dir\\sub/A.B.hpg", "A.B"}, {"base", ".profile", ""}, {"base", "/x/y/", ""},
        {"extension", "A.", "."}, {"extension", "dir.v2/A", ""}, {"plx", "A.B.PLT", "A.B.plx"},
        {"DXF", "A.PL.", "A.DXF"},  // fourth from the end is a dot: three characters go
        {"DXF", "dir.v2\\A", "dir.v2\\A.DXF"}, {".DWG", "PLOT.HPGL", "PLOT.DWG"},
        {"temporary", "C:\\OUT\\A.DWG", "C:\\OUT\\~tmphp~.dxf"}, {"temporary", "out/", "out/~tmphp~.dxf"},
        {"absolute", ".", cwd}, {"absolute", "out\\sub", cwd + "/out/sub"}, {"absolute", "/abs\\x", "/abs/x"},
        {"trailing", "out\\", "out\\"}, {"trailing", "", "/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.operation) + " " + row.path);
        EXPECT_EQ(operations.at(row.operation)(row.path), row.expected);
    }
}

TEST(Paths, ExtensionIsAndWildcardMatch) {
    const struct { const char* path; const char* extension; bool expected; } extensions[] = {
        {"A.DXF", ".dxf", true}, {"a.dxf", "DXF", true}, {"A.DXF", "dwg", false}, {"A.", "", false},
        {"A", "", true},         {"A.DXF", "", false},   {"dir.dxf/A", "dxf", false},
        {"A.DXFX", "dxf", false},
    };
    for (const auto& row : extensions)
        EXPECT_EQ(extension_is(row.path, row.extension), row.expected) << row.path << " / " << row.extension;
    const struct { const char* pattern; const char* name; bool expected; } matches[] = {
        {"*.PLT", "a.plt", true},  {"*.PLT", ".plt", true},    {"A?.PLT", "a.plt", false}, {"*", "", true},
        {"*A*B", "xxAyyBz", false}, {"p*1*.hp?", "plot1x.hpg", true}, {"**.plt", "a.plt", true},
        {"?", "", false},
    };
    for (const auto& row : matches)
        EXPECT_EQ(wildcard_match(row.pattern, row.name), row.expected) << row.pattern << " ~ " << row.name;
}

TEST_F(DriverTest, FoldersProbesAndLengths) {
    make_folder("OUT");
    make_folder("folder.plt");
    write_file("a.plt", std::string(1234, 'x'));
    write_file("empty.plt", "");
    EXPECT_TRUE(folder_exists("OUT\\"));
    EXPECT_FALSE(folder_exists(""));

    Output out = Output::to_buffer();
    write_file("OUT/WPROBE.CAD", "old");  // an existing probe file is overwritten, then removed
    EXPECT_TRUE(probe_folder_writable(out, "OUT"));
    EXPECT_FALSE(exists("OUT/WPROBE.CAD"));
    EXPECT_EQ(out.text(), "");
    make_folder("RO/WPROBE.CAD");  // a failing probe leaves what was there (the message: process_test)
    EXPECT_FALSE(probe_folder_writable(out, "RO/"));
    EXPECT_TRUE(std::filesystem::is_directory(path("RO/WPROBE.CAD")));

    const std::pair<std::string, std::int64_t> lengths[] = {
        {"A.PLT", 1234}, {"empty.plt", 0}, {"missing.plt", 0}, {"folder.plt", 0}};
    for (const auto& [name, length] : lengths) EXPECT_EQ(file_length_of(name), length) << name;
}

TEST_F(DriverTest, FileSearchIgnoresCase) {
    for (const char* folder : {"sub", "twins", "e.plt"}) make_folder(folder);
    for (const char* name : {"b.plt", "A.PLT", "c.Plt", "d.dxf", "twins/Twin.plt", "twins/twin.PLT", "sub/z.plt",
                             "sub/Deep.Plt"})
        write_file(name, "");
    using Names = std::vector<std::string>;
    EXPECT_EQ(find_matching_files("*.plt"), (Names{"A.PLT", "b.plt", "c.Plt"}));
    EXPECT_EQ(find_matching_files(path("sub\\*.PLT")), (Names{"Deep.Plt", "z.plt"}));
    EXPECT_TRUE(find_matching_files("missing/*.plt").empty());
    const std::pair<const char*, const char*> resolved[] = {
        {"B.PLT", "b.plt"},  {"SUB\\deep.plt", "SUB/deep.plt"},  // only the file name is matched
        {"sub\\DEEP.PLT", "sub/Deep.Plt"},
        {"twins/TWIN.PLT", "twins/TWIN.PLT"},  // two candidates: none taken
    };
    for (const auto& [name, found] : resolved) EXPECT_EQ(resolve_existing_name(name), found) << name;
}

}  // namespace
}  // namespace penloom::testing
