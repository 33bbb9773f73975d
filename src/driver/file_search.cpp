// Case-insensitive file search: wildcard matching over a folder's regular
// files, and the unique case-insensitive match for a name that does not
// exist as typed.
#include "driver/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "construction/ascii_case.h"
#include "driver/paths.h"

namespace penloom {

namespace {

struct FolderAndName {
    std::string folder;  // native, with its trailing `/`, or empty
    std::string name;
};

FolderAndName split(std::string_view path) {
    std::string native = native_path(path);
    size_t slash = native.rfind('/');
    if (slash == std::string::npos) return {std::string(), native};
    return {native.substr(0, slash + 1), native.substr(slash + 1)};
}

// Calls visit(name) for every entry of the folder except "." and "..".
template <typename Visit>
void for_each_entry(const std::string& folder, Visit visit) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        visit(name);
    }
    ::closedir(dir);
}

}  // namespace

bool wildcard_match(std::string_view pattern, std::string_view name) {
    // Greedy matching with one backtrack point: the last `*` seen.
    size_t p = 0, n = 0;
    size_t star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || ascii_lower(pattern[p]) == ascii_lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> find_matching_files(std::string_view pattern) {
    FolderAndName parts = split(pattern);
    std::vector<std::string> names;
    for_each_entry(parts.folder, [&](std::string_view name) {
        if (!wildcard_match(parts.name, name)) return;
        struct stat info {};
        std::string full = parts.folder + std::string(name);
        if (::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.emplace_back(name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::string resolve_existing_name(std::string_view path) {
    std::string native = native_path(path);
    struct stat info {};
    if (native.empty() || ::stat(native.c_str(), &info) == 0) return native;
    FolderAndName parts = split(native);
    if (parts.name.empty()) return native;
    std::string found;
    int matches = 0;
    for_each_entry(parts.folder, [&](std::string_view name) {
        if (equals_nocase(name, parts.name)) {
            ++matches;
            found = name;
        }
    });
    return matches == 1 ? parts.folder + found : native;
}

}  // namespace penloom
