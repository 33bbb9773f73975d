// Test support for the driver: every test runs in a fresh scratch folder
// (made the current folder) with its own program folder "prog/" named by
// PENLOOM_HOME, and no display, so runs never depend on the machine.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver/context.h"

namespace penloom::testing {

// The banner every run prints first.
std::string banner();
// The usage text.
std::string usage();

struct RunResult {
    int status = 0;
    std::string text;
};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Absolute path of a name inside the scratch folder.
    std::string path(const std::string& relative) const;
    // Absolute program folder, with its trailing `/`.
    std::string prog() const { return path("prog/"); }

    void write_file(const std::string& relative, const std::string& content) const;
    void make_folder(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    std::string read_file(const std::string& relative) const;
    // Names in a folder of the scratch area, sorted.
    std::vector<std::string> list(const std::string& relative) const;

    // Writes prog/penloom.ini.
    void write_settings(const std::string& content) const { write_file("prog/penloom.ini", content); }

    // Runs the whole program in-process on a fresh context.
    RunResult run(const std::vector<std::string>& args);
    // The context of the last run, for looking at its records.
    Context last;

    // Sets (or with nullopt unsets) an environment variable until the test ends.
    void set_env(const std::string& name, std::optional<std::string> value);

    std::string root_;

private:
    std::string old_cwd_;
    std::map<std::string, std::optional<std::string>> saved_env_;
};

}  // namespace penloom::testing
