// Shared pieces of the fuzz targets: a scratch folder per fuzzing process
// (on tmpfs when /dev/shm exists), small file helpers, and the checks every
// written DXF must pass. A failed check traps: for libFuzzer that is a crash
// with the offending input saved.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace penloom_fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    __builtin_trap();
}

// The process's own scratch folder, made on first use, with a trailing `/`.
// The program takes it as its program folder (PENLOOM_HOME), and no display
// is offered, so /HELP never starts a viewer.
inline const std::string& scratch_folder() {
    static const std::string folder = [] {
        struct stat info {};
        const char* base = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) ? "/dev/shm" : "/tmp";
        std::string path = std::string(base) + "/penloom-fuzz-" + std::to_string(::getpid()) + "/";
        ::mkdir(path.c_str(), 0700);
        ::setenv("PENLOOM_HOME", path.c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        return path;
    }();
    return folder;
}

inline void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) fail("cannot write scratch file", path);
    if (size != 0 && std::fwrite(data, 1, size, file) != size) fail("short scratch write", path);
    std::fclose(file);
}

inline std::string read_file(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) fail("cannot read output", path);
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0) text.append(chunk, got);
    std::fclose(file);
    return text;
}

// Names of the regular files in `folder`.
inline std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

inline bool ends_with_nocase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char a = text[text.size() - tail.size() + i];
        char b = tail[i];
        if ((a | 0x20) != (b | 0x20)) return false;
    }
    return true;
}

// Removes every file of `folder` except `keep` (sub-folders stay).
inline void clear_folder(const std::string& folder, std::string_view keep = {}) {
    for (const std::string& name : files_in(folder)) {
        if (name == keep) continue;
        std::string path = folder + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(path.c_str());
    }
}

enum class GroupKind { text, real, integer };

// What a group code's value must look like in ASCII DXF.
inline GroupKind kind_of_code(long code) {
    auto in = [code](long low, long high) { return code >= low && code <= high; };
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059)) return GroupKind::real;
    if (in(60, 99) || in(160, 179) || in(270, 289) || in(370, 389) || in(400, 409) || in(420, 429) ||
        in(440, 459) || in(1060, 1071))
        return GroupKind::integer;
    return GroupKind::text;
}

// A whole ASCII DXF: "%3d" code lines and value lines in CR LF pairs, codes
// within 0..1071 (999 comments included), every real a finite decimal
// number (never "nan" or "inf" in any spelling), every integer an integer,
// and the last pair "  0" / "EOF".
inline void check_dxf_text(const std::string& text) {
    if (text.size() < 10 || text.compare(text.size() - 10, 10, "  0\r\nEOF\r\n") != 0)
        fail("DXF does not end with 0/EOF", text.substr(text.size() > 40 ? text.size() - 40 : 0));
    std::size_t pos = 0;
    std::size_t pairs = 0;
    auto next_line = [&](std::string_view& line) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) return false;
        line = std::string_view(text).substr(pos, end - pos);
        pos = end + 2;
        return true;
    };
    std::string_view code_line;
    std::string_view value;
    while (pos < text.size()) {
        if (!next_line(code_line)) fail("DXF code line without CR LF");
        if (!next_line(value)) fail("DXF code without a value line", code_line);
        ++pairs;
        if (code_line.size() < 3) fail("DXF code line narrower than 3", code_line);
        std::string code_text(code_line);
        char* end = nullptr;
        errno = 0;
        long code = std::strtol(code_text.c_str(), &end, 10);
        if (end == code_text.c_str() || *end != '\0' || errno != 0 || code < 0 || code > 1071)
            fail("DXF code line is not a group code", code_line);
        if (code_line.find_first_of("\r\n") != std::string_view::npos ||
            value.find_first_of("\r\n") != std::string_view::npos)
            fail("stray line break in DXF", value);
        std::string value_text(value);
        switch (kind_of_code(code)) {
        case GroupKind::real: {
            double number = std::strtod(value_text.c_str(), &end);
            if (end == value_text.c_str() || *end != '\0' || !std::isfinite(number))
                fail("DXF real value is not a finite number", value);
            for (char c : value_text)
                if (std::isalpha(static_cast<unsigned char>(c)) && c != 'E' && c != 'e')
                    fail("DXF real value holds letters", value);
            break;
        }
        case GroupKind::integer: {
            const char* start = value_text.c_str();
            while (*start == ' ') ++start;
            errno = 0;
            std::strtoll(start, &end, 10);
            if (end == start || *end != '\0' || errno != 0) fail("DXF integer value is not an integer", value);
            break;
        }
        case GroupKind::text:
            break;
        }
    }
    if (pairs < 2) fail("DXF without groups");
}

}  // namespace penloom_fuzz
