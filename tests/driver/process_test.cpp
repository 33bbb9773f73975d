// The built program as the shell sees it: its standard output and its exit
// status, with a negative status reported modulo 256.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

#include "driver_fixture.h"

extern char** environ;

namespace penloom::testing {
namespace {

TEST_F(DriverTest, ExitStatusesReachTheShell) {
    const char* binary = std::getenv("PENLOOM_BIN");
    if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    write_file("A.PLT", "IN;");
    make_folder("RO/WPROBE.CAD");  // a probe file cannot be made there, even by root
    const struct { std::vector<std::string> args; int status; std::string tail; } rows[] = {
        {{}, 255, usage()},
        {{"A"}, 0, "\nA.PLT -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {{"A.PLT", "A.TXT"}, 1, "ERROR: Output file should be DXF or DWG\n"},
        {{"*.PLT", "RO"}, 256 - 36, "Error: Unable to write to folder " + root_ + "/RO/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        std::vector<std::string> words = {binary};
        words.insert(words.end(), row.args.begin(), row.args.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, path("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1000, row.status);
        EXPECT_EQ(read_file("stdout.txt"), banner() + row.tail);
    }
}

}  // namespace
}  // namespace penloom::testing
