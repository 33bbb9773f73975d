// Group reader (see dxf_groups.h).
#include "dxf_groups.h"

#include <charconv>

namespace penloom::relay {

namespace {

// The line starting at `at`, without its line end; false at the end of text.
bool read_line(GroupReader& reader, std::string_view& line) {
    if (reader.at >= reader.text.size()) return false;
    const std::size_t newline = reader.text.find('\n', reader.at);
    const std::size_t end = newline == std::string_view::npos ? reader.text.size() : newline;
    line = reader.text.substr(reader.at, end - reader.at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    reader.at = newline == std::string_view::npos ? reader.text.size() : newline + 1;
    return true;
}

}  // namespace

std::string_view trimmed(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    return value;
}

bool next_group(GroupReader& reader, Group& out) {
    if (reader.failed) return false;
    if (!read_line(reader, out.code_line)) return false;
    const std::string_view digits = trimmed(out.code_line);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), out.code);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
        !read_line(reader, out.value)) {
        reader.failed = true;
        return false;
    }
    return true;
}

std::string_view line_end_of(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace penloom::relay
