// The help switch: the manual beside the program, opened in the desktop's
// viewer when there is a display, else pointed to on the console.
#include "driver/help.h"

#include <string>

#include "driver/command_line.h"
#include "driver/context.h"
#include "driver/shell.h"

namespace penloom {

namespace {
constexpr const char* manual_name = "penloom.html";
}

void show_help(Context& ctx) {
    if (display_available()) {
        open_with_shell(ctx.out, ctx.program_folder, manual_name);
        return;
    }
    std::string manual = ctx.program_folder + manual_name;
    ctx.out.print("User manual: %s\n\n", manual.c_str());
    print_usage(ctx.out);
}

}  // namespace penloom
