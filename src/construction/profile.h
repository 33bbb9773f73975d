// The settings reader: values from a Windows-style profile file
// ("penloom.ini").
//
// File format: "[section]" lines open a section; "key=value" lines give
// values. Section and key names are matched without case; blanks around
// names and values are trimmed; a value in matching double quotes loses
// them; lines beginning with `;` or `#` are comments. The first section of a
// name and the first key of a name in it win. A missing file, section or key
// gives the caller's default.
//
// The reader keeps the current file and section (every reader of a section
// selects both before its first read) and the parsed file, which it reuses
// while the file's size and modification time stay the same, so sections
// that are read for every drawing do not parse the file every time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace penloom {

struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value
};

struct ProfileCache {
    bool valid = false;
    std::string path;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    std::vector<ProfileSection> sections;
    int parse_count = 0;  // how often a file has been parsed (for tests)
};

struct ProfileReader {
    std::string settings_file;  // "penloom.ini" in the program folder; empty while none is known
    std::string path;     // current settings file
    std::string section;  // current section
    ProfileCache cache;
};

// Sets the settings path (and `settings_file`, the file the per-drawing
// sections are read from) to program folder + "penloom.ini", probes the file
// and drops the parsed copy so that the next read sees the file as it is on
// disk.
void locate_settings_file(ProfileReader& reader, const std::string& program_folder);

// Selects the file and section for the reads that follow (the parsed copy is
// kept while the file is unchanged).
void select_profile(ProfileReader& reader, std::string path, std::string section);
void select_section(ProfileReader& reader, std::string section);

// The key's value in the current section, or nullptr when the file, the
// section or the key is missing.
const std::string* find_value(ProfileReader& reader, std::string_view key);

// The key's value as a decimal integer, converted like atoi (leading blanks
// and a sign allowed, 0 when no digits lead); the default when the key is
// missing or its value empty.
int get_int(ProfileReader& reader, std::string_view key, int fallback);

// The first 79 characters of the key's value read with "%15lf"; the default
// when the key is missing, the value empty, or it does not start with a
// number.
double get_double(ProfileReader& reader, std::string_view key, double fallback);

// The key's value, or the default when the key is missing, cut to at most
// size - 1 characters.
std::string get_string(ProfileReader& reader, std::string_view key, std::string_view fallback, size_t size);

// The same with the key formed as the decimal text of an index ("%d").
int get_int_indexed(ProfileReader& reader, int index, int fallback);
double get_double_indexed(ProfileReader& reader, int index, double fallback);
std::string get_string_indexed(ProfileReader& reader, int index, std::string_view fallback, size_t size);

}  // namespace penloom
