// The command handlers the dispatch table calls. Each takes the context and
// its `CommandCode` (which tells absolute from relative where one handler
// serves both). A part that writes a handler declares it here and puts it
// into the table in command_loop.cpp.
#pragma once

namespace penloom {

struct Context;

using CommandHandler = void (*)(Context& ctx, int code);

// Does nothing: unknown codes, ignored instructions, handlers not written yet.
void cmd_nothing(Context& ctx, int code);

// Read up to 1, 2, 3 or 21 numbers and ignore them.
void cmd_reads_1(Context& ctx, int code);
void cmd_reads_2(Context& ctx, int code);
void cmd_reads_3(Context& ctx, int code);
void cmd_reads_21(Context& ctx, int code);

// Page and reset commands (page_commands.cpp).
void cmd_in(Context& ctx, int code);
void cmd_df(Context& ctx, int code);
void cmd_pg(Context& ctx, int code);
void cmd_nr(Context& ctx, int code);
void cmd_rp(Context& ctx, int code);

// Pens and line types (pens.cpp, line_types.cpp).
void cmd_sp(Context& ctx, int code);
void cmd_pw(Context& ctx, int code);
void cmd_wu(Context& ctx, int code);
void cmd_pc(Context& ctx, int code);
void cmd_cr(Context& ctx, int code);
void cmd_np(Context& ctx, int code);
void cmd_mc(Context& ctx, int code);
void cmd_tr(Context& ctx, int code);
void cmd_lt(Context& ctx, int code);

// Labels and fonts (labels.cpp, label_cells.cpp, fonts.cpp).
void cmd_lb(Context& ctx, int code);
void cmd_dt(Context& ctx, int code);
void cmd_di(Context& ctx, int code);
void cmd_dr(Context& ctx, int code);
void cmd_dv(Context& ctx, int code);
void cmd_lo(Context& ctx, int code);
void cmd_cp(Context& ctx, int code);
void cmd_sm(Context& ctx, int code);
void cmd_si(Context& ctx, int code);
void cmd_sr(Context& ctx, int code);
void cmd_ss(Context& ctx, int code);
void cmd_sa(Context& ctx, int code);
void cmd_sd(Context& ctx, int code);
void cmd_ad(Context& ctx, int code);

// Accepted and ignored, with their own parameter syntax (ignored_commands.cpp).
void cmd_bp(Context& ctx, int code);
void cmd_wd(Context& ctx, int code);
void cmd_co(Context& ctx, int code);
void cmd_mg(Context& ctx, int code);
void cmd_la(Context& ctx, int code);
void cmd_dl(Context& ctx, int code);

// Coordinate system (scaling_commands.cpp).
void cmd_sc(Context& ctx, int code);
void cmd_ip(Context& ctx, int code);
void cmd_ir(Context& ctx, int code);
void cmd_ps(Context& ctx, int code);
void cmd_ro(Context& ctx, int code);
void cmd_fr(Context& ctx, int code);
void cmd_iw(Context& ctx, int code);

// Pen motion and ticks (vectors.cpp), arcs and circles (arcs.cpp; the code
// tells AA from AR and AT from RT), Bezier curves (bezier.cpp), encoded
// polylines (polyline_encoded.cpp).
void cmd_pa(Context& ctx, int code);
void cmd_pr(Context& ctx, int code);
void cmd_pd(Context& ctx, int code);
void cmd_pu(Context& ctx, int code);
void cmd_xt(Context& ctx, int code);
void cmd_yt(Context& ctx, int code);
void cmd_tl(Context& ctx, int code);
void cmd_aa_ar(Context& ctx, int code);
void cmd_at_rt(Context& ctx, int code);
void cmd_ci(Context& ctx, int code);
void cmd_br(Context& ctx, int code);
void cmd_bz(Context& ctx, int code);
void cmd_pe(Context& ctx, int code);

// Polygon mode and fills (polygons.cpp, rectangles.cpp, wedges.cpp,
// fill_types.cpp); the code tells RA from RR and EA from ER.
void cmd_pm(Context& ctx, int code);
void cmd_ep(Context& ctx, int code);
void cmd_fp(Context& ctx, int code);
void cmd_ra_rr(Context& ctx, int code);
void cmd_ea_er(Context& ctx, int code);
void cmd_ac(Context& ctx, int code);
void cmd_wg(Context& ctx, int code);
void cmd_ew(Context& ctx, int code);
void cmd_ft(Context& ctx, int code);
void cmd_rf(Context& ctx, int code);

// Escape events (input/pcl.cpp, language_mode.cpp).
void cmd_skip_to_entry(Context& ctx, int code);
void cmd_enter_hpgl(Context& ctx, int code);
void cmd_enter_pcl(Context& ctx, int code);

}  // namespace penloom
