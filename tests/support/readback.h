// Drawings kept for the ezdxf read-back: every X.dxf under $PENLOOM_E2E_DIR
// is loaded and audited by tests/e2e/ezdxf_check.py after the suites ran,
// and checked against X.expect.json when that sidecar exists (its keys are
// documented at the top of ezdxf_check.py).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/files.h"

namespace penloom::testing {

// $PENLOOM_E2E_DIR with a trailing `/`, made if missing; "e2e-out/<fallback>/"
// under the current folder when the variable is not set.
inline std::string readback_dir(const std::string& fallback = "local") {
    const char* env = std::getenv("PENLOOM_E2E_DIR");
    std::string dir = env != nullptr && *env != '\0' ? env : "e2e-out/" + fallback;
    std::filesystem::create_directories(dir);
    if (dir.back() != '/') dir += '/';
    return dir;
}

// Writes "<path without .dxf>.expect.json" holding `{members}`.
inline void write_sidecar(const std::string& dxf_path, const std::string& members) {
    spill(dxf_path.substr(0, dxf_path.size() - 4) + ".expect.json", "{" + members + "}\n");
}

// Copies the drawing at `dxf_path` to <readback dir>/<name>.dxf with the
// sidecar `{members}`.
inline void keep_for_readback(const std::string& dxf_path, const std::string& name,
                              const std::string& members) {
    const std::string kept = readback_dir() + name + ".dxf";
    spill(kept, slurp(dxf_path));
    write_sidecar(kept, members);
}

}  // namespace penloom::testing
