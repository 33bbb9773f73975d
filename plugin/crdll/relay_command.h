// The command text of exec_cadrelay: " \"<input>\" \"<output>\" <switch>".
#pragma once

#include <string>
#include <string_view>

namespace penloom::relay {

enum class Release { r12, r13, r14, r2000, r2004, r2007 };

struct RelayCommand {
    std::string input;     // the DXF to read
    std::string output;    // the file to write
    Release release = Release::r2000;
    bool output_is_dwg = false;   // the output's extension is ".dwg" (any case)
};

// Reads the command text: blanks, a double-quoted non-empty path, blanks, a
// second one, blanks, one of /12 /13 /14 /2000 /2004 /2007, optional
// trailing blanks. Paths hold no double quote. False for anything else.
[[nodiscard]] bool parse_command(std::string_view text, RelayCommand& out);

// True when the path's last component ends in "." + extension, any case.
bool has_extension(std::string_view path, std::string_view extension);

}  // namespace penloom::relay
