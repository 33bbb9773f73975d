// One conversion of the plug-in: the command text in, the output written (or
// refused) and a status out. Separate from the C exports so that tests can
// run it in-process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace penloom::relay {

// The version text vers_cadrelay hands out.
inline constexpr const char* relay_version = "PENLOOM crdll 1.0 (DXF 2004/2007)";

// Runs one command (see cadrelay.h for the text). Returns a CADRELAY_*
// status:
//   OK               the output exists: a release 2004 or 2007 rewrite for
//                    /2004 and /2007, a copy of the input for /2000
//   BAD_COMMAND      the text is not two quoted paths and a known switch
//   DWG_UNAVAILABLE  the output is a .dwg file; one line is printed to
//                    `messages` and no output file is made
//   DOWNGRADE_REFUSED  DXF output with /14, /13 or /12
//   CANNOT_READ      the input cannot be opened
//   NOT_R2000_DXF    the input is not a complete release 2000 ASCII DXF
//   BAD_CODE_PAGE    see check_code_page
//   CANNOT_WRITE     the output could not be written completely
// On any failure an older file of the output's name is left as it was.
// write_limit: for tests, the output write fails after this many bytes.
[[nodiscard]] int run_command(std::string_view command, std::FILE* messages,
                              std::uint64_t write_limit = UINT64_MAX);

}  // namespace penloom::relay
