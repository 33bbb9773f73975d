// Finding files by name without regard to case: the wildcard search of the
// batch mode and the case-insensitive fallback used when a file is opened.
// Plot files come from systems whose file names carry no case, so A.PLT on
// the command line must find a.plt on disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace penloom {

// True when `name` matches `pattern`, compared without case: `*` matches any
// run of characters (none too), `?` exactly one.
bool wildcard_match(std::string_view pattern, std::string_view name);

// The regular files of the pattern's folder (the current folder when the
// pattern has no folder part) whose names match its last component, as file
// names without folder, sorted by name so that runs are repeatable. A folder
// that cannot be read gives no names.
std::vector<std::string> find_matching_files(std::string_view pattern);

// The path, made native, when something of that exact name exists; otherwise
// the one entry of its folder whose name equals its last component without
// regard to case, when there is exactly one; otherwise the native path
// unchanged (so that opening it fails as it would have).
std::string resolve_existing_name(std::string_view path);

}  // namespace penloom
