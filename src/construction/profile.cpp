// The settings reader: parses a profile file into sections and keys, keeps
// the parsed copy while the file is unchanged, and converts values.
#include "construction/profile.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>

#include "construction/ascii_case.h"
#include "construction/native_path.h"

namespace penloom {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

bool read_whole_file(const std::string& path, std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    std::fclose(file);
    return true;
}

std::vector<ProfileSection> parse_profile(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<ProfileSection> sections;
    ProfileSection* current = nullptr;  // lines before the first section belong to none
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            sections.push_back({std::string(trim(name)), {}});
            current = &sections.back();
            continue;
        }
        size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) continue;
        std::string_view key = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (key.empty()) continue;
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        current->entries.emplace_back(std::string(key), std::string(value));
    }
    return sections;
}

// Brings the parsed copy up to date with the current file. Returns false
// when the file cannot be read.
bool refresh(ProfileReader& reader) {
    ProfileCache& cache = reader.cache;
    struct stat info {};
    std::string native = native_path(reader.path);
    if (::stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        cache.valid = false;
        return false;
    }
    std::int64_t modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (cache.valid && cache.path == reader.path && cache.size == info.st_size && cache.modified_ns == modified)
        return true;
    std::string content;
    if (!read_whole_file(native, content)) {
        cache.valid = false;
        return false;
    }
    cache.sections = parse_profile(content);
    cache.path = reader.path;
    cache.size = info.st_size;
    cache.modified_ns = modified;
    cache.valid = true;
    ++cache.parse_count;
    return true;
}

std::string index_key(int index) {
    char key[16];
    std::snprintf(key, sizeof key, "%d", index);
    return key;
}

}  // namespace

void locate_settings_file(ProfileReader& reader, const std::string& program_folder) {
    reader.path = program_folder + "penloom.ini";
    reader.settings_file = program_folder.empty() ? std::string() : reader.path;
    // Only a probe: a missing file is no error, every key has its default.
    if (std::FILE* probe = std::fopen(native_path(reader.path).c_str(), "rb")) std::fclose(probe);
    reader.cache.valid = false;
}

void select_profile(ProfileReader& reader, std::string path, std::string section) {
    reader.path = std::move(path);
    reader.section = std::move(section);
}

void select_section(ProfileReader& reader, std::string section) { reader.section = std::move(section); }

const std::string* find_value(ProfileReader& reader, std::string_view key) {
    if (!refresh(reader)) return nullptr;
    std::string_view wanted = trim(key);
    for (const ProfileSection& section : reader.cache.sections) {
        if (!equals_nocase(section.name, reader.section)) continue;
        for (const auto& [name, value] : section.entries)
            if (equals_nocase(name, wanted)) return &value;
        return nullptr;  // only the first section of a name counts
    }
    return nullptr;
}

int get_int(ProfileReader& reader, std::string_view key, int fallback) {
    const std::string* value = find_value(reader, key);
    if (value == nullptr || value->empty()) return fallback;
    size_t i = 0;
    while (i < value->size() && ((*value)[i] == ' ' || (*value)[i] == '\t')) ++i;
    bool negative = false;
    if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+')) negative = (*value)[i++] == '-';
    long long number = 0;
    for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
        number = number * 10 + ((*value)[i] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1) number = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) number = -number;
    if (number > INT_MAX) number = INT_MAX;
    return static_cast<int>(number);
}

double get_double(ProfileReader& reader, std::string_view key, double fallback) {
    const std::string* value = find_value(reader, key);
    if (value == nullptr || value->empty()) return fallback;
    std::string text = value->substr(0, 79);
    double number = 0.0;
    if (std::sscanf(text.c_str(), "%15lf", &number) != 1) return fallback;
    return number;
}

std::string get_string(ProfileReader& reader, std::string_view key, std::string_view fallback, size_t size) {
    // The default is copied first: callers pass the field being filled as its own default.
    std::string result(fallback);
    if (const std::string* value = find_value(reader, key)) result = *value;
    if (size == 0) return std::string();
    if (result.size() > size - 1) result.resize(size - 1);
    return result;
}

int get_int_indexed(ProfileReader& reader, int index, int fallback) {
    return get_int(reader, index_key(index), fallback);
}

double get_double_indexed(ProfileReader& reader, int index, double fallback) {
    return get_double(reader, index_key(index), fallback);
}

std::string get_string_indexed(ProfileReader& reader, int index, std::string_view fallback, size_t size) {
    return get_string(reader, index_key(index), fallback, size);
}

}  // namespace penloom
