// File and folder services: name splitting, extension rules, folder tests,
// the write probe, file lengths, the program folder, and the case-insensitive
// file search.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "driver/file_search.h"
#include "driver/paths.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

struct TextCase {
    const char* name;
    const char* input;
    const char* expected;
};

class PathsTest : public DriverTest {};

TEST_F(PathsTest, FolderOf) {
    make_folder("OUT");
    make_folder("dir.v2");
    const TextCase cases[] = {
        {"backslash folder and pattern", "PLOTS\\*.PLT", "PLOTS/"},
        {"slash folder and pattern", "PLOTS/*.PLT", "PLOTS/"},
        {"pattern alone", "*.PLT", ""},
        {"existing folder", "OUT", "OUT/"},
        {"existing folder with slash", "OUT/", "OUT/"},
        {"existing folder with backslash", "OUT\\", "OUT/"},
        {"missing folder", "NOPE", ""},
        {"dotted folder", "dir.v2/A.PLT", "dir.v2/"},
        {"absolute", "/a/b/c.plt", "/a/b/"},
        {"empty", "", ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folder_of(c.input), c.expected);
    }
}

TEST_F(PathsTest, BaseNameAndExtension) {
    struct Case {
        const char* input;
        const char* base;
        const char* extension;
    };
    const Case cases[] = {
        {"PLOT.PLT", "PLOT", ".PLT"},   {"dir\\sub/A.B.hpg", "A.B", ".hpg"}, {"A", "A", ""},
        {"A.", "A", "."},               {"dir.v2/A", "A", ""},               {".profile", "", ".profile"},
        {"/x/y/", "", ""},              {"c:\\plots\\p1.plt", "p1", ".plt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(base_name_of(c.input), c.base);
        EXPECT_EQ(extension_of(c.input), c.extension);
    }
}

TEST_F(PathsTest, ExtensionIs) {
    struct Case {
        const char* path;
        const char* extension;
        bool expected;
    };
    const Case cases[] = {
        {"A.DXF", "dxf", true},    {"A.DXF", ".dxf", true},  {"a.dxf", "DXF", true},  {"A.DXF", "dwg", false},
        {"A.", "dxf", false},      {"A.", "", false},         {"A", "", true},         {"A", "dxf", false},
        {"A.DXF", "", false},      {"A.PLX", "plx", true},    {"dir.dxf/A", "dxf", false},
        {"A.DXFX", "dxf", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " / " + c.extension);
        EXPECT_EQ(extension_is(c.path, c.extension), c.expected);
    }
}

TEST_F(PathsTest, ReplaceExtension) {
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"PLOT.PLT", "DXF", "PLOT.DXF"},
        {"PLOT", "DXF", "PLOT.DXF"},
        {"PLOT.PLT", ".DWG", "PLOT.DWG"},
        {"PLOT.HPGL", "DXF", "PLOT.DXF"},
        {"PLOT.", "DXF", "PLOT.DXF"},
        {"A.B.PLT", "plx", "A.B.plx"},
        {"A.PL.", "DXF", "A.DXF"},  // fourth from the end is a dot: three characters go
        {"dir.v2/A", "DXF", "dir.v2/A.DXF"},
        {"dir.v2\\A", "DXF", "dir.v2\\A.DXF"},
        {"out/A.hp", "plx", "out/A.plx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string path = c.path;
        replace_extension(path, c.extension);
        EXPECT_EQ(path, c.expected);
    }
}

TEST_F(PathsTest, ReplaceFileName) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\OUT\\A.DWG", "C:\\OUT\\~tmphp~.dxf"},
        {"/out/A.DWG", "/out/~tmphp~.dxf"},
        {"A.DWG", "~tmphp~.dxf"},
        {"out/", "out/~tmphp~.dxf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string path = c.path;
        replace_file_name(path, "~tmphp~.dxf");
        EXPECT_EQ(path, c.expected);
    }
}

TEST_F(PathsTest, MakeAbsoluteAndTrailingSeparator) {
    const TextCase absolute[] = {
        {"dot", ".", ""},
        {"relative", "out", "/out"},
        {"relative with backslash", "out\\sub", "/out/sub"},
        {"empty", "", "/"},
    };
    for (const TextCase& c : absolute) {
        SCOPED_TRACE(c.name);
        std::string path = c.input;
        make_absolute(path);
        EXPECT_EQ(path, root_ + c.expected);
    }
    std::string already = "/abs\\x";
    make_absolute(already);
    EXPECT_EQ(already, "/abs/x");

    const TextCase trailing[] = {
        {"plain", "out", "out/"}, {"slash", "out/", "out/"}, {"backslash", "out\\", "out\\"}, {"empty", "", "/"},
    };
    for (const TextCase& c : trailing) {
        SCOPED_TRACE(c.name);
        std::string path = c.input;
        add_trailing_backslash(path);
        EXPECT_EQ(path, c.expected);
    }
}

TEST_F(PathsTest, FolderExists) {
    make_folder("OUT");
    write_file("file.txt", "x");
    EXPECT_TRUE(folder_exists("OUT"));
    EXPECT_TRUE(folder_exists("OUT\\"));
    EXPECT_TRUE(folder_exists(root_));
    EXPECT_FALSE(folder_exists("file.txt"));
    EXPECT_FALSE(folder_exists("missing"));
    EXPECT_FALSE(folder_exists(""));
}

TEST_F(PathsTest, ProbeLeavesNoFileBehind) {
    make_folder("OUT");
    Output out = Output::to_buffer();
    EXPECT_TRUE(probe_folder_writable(out, path("OUT/")));
    EXPECT_EQ(out.text(), "");
    EXPECT_TRUE(list("OUT").empty());
    // An existing probe file is simply overwritten, then removed.
    write_file("OUT/WPROBE.CAD", "old");
    EXPECT_TRUE(probe_folder_writable(out, "OUT"));
    EXPECT_FALSE(exists("OUT/WPROBE.CAD"));
}

// Root may write anywhere, so the failing probe uses a folder in which
// "WPROBE.CAD" is itself a folder: creating the probe file fails for anyone.
TEST_F(PathsTest, ProbeFailurePrintsMessage) {
    make_folder("RO/WPROBE.CAD");
    Output out = Output::to_buffer();
    EXPECT_FALSE(probe_folder_writable(out, "RO/"));
    EXPECT_EQ(out.text(), "Error: Unable to write to folder RO/");
    EXPECT_TRUE(std::filesystem::is_directory(path("RO/WPROBE.CAD")));
}

TEST_F(PathsTest, FileLength) {
    write_file("a.plt", std::string(1234, 'x'));
    write_file("empty.plt", "");
    make_folder("folder.plt");
    EXPECT_EQ(file_length_of("a.plt"), 1234);
    EXPECT_EQ(file_length_of("A.PLT"), 1234);  // found without case
    EXPECT_EQ(file_length_of(path("a.plt")), 1234);
    EXPECT_EQ(file_length_of("empty.plt"), 0);
    EXPECT_EQ(file_length_of("missing.plt"), 0);
    EXPECT_EQ(file_length_of("folder.plt"), 0);
}

TEST_F(PathsTest, ProgramFolder) {
    set_env("PENLOOM_HOME", "/opt/penloom");
    EXPECT_EQ(program_folder(), "/opt/penloom/");
    set_env("PENLOOM_HOME", "/opt/penloom/");
    EXPECT_EQ(program_folder(), "/opt/penloom/");
    set_env("PENLOOM_HOME", "C:\\penloom");
    EXPECT_EQ(program_folder(), "C:/penloom/");
    set_env("PENLOOM_HOME", std::nullopt);
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(program_folder(), exe.substr(0, exe.rfind('/') + 1));
    set_env("PENLOOM_HOME", "");
    EXPECT_EQ(program_folder(), exe.substr(0, exe.rfind('/') + 1));
}

TEST_F(PathsTest, WildcardMatch) {
    struct Case {
        const char* pattern;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"*.PLT", "a.plt", true},       {"*.PLT", "A.PLT", true},     {"*.PLT", "a.plx", false},
        {"*.PLT", ".plt", true},        {"A?.PLT", "ab.plt", true},   {"A?.PLT", "a.plt", false},
        {"*", "anything", true},        {"*", "", true},              {"*A*B", "xxAyyB", true},
        {"*A*B", "xxAyyBz", false},     {"p*1*.hp?", "plot1x.hpg", true},  {"*.PLT", "a.plt.bak", false},
        {"**.plt", "a.plt", true},      {"a", "A", true},             {"?", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.expected);
    }
}

TEST_F(PathsTest, FindMatchingFilesSortedRegularFilesOnly) {
    write_file("b.plt", "");
    write_file("A.PLT", "");
    write_file("c.Plt", "");
    write_file("d.dxf", "");
    make_folder("e.plt");
    make_folder("sub");
    write_file("sub/z.plt", "");
    EXPECT_EQ(find_matching_files("*.plt"), (std::vector<std::string>{"A.PLT", "b.plt", "c.Plt"}));
    EXPECT_EQ(find_matching_files("sub/*.PLT"), (std::vector<std::string>{"z.plt"}));
    EXPECT_EQ(find_matching_files("sub\\*.PLT"), (std::vector<std::string>{"z.plt"}));
    EXPECT_EQ(find_matching_files(path("sub/*.PLT")), (std::vector<std::string>{"z.plt"}));
    EXPECT_TRUE(find_matching_files("*.hpg").empty());
    EXPECT_TRUE(find_matching_files("missing/*.plt").empty());
}

TEST_F(PathsTest, ResolveExistingName) {
    write_file("a.plt", "");
    write_file("Twin.plt", "");
    write_file("twin.PLT", "");
    make_folder("sub");
    write_file("sub/Deep.Plt", "");
    EXPECT_EQ(resolve_existing_name("a.plt"), "a.plt");
    EXPECT_EQ(resolve_existing_name("A.PLT"), "a.plt");
    EXPECT_EQ(resolve_existing_name("SUB\\deep.plt"), "SUB/deep.plt");  // only the file name is matched
    EXPECT_EQ(resolve_existing_name("sub\\DEEP.PLT"), "sub/Deep.Plt");
    EXPECT_EQ(resolve_existing_name("TWIN.PLT"), "TWIN.PLT");  // two candidates: none taken
    EXPECT_EQ(resolve_existing_name("none.plt"), "none.plt");
}

}  // namespace
}  // namespace penloom::testing
