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

// Accepted and ignored, with their own parameter syntax (ignored_commands.cpp).
void cmd_bp(Context& ctx, int code);
void cmd_wd(Context& ctx, int code);
void cmd_co(Context& ctx, int code);
void cmd_mg(Context& ctx, int code);
void cmd_la(Context& ctx, int code);
void cmd_dl(Context& ctx, int code);

// Escape events (input/pcl.cpp, language_mode.cpp).
void cmd_skip_to_entry(Context& ctx, int code);
void cmd_enter_hpgl(Context& ctx, int code);
void cmd_enter_pcl(Context& ctx, int code);

}  // namespace penloom
