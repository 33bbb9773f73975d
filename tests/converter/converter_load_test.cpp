// Loading and calling the converter plug-in: broken plug-ins, a failing
// init, the call order and arguments, the status, the unloading. The real
// plug-in, and no plug-in at all, are run by the whole-program release tests.
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "converter/converter_fixture.h"
#include "driver/context.h"
#include "driver/converter.h"

namespace penloom {
namespace {

using testing::relays_dir;

TEST(ReleaseSwitch, FollowsOutputRelease) {
    const std::pair<int, const char*> rows[] = {{9, "/2007"}, {8, "/2004"}, {7, "/2000"}, {6, "/14"},
                                                {5, "/13"},   {4, "/12"},   {-1, "/12"}};
    for (const auto& [release, expected] : rows) EXPECT_STREQ(release_switch(release), expected) << release;
    EXPECT_EQ(converter_command_text("/out/~tmphp~.dxf", "/out/PLOT.DWG", "/2000"),
              " \"/out/~tmphp~.dxf\" \"/out/PLOT.DWG\" /2000");
}

TEST(ConvertDxfToDwg, LoadsCallsAndUnloads) {
    const std::string garbage = testing::fresh_dir("garbage-plugin");
    testing::spill(garbage + "crdll.so", "this is no shared object\n");
    const std::string calls = "vers zeroed\ninit 1\nexec [ \"/in/~tmphp~.dxf\" \"/out/A.DWG\" /2004] 0\n";
    // exec_status: what the recorder's exec returns
    const struct { const char* name; std::string folder; const char* exec_status; int status;
                   const char *output; std::string calls; } rows[] = {
        {"not a library", garbage, "0", -2, "1 load_dll_dc() FAILED:\n", ""},
        {"vers_cadrelay missing", relays_dir() + "no_vers/", "0", -2, "1 load_dll_dc() FAILED:\n", ""},
        {"init fails", relays_dir() + "init_fails/", "0", 42, "", "vers zeroed\ninit 1\n"},
        {"exec succeeds", relays_dir() + "recorder/", "0", 0, "", calls},
        {"exec fails", relays_dir() + "recorder/", "17", 17, "", calls},
    };
    const std::string log = testing::fresh_dir("relay-log") + "calls.txt";
    setenv("PENLOOM_RELAY_LOG", log.c_str(), 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::remove(log.c_str());
        setenv("PENLOOM_RELAY_STATUS", row.exec_status, 1);
        Context ctx;
        ctx.program_folder = row.folder;
        EXPECT_EQ(convert_dxf_to_dwg(ctx, "/in/~tmphp~.dxf", "/out/A.DWG", "/2004"), row.status);
        EXPECT_EQ(ctx.out.text(), row.output);
        EXPECT_EQ(std::filesystem::exists(log) ? testing::slurp(log) : "", row.calls);
        void* loaded = dlopen((row.folder + "crdll.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        EXPECT_EQ(loaded, nullptr);  // unloaded again
        if (loaded != nullptr) dlclose(loaded);
    }
    unsetenv("PENLOOM_RELAY_STATUS");
    unsetenv("PENLOOM_RELAY_LOG");
}

}  // namespace
}  // namespace penloom
