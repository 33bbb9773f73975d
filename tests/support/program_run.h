// Whole-program runs for tests: every test gets a fresh scratch folder (made
// the current folder) with its own program folder "prog/" named by
// PENLOOM_HOME and no display, so runs never depend on the machine. Files
// and settings are written there and the program runs in-process on a fresh
// context, returning its status and everything it printed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/program.h"
#include "support/files.h"
#include "support/readback.h"

namespace penloom::testing {

// The banner every run prints first.
inline std::string banner() {
    return "\nPENLOOM 4.0 A.06 - HPGL to DXF/DWG Translator\n" + std::string(77, '-') + "\n";
}

struct RunResult {
    int status = 0;
    std::string text;
};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        old_cwd_ = fs::current_path().string();
        std::string base = (fs::temp_directory_path() / "penloom-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(base.data()), nullptr);
        fs::current_path(base);
        root_ = fs::current_path().string();  // as getcwd reports it, links resolved
        fs::create_directory(root_ + "/prog");
        set_env("PENLOOM_HOME", root_ + "/prog");
        set_env("DISPLAY", std::nullopt);
        set_env("WAYLAND_DISPLAY", std::nullopt);
    }

    void TearDown() override {
        std::filesystem::current_path(old_cwd_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
        for (const auto& [name, value] : saved_env_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        saved_env_.clear();
    }

    // Absolute path of a name inside the scratch folder.
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    // Absolute program folder, with its trailing `/`.
    std::string prog() const { return path("prog/"); }

    void write_file(const std::string& relative, const std::string& content) const {
        spill(path(relative), content);
    }
    void make_folder(const std::string& relative) const { std::filesystem::create_directories(path(relative)); }
    bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
    std::string read_file(const std::string& relative) const { return slurp(path(relative)); }
    // Names in a folder of the scratch area, sorted.
    std::vector<std::string> list(const std::string& relative) const { return names_in(path(relative)); }
    // The drawings (".DXF") in the scratch folder, sorted.
    std::vector<std::string> drawings() const {
        std::vector<std::string> out;
        for (const std::string& name : list(""))
            if (std::filesystem::path(name).extension() == ".DXF") out.push_back(name);
        return out;
    }

    // Keeps every drawing of the last run for the ezdxf read-back as
    // <prefix>_<drawing name without extension>, each with the sidecar `{members}`.
    void keep_drawings(const std::string& prefix, const std::string& members) const {
        for (const std::string& name : drawings())
            keep_for_readback(path(name), prefix + "_" + name.substr(0, name.size() - 4), members);
    }

    // Writes prog/penloom.ini.
    void write_settings(const std::string& content) const { write_file("prog/penloom.ini", content); }

    // Runs the whole program in-process on a fresh context.
    RunResult run(const std::vector<std::string>& args) {
        last = std::make_unique<Context>();
        RunResult result;
        result.status = run_program(*last, args);
        result.text = last->out.text();
        return result;
    }

    // Writes `plot` as A.PLT and the settings (after removing the drawings of
    // an earlier run), then runs "A.PLT" with the switches.
    RunResult run_plot(const std::string& plot, const std::vector<std::string>& switches = {},
                       const std::string& ini = "") {
        for (const std::string& name : drawings()) std::filesystem::remove(path(name));
        write_settings(ini);
        write_file("A.PLT", plot);
        std::vector<std::string> args{"A.PLT"};
        args.insert(args.end(), switches.begin(), switches.end());
        return run(args);
    }

    // The context of the last run, for looking at its records.
    std::unique_ptr<Context> last = std::make_unique<Context>();

    // Sets (or with nullopt unsets) an environment variable until the test ends.
    void set_env(const std::string& name, std::optional<std::string> value) {
        if (saved_env_.find(name) == saved_env_.end()) {
            const char* old = std::getenv(name.c_str());
            saved_env_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

    std::string root_;

private:
    std::string old_cwd_;
    std::map<std::string, std::optional<std::string>> saved_env_;
};

}  // namespace penloom::testing
