// The program: start-up (locale, program folder, settings, banner), the
// command line, the batch loop and the closing status.
#include "driver/program.h"

#include <clocale>
#include <cstdio>

#include "construction/fatal.h"
#include "driver/batch.h"
#include "driver/command_line.h"
#include "driver/paths.h"
#include "driver/pipeline.h"
#include "construction/profile.h"
#include "driver/settings.h"

namespace penloom {

namespace {

constexpr const char* program_version = "4.0";
constexpr const char* program_build = "A.06";

void print_banner(Output& out) {
    out.print("\n");
    out.print("PENLOOM %s %s - HPGL to DXF/DWG Translator\n", program_version, program_build);
    out.print("%s\n", std::string(77, '-').c_str());
}

int run(Context& ctx, const std::vector<std::string>& args) {
    // Numbers are read and written with a decimal point whatever the user's locale.
    std::setlocale(LC_ALL, "C");
    ctx.program_folder = program_folder();
    locate_settings_file(ctx.profile, ctx.program_folder);
    load_settings(ctx.settings, ctx.profile, ctx.program_folder);
    apply_settings_defaults(ctx.batch, ctx.settings);
    print_banner(ctx.out);

    if (int status = read_command_line(ctx, args); status != 0) return status;
    if (ctx.batch.test_run) ctx.out.print("Test Run. NO FILES WILL BE TRANSLATED.\n");
    ctx.batch.files_processed = 0;
    ctx.out.print("\n");
    return run_batch(ctx);
}

}  // namespace

int program_main(int argc, char** argv) {
    Context ctx;
    ctx.out = Output::to_stream(stdout);
    std::vector<std::string> args(argv + 1, argv + argc);
    // The shell sees a negative status modulo 256 (-1 as 255).
    return run_program(ctx, args) & 255;
}

int run_program(Context& ctx, const std::vector<std::string>& args) {
    try {
        return run(ctx, args);
    } catch (const FatalExit& fatal) {
        release_plot_input(ctx);
        release_output_drawing(ctx.drawing);
        return fatal.status;
    }
}

}  // namespace penloom
