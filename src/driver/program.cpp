#include "driver/program.h"

#include "driver/fatal.h"

namespace penloom {

int program_main(int argc, char** argv) {
    Context ctx;
    ctx.out = Output::to_stream(stdout);
    std::vector<std::string> args(argv + 1, argv + argc);
    return run_program(ctx, args);
}

int run_program(Context& ctx, const std::vector<std::string>& args) {
    (void)args;
    try {
        ctx.out.print("\nPENLOOM %s %s - HPGL to DXF/DWG Translator\n", "4.0", "A.06");
        return 0;
    } catch (const FatalExit& fatal) {
        return fatal.status;
    }
}

}  // namespace penloom
