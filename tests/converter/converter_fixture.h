// Helpers for the converter tests: scratch folders, files, DXF drawings made
// with our own drawing library as the plug-in's input, DXF text split into
// groups, and the expectation sidecars of the ezdxf read-back.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace penloom::testing {

// Folder of the program under test (crdll.so lies there), and of the
// stand-in plug-ins ("<dir>/recorder/crdll.so", ...), both with a trailing `/`.
std::string build_dir();
std::string relays_dir();

// $PENLOOM_E2E_DIR (made if missing), else "e2e-out/converter"; drawings
// put there are read back by ezdxf after the tests.
std::string converter_e2e_dir();
// A fresh, empty folder for one test, with a trailing `/`.
std::string fresh_dir(const std::string& name);

std::string slurp(const std::string& path);
void spill(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
std::vector<std::string> names_in(const std::string& dir);   // sorted

// Labels in Windows-1252 bytes ("\xE4\xF6\xFC" is "äöü") and the same in UTF-8.
struct Label {
    std::string code_page_bytes;
    std::string utf8;
};
extern const std::vector<Label> sample_labels;

struct TestDrawing {
    std::map<std::string, int> entity_counts;   // model space, by type
    std::vector<std::string> layers;
};

// Writes a release 2000 DXF: the sample drawing with every entity kind plus
// one TEXT per label (bytes as given), with $DWGCODEPAGE `code_page` and
// $HYPERLINKBASE `hyperlink`. Fails the test when the library refuses.
TestDrawing write_test_drawing(const std::string& path, const std::vector<std::string>& labels,
                               const std::string& code_page = "ANSI_1252", const std::string& hyperlink = "");

using Groups = std::vector<std::pair<int, std::string>>;
// Code and value of every group, the values with their blanks.
Groups split_dxf(const std::string& text);
// The values of every group with this code inside the records of one type
// ("TEXT", 1) or of every header variable group ("$ACADVER", 1).
std::vector<std::string> values_of(const Groups& groups, const std::string& record, int code);

// Writes "<dxf without .dxf>.expect.json" with the given JSON members.
void write_sidecar(const std::string& dxf_path, const std::string& members);
std::string json_string(const std::string& utf8);
std::string json_counts(const std::map<std::string, int>& counts);

}  // namespace penloom::testing
