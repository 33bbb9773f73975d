// Scratch folders, environment and in-process runs for the driver tests.
#include "driver_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/program.h"

namespace fs = std::filesystem;

namespace penloom::testing {

std::string banner() {
    return "\nPENLOOM 4.0 A.06 - HPGL to DXF/DWG Translator\n" + std::string(77, '-') + "\n";
}

std::string usage() {
    return "Usage:  Penloom Plot.PLT [Plot.DXF|DWG] [/R=nnn] [/12|13|14|2000]\n"
           "Batch:  Penloom *.PLT [*.DXF|DWG] [/switches]\n\n"
           "  /R=nnn Apply Rotation, where nnn=90,180,270\n"
           "  /12 = Rel 12 DXF/DWG\n"
           "  /14 = Rel 14 DXF/DWG\n"
           "  /2000 = Rel 2000 DXF/DWG\n"
           "  /TEST = Do a test run.\n"
           "  Full list of options in user manual.  Type 'Penloom /HELP'\n";
}

void DriverTest::SetUp() {
    old_cwd_ = fs::current_path().string();
    std::string base = (fs::temp_directory_path() / "penloom-driver-XXXXXX").string();
    std::vector<char> buffer(base.begin(), base.end());
    buffer.push_back('\0');
    ASSERT_NE(mkdtemp(buffer.data()), nullptr);
    fs::current_path(buffer.data());
    root_ = fs::current_path().string();  // as getcwd reports it, links resolved
    fs::create_directory(root_ + "/prog");
    set_env("PENLOOM_HOME", root_ + "/prog");
    set_env("DISPLAY", std::nullopt);
    set_env("WAYLAND_DISPLAY", std::nullopt);
}

void DriverTest::TearDown() {
    fs::current_path(old_cwd_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    for (const auto& [name, value] : saved_env_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    saved_env_.clear();
}

std::string DriverTest::path(const std::string& relative) const { return root_ + "/" + relative; }

void DriverTest::write_file(const std::string& relative, const std::string& content) const {
    std::ofstream file(path(relative), std::ios::binary);
    file << content;
}

void DriverTest::make_folder(const std::string& relative) const { fs::create_directories(path(relative)); }

bool DriverTest::exists(const std::string& relative) const { return fs::exists(path(relative)); }

std::string DriverTest::read_file(const std::string& relative) const {
    std::ifstream file(path(relative), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> DriverTest::list(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path(relative))) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult DriverTest::run(const std::vector<std::string>& args) {
    last = Context{};
    RunResult result;
    result.status = run_program(last, args);
    result.text = last.out.text();
    return result;
}

void DriverTest::set_env(const std::string& name, std::optional<std::string> value) {
    if (saved_env_.find(name) == saved_env_.end()) {
        const char* old = std::getenv(name.c_str());
        saved_env_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
}

}  // namespace penloom::testing
