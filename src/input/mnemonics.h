// The mnemonic table: two upper-case letters to a `CommandCode`. Positive
// codes name HP-GL and HP-GL/2 instructions; 0 is unknown; negative codes
// are escape-sequence events. ORDER COMMANDCODE: the codes index the
// dispatch table in interpreter/command_loop.cpp.
#pragma once

namespace penloom {

enum CommandCode : int {
    // Escape-sequence events.
    escape_skip_to_entry_8 = -8,       // reserved: skip to the next HP-GL entry point
    escape_skip_to_entry_7 = -7,       // reserved: likewise
    escape_enter_hpgl_at_cursor = -6,  // ESC%#B, # odd
    escape_enter_hpgl_even = -5,       // ESC%#B, # even
    escape_enter_hpgl_negative = -4,   // ESC%#B, # negative
    escape_enter_pcl_at_pen = -3,      // ESC%1A
    escape_enter_pcl = -2,             // ESC%0A
    escape_met = -1,                   // a look-ahead met ESC
    command_unknown = 0,

    command_pa = 1,
    command_pd = 2,
    command_pr = 3,
    command_pu = 4,
    command_ci = 5,
    command_sp = 6,
    command_xt = 7,
    command_yt = 8,
    command_sc = 9,
    command_aa = 10,
    command_ar = 11,
    command_pe = 12,
    command_pm = 13,
    command_pw = 14,
    command_bp = 15,
    command_in = 16,
    command_ro = 17,
    command_dt = 18,
    command_lb = 19,
    // 20 belongs to no mnemonic.
    command_ad = 21,
    command_sa = 22,
    command_sd = 23,
    command_ss = 24,
    command_wd = 25,
    command_ip = 26,
    command_at = 27,
    command_rt = 28,
    command_tl = 29,
    command_pc = 30,
    command_mc = 31,
    command_tr = 32,
    command_np = 33,
    command_cr = 34,
    command_ac = 35,
    command_sv = 36,
    command_la = 37,
    command_fp = 38,
    command_ea = 39,
    command_er = 40,
    command_ew = 41,
    command_ra = 42,
    command_rr = 43,
    command_wg = 44,
    command_ft = 45,
    command_lt = 46,
    command_cf = 47,
    command_cp = 48,
    command_ct = 49,
    command_dc = 50,
    command_df = 51,
    command_di = 52,
    command_dl = 53,
    command_dp = 54,
    command_dr = 55,
    command_dv = 56,
    command_ec = 57,
    command_ep = 58,
    command_es = 59,
    command_fi = 60,
    command_fn = 61,
    command_fr = 62,
    command_ir = 63,
    command_iw = 64,
    command_lo = 65,
    command_mg = 66,
    command_mt = 67,
    command_nr = 68,
    command_od = 69,
    command_oe = 70,
    command_oh = 71,
    command_oi = 72,
    command_op = 73,
    command_os = 74,
    command_pg = 75,
    command_ps = 76,
    command_ql = 77,
    command_rf = 78,
    command_rp = 79,
    command_sb = 80,
    command_si = 81,
    command_sl = 82,
    command_sm = 83,
    command_sr = 84,
    command_st = 85,
    command_td = 86,
    command_ul = 87,
    command_vs = 88,
    command_wu = 89,
    command_uf = 90,
    command_co = 91,
    command_pp = 92,
    command_br = 93,
    command_bz = 94,
    command_lm = 95,
};

inline constexpr int kLowestCommandCode = -8;
inline constexpr int kHighestCommandCode = 95;

// The code of a two-letter mnemonic (upper-case letters), 0 when the pair
// is not in the table. Any other characters give 0.
int lookup_command(int first, int second);

// The two letters of a code, "" for codes without a mnemonic.
const char* mnemonic_of(int code);

}  // namespace penloom
