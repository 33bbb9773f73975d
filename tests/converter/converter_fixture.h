// Helpers for the converter tests: scratch folders, files, DXF drawings made
// with our own drawing library as the plug-in's input, DXF text split into
// groups, and the expectation sidecars of the ezdxf read-back.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/dxf_text.h"
#include "support/files.h"
#include "support/readback.h"

namespace penloom::testing {

// Folder of the program under test (crdll.so lies there), and of the
// stand-in plug-ins ("<dir>/recorder/crdll.so", ...), both with a trailing `/`.
std::string build_dir();
std::string relays_dir();

// Where drawings for the ezdxf read-back go.
inline std::string converter_e2e_dir() { return readback_dir("converter"); }
// A fresh, empty folder for one test, with a trailing `/`.
std::string fresh_dir(const std::string& name);

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

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

using Groups = DxfGroups;
inline Groups split_dxf(const std::string& text) { return dxf_groups(text); }

std::string json_string(const std::string& utf8);
std::string json_counts(const std::map<std::string, int>& counts);

}  // namespace penloom::testing
