// Parsing the command text (see relay_command.h).
#include "relay_command.h"

namespace penloom::relay {

namespace {

struct SwitchName {
    std::string_view text;
    Release release;
};

constexpr SwitchName switches[] = {
    {"/12", Release::r12},     {"/13", Release::r13},     {"/14", Release::r14},
    {"/2000", Release::r2000}, {"/2004", Release::r2004}, {"/2007", Release::r2007},
};

void skip_blanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

// A double-quoted, non-empty path starting at `at`; false when there is none.
bool read_quoted(std::string_view text, std::size_t& at, std::string& out) {
    if (at >= text.size() || text[at] != '"') return false;
    const std::size_t close = text.find('"', at + 1);
    if (close == std::string_view::npos || close == at + 1) return false;
    out.assign(text.substr(at + 1, close - at - 1));
    at = close + 1;
    return true;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool has_extension(std::string_view path, std::string_view extension) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() < extension.size() + 1) return false;
    const std::string_view tail = name.substr(name.size() - extension.size() - 1);
    if (tail[0] != '.') return false;
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (lower(tail[i + 1]) != lower(extension[i])) return false;
    return true;
}

bool parse_command(std::string_view text, RelayCommand& out) {
    std::size_t at = 0;
    skip_blanks(text, at);
    if (!read_quoted(text, at, out.input)) return false;
    const std::size_t before_output = at;
    skip_blanks(text, at);
    if (at == before_output || !read_quoted(text, at, out.output)) return false;
    const std::size_t before_switch = at;
    skip_blanks(text, at);
    if (at == before_switch) return false;
    std::size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    const std::string_view name = text.substr(at, end - at);
    skip_blanks(text, end);
    if (end != text.size()) return false;
    for (const SwitchName& entry : switches) {
        if (entry.text == name) {
            out.release = entry.release;
            out.output_is_dwg = has_extension(out.output, "dwg");
            return true;
        }
    }
    return false;
}

}  // namespace penloom::relay
