// Small helpers for the drawing tests: where to put drawings for the ezdxf
// read-back, reading a file back, and splitting DXF text into groups.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace penloom::testing {

// $PENLOOM_E2E_DIR (made if missing), or "e2e-out/drawing" under the current
// folder when the variable is not set.
std::string e2e_dir();

// A fresh empty scratch folder for one test (under the system temp folder).
std::string scratch_dir(const std::string& name);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
std::vector<std::string> list_dir(const std::string& dir);

// The (code, value) pairs of DXF text; lines must end in "\r\n".
std::vector<std::pair<std::string, std::string>> split_groups(const std::string& text);

}  // namespace penloom::testing
