// Small text helpers: ASCII case folding and case-insensitive comparison,
// as names, extensions, switches, settings keys and table names are all
// compared without regard to case (in the C locale). The construction of
// layer, linetype and style names is the lowest layer that needs them.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace penloom {

inline char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool equals_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

inline bool ends_with_nocase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equals_nocase(text.substr(text.size() - tail.size()), tail);
}

inline std::string to_upper_copy(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), ascii_upper);
    return out;
}

}  // namespace penloom
