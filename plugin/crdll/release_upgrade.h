// Second pass: a release 2000 ASCII DXF rewritten as release 2004 (AC1018)
// or 2007 (AC1021). What changes:
//   HEADER    $ACADVER and $ACADMAINTVER; the variables these releases add
//             (only those the input lacks) before the end of the section
//   CLASSES   every CLASS gets its instance count (group 91) after its
//             proxy flags; 2007 adds the MATERIAL class
//   2007 only the material dictionary with the materials ByBlock, ByLayer
//             and Global (new handles from $HANDSEED, which moves on),
//             $CMATERIAL, and every LAYER pointing at Global (group 347);
//             all text converted from $DWGCODEPAGE to UTF-8
// Everything else is copied line for line, line ends included.
#pragma once

#include <string_view>

#include "drawing_survey.h"
#include "relay_command.h"
#include "relay_files.h"

namespace penloom::relay {

// CADRELAY_BAD_CODE_PAGE when 2007 output is asked for, the input holds a
// byte of 0x80 or above and its code page has no table; otherwise
// CADRELAY_OK. Checked before anything is written.
[[nodiscard]] int check_code_page(const DrawingSurvey& survey, Release target);

// Writes the rewritten drawing to out (target r2004 or r2007; the input has
// passed survey_drawing and check_code_page). Write failures show in
// out.commit().
void upgrade_drawing(std::string_view text, const DrawingSurvey& survey, Release target, ReplacingWriter& out);

}  // namespace penloom::relay
