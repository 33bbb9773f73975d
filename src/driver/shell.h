// Opening a document with the application the desktop associates with it
// (xdg-open), as the help switch does with the manual.
#pragma once

#include <string>
#include <string_view>

#include "construction/output.h"

namespace penloom {

// True when a graphical display is available (DISPLAY or WAYLAND_DISPLAY set).
bool display_available();

// Opens `document` with xdg-open, in the document's own folder; a document
// without a folder part is taken from `program_folder`. Returns true on
// success. On failure prints "Error (%d): Could not open %s\n" with a
// result code in the manner of the Windows shell (2 file not found, 5 access
// denied, 31 no application for the file type), preceded by "ACESS DENIED
// but file_exists\n" for 5 on an existing file and followed by "No
// application associated to this file type:\n" for 31.
bool open_with_shell(Output& out, const std::string& program_folder, std::string_view document);

}  // namespace penloom
