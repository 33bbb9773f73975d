// Fuzz target: the command-line reader. The input is split at NUL bytes
// into arguments (an empty input is the empty command line) and read with
// the default settings, as the program does after loading them. The working
// folder is the process's scratch folder, holding a plot file "a.plt" and a
// folder "out", so that names, wildcards and output folders meet real
// entries. Nothing is translated; the batch loop is not run. Command lines
// that could reach outside the scratch folder (a "..", an absolute path, an
// existing folder named from the root) are skipped: an output folder is
// probed by writing a file into it.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/batch.h"
#include "driver/command_line.h"
#include "driver/context.h"
#include "driver/settings.h"
#include "fuzz_support.h"

namespace {

void prepare_folder(const std::string& folder) {
    static const std::uint8_t plot[] = "IN;PA0,0;PD100,100;PU;";
    penloom_fuzz::write_file(folder + "a.plt", plot, sizeof plot - 1);
    ::mkdir((folder + "out").c_str(), 0700);
}

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool stays_in_scratch(const std::vector<std::string>& args) {
    for (const std::string& argument : args) {
        if (argument.find("..") != std::string::npos) return false;
        if (argument.empty() || !is_separator(argument[0]) || argument == "/?") continue;
        if (argument.find_first_of("/\\*?", 1) != std::string::npos) return false;
        struct stat info {};
        if (::stat(argument.c_str(), &info) == 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        prepare_folder(penloom_fuzz::scratch_folder());
        return true;
    }();
    (void)ready;

    std::vector<std::string> args;
    if (size != 0) {
        std::string current;
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == 0) {
                args.push_back(current);
                current.clear();
            } else {
                current.push_back(static_cast<char>(data[i]));
            }
        }
        args.push_back(current);
    }
    if (!stays_in_scratch(args)) return -1;
    // The working folder is the scratch folder only for the call: libFuzzer
    // reads its corpus through relative names.
    const int home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (home < 0 || ::chdir(penloom_fuzz::scratch_folder().c_str()) != 0)
        penloom_fuzz::fail("cannot enter the scratch folder");
    {
        penloom::Context ctx;
        penloom::apply_settings_defaults(ctx.batch, ctx.settings);
        (void)penloom::read_command_line(ctx, args);
    }
    if (::fchdir(home) != 0) penloom_fuzz::fail("cannot return to the working folder");
    ::close(home);
    // A writability probe must not leave anything behind in the folders.
    for (const std::string& name : penloom_fuzz::files_in(penloom_fuzz::scratch_folder()))
        if (name != "a.plt" && name != "out") penloom_fuzz::fail("command line left a file", name);
    return 0;
}
