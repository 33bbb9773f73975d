// File and folder services: splitting and rebuilding path names, testing and
// probing folders, finding the program folder, measuring a file.
//
// Names may use `\` or `/` as separators (both are read); the paths this
// module builds use `/`. There are no drive letters: a path is absolute when
// it begins with a separator. Every operation works on the caller's strings
// and keeps no state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "construction/native_path.h"
#include "construction/output.h"

namespace penloom {

inline bool is_separator(char c) { return c == '/' || c == '\\'; }

// Folder of the running program with a trailing `/`: the folder named by
// the environment variable PENLOOM_HOME when it is set and not empty,
// otherwise the folder of /proc/self/exe.
std::string program_folder();

// The path itself with a trailing `/` when it names an existing folder;
// otherwise everything up to and including its last separator (possibly
// empty). Separators in the result are `/`.
std::string folder_of(std::string_view path);

// The last path component without its extension (".profile" gives "").
std::string base_name_of(std::string_view path);

// The extension of the last path component, from its last `.` on (the dot
// included); empty when that component has no dot.
std::string extension_of(std::string_view path);

// True when the path has an extension of at least one character after the
// dot and it equals `extension` with or without the dot ("dxf" and ".dxf"
// both match A.DXF). With an empty `extension`: true when the path has no
// extension at all (a bare trailing dot is an extension).
bool extension_is(std::string_view path, std::string_view extension);

// Replaces the extension of the last path component (a leading `.` of
// `extension` is ignored). A component whose fourth character from the end
// is a dot loses its last three characters; otherwise everything after its
// last dot goes, and a dot is appended when it has none. PLOT.PLT and PLOT
// both become PLOT.DXF.
void replace_extension(std::string& path, std::string_view extension);

// Keeps everything up to and including the last separator and appends
// `name`; a path without a separator becomes `name`.
void replace_file_name(std::string& path, std::string_view name);

// True when the path names a folder that could be made the current one.
bool folder_exists(std::string_view path);

// An absolute path is left as it is (its separators made `/`); "." becomes
// the current folder; any other path, an empty one too, is appended to the
// current folder.
void make_absolute(std::string& path);

// Appends `/` unless the path already ends in `\` or `/`.
void add_trailing_backslash(std::string& path);

// Creates and deletes the probe file "WPROBE.CAD" in folder_of(path).
// Returns false, after printing "Error: Unable to write to folder %s" with
// the path as given (no line end), when it cannot be created.
bool probe_folder_writable(Output& out, std::string_view path);

// Size of the file in bytes; 0 when it cannot be opened or is no regular
// file. A name that does not exist is matched without case (see
// resolve_existing_name).
std::int64_t file_length_of(std::string_view path);

}  // namespace penloom
