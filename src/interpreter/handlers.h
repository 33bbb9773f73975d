// The command handlers the dispatch table calls. Each takes the context and
// its `CommandCode` (which tells absolute from relative where one handler
// serves both). A part that writes a handler declares it here and puts it
// into the table in command_loop.cpp.
#pragma once

namespace penloom {

struct InterpreterContext;

using CommandHandler = void (*)(InterpreterContext& ctx, int code);

// Does nothing: unknown codes, ignored instructions, handlers not written yet.
void cmd_nothing(InterpreterContext& ctx, int code);

// Read up to 1, 2, 3 or 21 numbers and ignore them.
void cmd_reads_1(InterpreterContext& ctx, int code);
void cmd_reads_2(InterpreterContext& ctx, int code);
void cmd_reads_3(InterpreterContext& ctx, int code);
void cmd_reads_21(InterpreterContext& ctx, int code);

// Page and reset commands (page_commands.cpp).
void cmd_in(InterpreterContext& ctx, int code);
void cmd_df(InterpreterContext& ctx, int code);
void cmd_pg(InterpreterContext& ctx, int code);
void cmd_nr(InterpreterContext& ctx, int code);
void cmd_rp(InterpreterContext& ctx, int code);

// Pens and line types (pens.cpp, line_types.cpp).
void cmd_sp(InterpreterContext& ctx, int code);
void cmd_pw(InterpreterContext& ctx, int code);
void cmd_wu(InterpreterContext& ctx, int code);
void cmd_pc(InterpreterContext& ctx, int code);
void cmd_cr(InterpreterContext& ctx, int code);
void cmd_np(InterpreterContext& ctx, int code);
void cmd_mc(InterpreterContext& ctx, int code);
void cmd_tr(InterpreterContext& ctx, int code);
void cmd_lt(InterpreterContext& ctx, int code);

// Labels and fonts (labels.cpp, label_cells.cpp, fonts.cpp).
void cmd_lb(InterpreterContext& ctx, int code);
void cmd_dt(InterpreterContext& ctx, int code);
void cmd_di(InterpreterContext& ctx, int code);
void cmd_dr(InterpreterContext& ctx, int code);
void cmd_dv(InterpreterContext& ctx, int code);
void cmd_lo(InterpreterContext& ctx, int code);
void cmd_cp(InterpreterContext& ctx, int code);
void cmd_sm(InterpreterContext& ctx, int code);
void cmd_si(InterpreterContext& ctx, int code);
void cmd_sr(InterpreterContext& ctx, int code);
void cmd_ss(InterpreterContext& ctx, int code);
void cmd_sa(InterpreterContext& ctx, int code);
void cmd_sd(InterpreterContext& ctx, int code);
void cmd_ad(InterpreterContext& ctx, int code);

// Accepted and ignored, with their own parameter syntax (ignored_commands.cpp).
void cmd_bp(InterpreterContext& ctx, int code);
void cmd_wd(InterpreterContext& ctx, int code);
void cmd_co(InterpreterContext& ctx, int code);
void cmd_mg(InterpreterContext& ctx, int code);
void cmd_la(InterpreterContext& ctx, int code);
void cmd_dl(InterpreterContext& ctx, int code);

// Coordinate system (scaling_commands.cpp).
void cmd_sc(InterpreterContext& ctx, int code);
void cmd_ip(InterpreterContext& ctx, int code);
void cmd_ir(InterpreterContext& ctx, int code);
void cmd_ps(InterpreterContext& ctx, int code);
void cmd_ro(InterpreterContext& ctx, int code);
void cmd_fr(InterpreterContext& ctx, int code);
void cmd_iw(InterpreterContext& ctx, int code);

// Pen motion and ticks (vectors.cpp), arcs and circles (arcs.cpp; the code
// tells AA from AR and AT from RT), Bezier curves (bezier.cpp), encoded
// polylines (polyline_encoded.cpp).
void cmd_pa(InterpreterContext& ctx, int code);
void cmd_pr(InterpreterContext& ctx, int code);
void cmd_pd(InterpreterContext& ctx, int code);
void cmd_pu(InterpreterContext& ctx, int code);
void cmd_xt(InterpreterContext& ctx, int code);
void cmd_yt(InterpreterContext& ctx, int code);
void cmd_tl(InterpreterContext& ctx, int code);
void cmd_aa_ar(InterpreterContext& ctx, int code);
void cmd_at_rt(InterpreterContext& ctx, int code);
void cmd_ci(InterpreterContext& ctx, int code);
void cmd_br(InterpreterContext& ctx, int code);
void cmd_bz(InterpreterContext& ctx, int code);
void cmd_pe(InterpreterContext& ctx, int code);

// Polygon mode and fills (polygons.cpp, rectangles.cpp, wedges.cpp,
// fill_types.cpp); the code tells RA from RR and EA from ER.
void cmd_pm(InterpreterContext& ctx, int code);
void cmd_ep(InterpreterContext& ctx, int code);
void cmd_fp(InterpreterContext& ctx, int code);
void cmd_ra_rr(InterpreterContext& ctx, int code);
void cmd_ea_er(InterpreterContext& ctx, int code);
void cmd_ac(InterpreterContext& ctx, int code);
void cmd_wg(InterpreterContext& ctx, int code);
void cmd_ew(InterpreterContext& ctx, int code);
void cmd_ft(InterpreterContext& ctx, int code);
void cmd_rf(InterpreterContext& ctx, int code);

// Escape events (input/pcl.cpp, language_mode.cpp).
void cmd_skip_to_entry(InterpreterContext& ctx, int code);
void cmd_enter_hpgl(InterpreterContext& ctx, int code);
void cmd_enter_pcl(InterpreterContext& ctx, int code);

}  // namespace penloom
