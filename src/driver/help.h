// The help switch: shows the manual "penloom.html" from the program folder.
#pragma once

namespace penloom {

struct Context;

// With a display, opens the manual with the desktop's viewer (xdg-open);
// without one, prints the manual's path and the usage text. The caller ends
// the run with status 1 either way.
void show_help(Context& ctx);

}  // namespace penloom
