// Helpers for the drawing tests (see test_support.h).
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <unistd.h>

namespace penloom::testing {

namespace fs = std::filesystem;

namespace {

fs::path scratch_root() { return fs::temp_directory_path() / ("penloom-drawing-" + std::to_string(::getpid())); }

// Removes this run's scratch folders when the tests are done.
class ScratchCleanup : public ::testing::Environment {
public:
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_root(), ignored);
    }
};

const auto* const cleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

}  // namespace

std::string e2e_dir() {
    const char* env = std::getenv("PENLOOM_E2E_DIR");
    const std::string dir = env != nullptr && *env != '\0' ? env : "e2e-out/drawing";
    fs::create_directories(dir);
    return dir;
}

std::string scratch_dir(const std::string& name) {
    const fs::path dir = scratch_root() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool file_exists(const std::string& path) { return fs::exists(path); }

std::vector<std::string> list_dir(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    return names;
}

std::vector<std::pair<std::string, std::string>> split_groups(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> groups;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        groups.emplace_back(lines[i], lines[i + 1]);
    return groups;
}

}  // namespace penloom::testing
