// The built program as the shell sees it: its standard output and its exit
// status, with a negative status reported modulo 256.
#include <sys/wait.h>

#include <cstdlib>

#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, ExitStatusesReachTheShell) {
    const char* binary = std::getenv("PENLOOM_BIN");
    if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    write_file("A.PLT", "IN;");
    make_folder("RO/WPROBE.CAD");  // a probe file cannot be made there, even by root
    const struct { const char* args; int status; std::string tail; } rows[] = {
        {"", 255, usage()},
        {"'*.PLT' RO", 256 - 36, "Error: Unable to write to folder " + root_ + "/RO/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        const int status = std::system(std::string("'").append(binary).append("' ").append(row.args)
                                           .append(" > stdout.txt").c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1000, row.status);
        EXPECT_EQ(read_file("stdout.txt"), banner() + row.tail);
    }
    EXPECT_EQ(list("RO"), std::vector<std::string>{"WPROBE.CAD"});  // the failing probe left what was there
}

}  // namespace
}  // namespace penloom::testing
