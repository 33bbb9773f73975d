// Paths as plot files and settings give them may use `\` as the separator;
// the file system wants `/`.
#pragma once

#include <string>
#include <string_view>

namespace penloom {

// The path with every `\` turned into `/`, ready for the file system.
inline std::string native_path(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace penloom
