// The command loop and the dispatch table.
#include "interpreter/command_loop.h"

#include <array>

#include "interpreter/interpreter_context.h"
#include "input/mnemonics.h"
#include "input/tokenizer.h"
#include "interpreter/handlers.h"
#include "interpreter/polygons.h"
#include "interpreter/reset_hooks.h"

namespace penloom {

namespace {

// ORDER COMMANDCODE: one entry per code from -8 to 95. Instructions whose
// handlers are not written yet stand as cmd_nothing with their mnemonic.
constexpr std::array<CommandHandler, kHighestCommandCode - kLowestCommandCode + 1> kHandlers = {
    cmd_skip_to_entry,  // -8  reserved: skip to the next HP-GL entry point
    cmd_skip_to_entry,  // -7  reserved: likewise
    cmd_enter_hpgl,     // -6  ESC%#B, # odd
    cmd_enter_hpgl,     // -5  ESC%#B, # even
    cmd_enter_hpgl,     // -4  ESC%#B, # negative
    cmd_enter_pcl,      // -3  ESC%1A
    cmd_enter_pcl,      // -2  ESC%0A
    cmd_nothing,        // -1  look-ahead met ESC
    cmd_nothing,        //  0  unknown
    cmd_pa,             //  1  PA plot absolute
    cmd_pd,             //  2  PD pen down
    cmd_pr,             //  3  PR plot relative
    cmd_pu,             //  4  PU pen up
    cmd_ci,             //  5  CI circle
    cmd_sp,             //  6  SP select pen
    cmd_xt,             //  7  XT X tick
    cmd_yt,             //  8  YT Y tick
    cmd_sc,             //  9  SC scale
    cmd_aa_ar,          // 10  AA arc absolute
    cmd_aa_ar,          // 11  AR arc relative
    cmd_pe,             // 12  PE polyline encoded
    cmd_pm,             // 13  PM polygon mode
    cmd_pw,             // 14  PW pen width
    cmd_bp,             // 15  BP begin plot
    cmd_in,             // 16  IN initialize
    cmd_ro,             // 17  RO rotate
    cmd_dt,             // 18  DT label terminator
    cmd_lb,             // 19  LB label
    cmd_nothing,        // 20  (no mnemonic)
    cmd_ad,             // 21  AD alternate font definition
    cmd_sa,             // 22  SA select alternate font
    cmd_sd,             // 23  SD standard font definition
    cmd_ss,             // 24  SS select standard font
    cmd_wd,             // 25  WD write to display
    cmd_ip,             // 26  IP input P1 and P2
    cmd_at_rt,          // 27  AT arc absolute three point
    cmd_at_rt,          // 28  RT arc relative three point
    cmd_tl,             // 29  TL tick length
    cmd_pc,             // 30  PC pen colour
    cmd_mc,             // 31  MC merge control
    cmd_tr,             // 32  TR transparency mode
    cmd_np,             // 33  NP number of pens
    cmd_cr,             // 34  CR colour range
    cmd_ac,             // 35  AC anchor corner
    cmd_reads_3,        // 36  SV screened vectors
    cmd_la,             // 37  LA line attributes
    cmd_fp,             // 38  FP fill polygon
    cmd_ea_er,          // 39  EA edge rectangle absolute
    cmd_ea_er,          // 40  ER edge rectangle relative
    cmd_ew,             // 41  EW edge wedge
    cmd_ra_rr,          // 42  RA fill rectangle absolute
    cmd_ra_rr,          // 43  RR fill rectangle relative
    cmd_wg,             // 44  WG fill wedge
    cmd_ft,             // 45  FT fill type
    cmd_lt,             // 46  LT line type
    cmd_reads_2,        // 47  CF character fill mode
    cmd_cp,             // 48  CP character plot
    cmd_reads_1,        // 49  CT chord tolerance mode
    cmd_nothing,        // 50  DC digitize clear
    cmd_df,             // 51  DF default values
    cmd_di,             // 52  DI absolute direction
    cmd_dl,             // 53  DL download character
    cmd_nothing,        // 54  DP digitize point
    cmd_dr,             // 55  DR relative direction
    cmd_dv,             // 56  DV text path
    cmd_reads_21,       // 57  EC enable cutter
    cmd_ep,             // 58  EP edge polygon
    cmd_reads_2,        // 59  ES extra space
    cmd_reads_1,        // 60  FI primary font by ID
    cmd_reads_1,        // 61  FN secondary font by ID
    cmd_fr,             // 62  FR frame advance
    cmd_ir,             // 63  IR input relative P1 and P2
    cmd_iw,             // 64  IW input window
    cmd_lo,             // 65  LO label origin
    cmd_mg,             // 66  MG message
    cmd_reads_1,        // 67  MT media type
    cmd_nr,             // 68  NR not ready
    cmd_nothing,        // 69  OD output digitized point
    cmd_nothing,        // 70  OE output error
    cmd_nothing,        // 71  OH output hard-clip limits
    cmd_nothing,        // 72  OI output identification
    cmd_nothing,        // 73  OP output P1 and P2
    cmd_nothing,        // 74  OS output status
    cmd_pg,             // 75  PG advance page
    cmd_ps,             // 76  PS plot size
    cmd_reads_1,        // 77  QL quality level
    cmd_rf,             // 78  RF raster fill definition
    cmd_rp,             // 79  RP replot
    cmd_reads_1,        // 80  SB scalable or bitmap fonts
    cmd_si,             // 81  SI absolute character size
    cmd_reads_1,        // 82  SL character slant
    cmd_sm,             // 83  SM symbol mode
    cmd_sr,             // 84  SR relative character size
    cmd_reads_1,        // 85  ST sort
    cmd_reads_1,        // 86  TD transparent data
    cmd_reads_21,       // 87  UL user-defined line type
    cmd_reads_2,        // 88  VS velocity select
    cmd_wu,             // 89  WU pen width unit
    cmd_nothing,        // 90  UF user-defined fill type
    cmd_co,             // 91  CO comment
    cmd_reads_1,        // 92  PP pixel placement
    cmd_br,             // 93  BR Bezier relative
    cmd_bz,             // 94  BZ Bezier absolute
    cmd_nothing,        // 95  LM label mode
};

void finish_fill_of_run(void* owner) {
    finish_pending_fill(*static_cast<InterpreterContext*>(owner));
}

}  // namespace

int search_mnemonic(InterpreterContext& ctx, bool stop_at_escape) {
    GraphicsState& gs = ctx.gs;
    const MnemonicSearch search{gs.reader,         gs.tokens,          gs.command,
                                gs.language.pcl_context, gs.path_counter, finish_fill_of_run,
                                &ctx};
    return read_mnemonic(search, stop_at_escape);
}

int dispatch(InterpreterContext& ctx, int code) {
    if (code >= kLowestCommandCode && code <= kHighestCommandCode)
        kHandlers[static_cast<std::size_t>(code - kLowestCommandCode)](ctx, code);
    return 0;
}

void run_hpgl_command(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    int code = search_mnemonic(ctx, false);
    if (gs.reader.end_of_input) return;
    const int mode = gs.language.mode;
    for (;;) {
        if (code == 0) code = lookup_command(gs.tokens.mnemonic[0], gs.tokens.mnemonic[1]);
        gs.command = code;
        gs.tokens.repeat_pending = false;
        dispatch(ctx, code);
        ++gs.command_counter;
        // The rest of a coordinate list, pair by pair, as the plot-stream
        // loop would run it, without a round through the mnemonic search.
        if (gs.stop || gs.language.mode != mode || !read_repetition(gs.tokens, gs.reader)) return;
        code = 0;
    }
}

void flush_pending_output(InterpreterContext& ctx) {
    finish_pending_fill(ctx);
    end_path(ctx);
}

}  // namespace penloom
