// The converter interface: DXF of releases 2004 and 2007, and DWG of the
// release the database does not write (2007; the plug-in refuses it), go
// through the plug-in crdll.so in the program folder. In: the temporary
// release 2000 DXF, the output name and a release switch. Out: the plug-in's
// status (0 = the output exists) or -2 when the plug-in cannot be loaded.
// The C interface itself is plugin/crdll/cadrelay.h.
#pragma once

#include <string>

namespace penloom {

struct Context;

// File name of the plug-in inside the program folder.
inline constexpr const char* converter_file_name = "crdll.so";

// The converter's release switch for an `OutputRelease` code: "/2007" for 9,
// "/2004" for 8, "/2000" for 7, "/14" for 6, "/13" for 5, "/12" below.
const char* release_switch(int output_release);

// The command text handed to exec_cadrelay: " \"<dxf>\" \"<output>\" <switch>".
std::string converter_command_text(const std::string& dxf_path, const std::string& output_path,
                                   const char* release_switch);

// Loads ctx.program_folder + "crdll.so", runs vers_cadrelay, init_cadrelay
// and exec_cadrelay, and unloads it again (every call loads it anew).
// Returns:
//   -2    the library cannot be loaded or lacks one of the three exports;
//         "1 load_dll_dc() FAILED:\n" has been printed
//   0     the plug-in wrote the output
//   other the non-zero status of init_cadrelay (exec_cadrelay is then not
//         called) or of exec_cadrelay
[[nodiscard]] int convert_dxf_to_dwg(Context& ctx, const std::string& dxf_path, const std::string& output_path,
                                     const char* release_switch);

}  // namespace penloom
