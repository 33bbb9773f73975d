// File and folder services: path splitting, folder tests, the write probe.
#include "driver/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "construction/ascii_case.h"
#include "driver/file_search.h"

namespace penloom {

namespace {

// Index of the first character of the last path component.
size_t component_start(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (is_separator(path[i - 1])) return i;
    return 0;
}

std::string current_folder() {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string(".");
}

}  // namespace

std::string program_folder() {
    std::string folder;
    if (const char* home = std::getenv("PENLOOM_HOME"); home != nullptr && *home != '\0') {
        folder = native_path(home);
    } else {
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n > 0) {
            folder.assign(buffer, static_cast<size_t>(n));
            folder.resize(component_start(folder));
        }
    }
    if (folder.empty()) folder = "./";
    add_trailing_backslash(folder);
    return folder;
}

std::string folder_of(std::string_view path) {
    std::string folder;
    if (!path.empty() && folder_exists(path)) {
        folder = native_path(path);
        add_trailing_backslash(folder);
    } else {
        folder = native_path(path.substr(0, component_start(path)));
    }
    return folder;
}

std::string base_name_of(std::string_view path) {
    std::string_view name = path.substr(component_start(path));
    size_t dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string extension_of(std::string_view path) {
    std::string_view name = path.substr(component_start(path));
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

bool extension_is(std::string_view path, std::string_view extension) {
    std::string own = extension_of(path);
    if (extension.empty()) return own.empty();
    if (own.size() < 2) return false;
    if (extension.front() == '.') extension.remove_prefix(1);
    return equals_nocase(std::string_view(own).substr(1), extension);
}

void replace_extension(std::string& path, std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    size_t start = component_start(path);
    size_t length = path.size() - start;
    if (length >= 4 && path[path.size() - 4] == '.') {
        path.resize(path.size() - 3);
    } else if (size_t dot = path.rfind('.'); dot != std::string::npos && dot >= start) {
        path.resize(dot + 1);
    } else {
        path += '.';
    }
    path += extension;
}

void replace_file_name(std::string& path, std::string_view name) {
    path.resize(component_start(path));
    path += name;
}

bool folder_exists(std::string_view path) {
    struct stat info {};
    std::string native = native_path(path);
    if (native.empty() || ::stat(native.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && ::access(native.c_str(), X_OK) == 0;
}

void make_absolute(std::string& path) {
    std::string native = native_path(path);
    if (!native.empty() && native.front() == '/') {
        path = native;
        return;
    }
    std::string cwd = current_folder();
    if (native == ".") {
        path = cwd;
        return;
    }
    add_trailing_backslash(cwd);
    path = cwd + native;
}

void add_trailing_backslash(std::string& path) {
    if (path.empty() || !is_separator(path.back())) path += '/';
}

bool probe_folder_writable(Output& out, std::string_view path) {
    std::string probe = folder_of(path) + "WPROBE.CAD";
    std::FILE* file = std::fopen(probe.c_str(), "w+");
    if (file == nullptr) {
        out.print("Error: Unable to write to folder %.*s", static_cast<int>(path.size()), path.data());
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

std::int64_t file_length_of(std::string_view path) {
    std::string native = resolve_existing_name(path);
    std::FILE* file = std::fopen(native.c_str(), "rb");
    if (file == nullptr) return 0;
    struct stat info {};
    std::int64_t length = 0;
    if (::fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode)) length = info.st_size;
    std::fclose(file);
    return length;
}

}  // namespace penloom
