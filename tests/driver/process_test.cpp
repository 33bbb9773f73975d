// The built program as the shell sees it: its standard output and its exit
// status, with a negative status reported modulo 256.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "driver_fixture.h"

extern char** environ;

namespace penloom::testing {
namespace {

class ProcessTest : public DriverTest {
protected:
    // Runs the program binary in the scratch folder; its stdout goes to a file.
    RunResult run_binary(const std::vector<std::string>& args) {
        const char* binary = std::getenv("PENLOOM_BIN");
        std::vector<std::string> words = {binary};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, path("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        RunResult result;
        EXPECT_EQ(posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
        result.text = read_file("stdout.txt");
        return result;
    }
    void SetUp() override {
        DriverTest::SetUp();
        if (std::getenv("PENLOOM_BIN") == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    }
};

TEST_F(ProcessTest, ExitStatusesReachTheShell) {
    write_file("A.PLT", "IN;");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string tail;
    };
    const Case cases[] = {
        {{}, 255, usage()},
        {{"A"}, 0, "\nA.PLT -> A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {{"A.PLT", "A.TXT"}, 1, "ERROR: Output file should be DXF or DWG\n"},
        {{"B.PLT"}, 255,
         "\nB.PLT -> B.DXF (R11-12 format) \nError: Could not open Plot File: B.PLT\nError: No such file or directory\n"},
    };
    for (const Case& c : cases) {
        RunResult r = run_binary(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.text, banner() + c.tail);
    }
}

TEST_F(ProcessTest, UnwritableFolderStatus) {
    write_file("A.PLT", "IN;");
    make_folder("RO/WPROBE.CAD");
    RunResult r = run_binary({"*.PLT", "RO"});
    EXPECT_EQ(r.status, 256 - 36);
    EXPECT_EQ(r.text, banner() + "Error: Unable to write to folder " + root_ + "/RO/");
}

}  // namespace
}  // namespace penloom::testing
