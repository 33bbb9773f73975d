// PCL mode, without a scanner yet: PCL data is skipped to the next HP-GL
// entry point.
#include "input/pcl.h"

#include "driver/context.h"

namespace penloom {

void run_pcl_step(Context& ctx) {
    skip_to_hpgl_entry(ctx.gs.reader, ctx.gs.language);
}

void enter_pcl(Context& ctx, int code) {
    (void)code;
    if (ctx.gs.language.mode != language_pcl) ctx.gs.language.mode = language_pcl;
}

void enter_hpgl(Context& ctx, int code) {
    (void)code;
    ctx.gs.language.mode = language_hpgl;
}

}  // namespace penloom
