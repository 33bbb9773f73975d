// Opening a document with its desktop application through xdg-open. The
// outcome is reported with the result codes of the Windows shell, so the
// messages read the same on every platform.
#include "driver/shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>

#include "driver/paths.h"

extern char** environ;

namespace penloom {

namespace {

constexpr int shell_ok = 42;             // any value above 32 is success
constexpr int shell_file_not_found = 2;
constexpr int shell_access_denied = 5;
constexpr int shell_no_association = 31;

bool file_exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Runs xdg-open on the document in `folder` and waits for it to hand the
// document over. Its exit statuses: 0 done, 2 no such file, 3 no opener
// tool, 4 the opener failed, 1 bad arguments.
int run_xdg_open(const std::string& document, const std::string& folder) {
    if (!display_available()) return shell_no_association;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const char* argv[] = {"xdg-open", document.c_str(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return rc == EACCES ? shell_access_denied : shell_no_association;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return shell_no_association;
    }
    if (!WIFEXITED(status)) return shell_no_association;
    switch (WEXITSTATUS(status)) {
    case 0: return shell_ok;
    case 2: return shell_file_not_found;
    default: return shell_no_association;
    }
}

}  // namespace

bool display_available() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

bool open_with_shell(Output& out, const std::string& program_folder, std::string_view document) {
    std::string path(document);
    if (path.find_first_of("/\\") == std::string::npos) path = program_folder + path;
    path = native_path(path);
    std::string folder = folder_of(path);

    int result = run_xdg_open(path, folder);
    if (result > 32) return true;
    bool exists = file_exists(path);
    // xdg-open sometimes says "not found" for a document it did hand over.
    if (result == shell_file_not_found && exists) return true;
    if (result == shell_access_denied && exists) out.print("ACESS DENIED but file_exists\n");
    out.print("Error (%d): Could not open %s\n", result, path.c_str());
    if (result == shell_no_association) out.print("No application associated to this file type:\n");
    return false;
}

}  // namespace penloom
