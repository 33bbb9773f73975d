// Instructions that are accepted and ignored. Most only need their numeric
// parameters skipped; BP, WD, CO and MG carry text, which is read raw so
// that nothing in it is taken for an instruction.
#include "interpreter/interpreter_context.h"
#include "input/language_mode.h"
#include "interpreter/pcl_mode.h"
#include "interpreter/handlers.h"

namespace penloom {

namespace {

constexpr int kMaxIgnoredText = 255;

}  // namespace

void cmd_nothing(InterpreterContext&, int) {}

void cmd_reads_1(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 1);
}
void cmd_reads_2(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 2);
}
void cmd_reads_3(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 3);
}
void cmd_reads_21(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 21);
}

// BP: kind/value pairs until a read finds no kind. Kind 1 is a quoted name:
// the byte after the kind (the opening quote) is dropped, then raw bytes up
// to and including the closing quote. Any other kind takes one number.
void cmd_bp(InterpreterContext& ctx, int) {
    ReaderState& reader = ctx.gs.reader;
    std::int32_t kind = 0;
    while (read_int(reader, kind) == 1) {
        if (kind == 1) {
            next_byte(reader);
            int c;
            do c = next_byte(reader);
            while (c != '"' && c != kEndOfInput);
        } else {
            double value;
            std::int32_t integer;
            read_number(reader, value, integer);
        }
    }
}

// WD: text up to the label terminator, at most 255 bytes.
void cmd_wd(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    for (int i = 0; i < kMaxIgnoredText; ++i) {
        int c = next_byte(gs.reader);
        if (c == gs.label_terminator || c == kEndOfInput) break;
    }
    gs.tokens.count = 0;
    gs.command = 0;
}

// CO: blanks, then either a quoted comment (up to the closing quote, at
// most 255 bytes) or a bare one. Older and hand-written files leave the
// quotes out (`CO 1st quadrant;`); taking their first letter for a quote
// would swallow the instructions behind them, so a bare comment ends at its
// `;` (consumed), at ESC (read again as the start of a sequence) or at the
// end of the input.
void cmd_co(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    int c = next_byte(reader);
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = next_byte(reader);
    if (c == '"') {
        for (int i = 0; i < kMaxIgnoredText; ++i) {
            c = next_byte(reader);
            if (c == '"' || c == kEndOfInput) break;
        }
    } else {
        while (c != ';' && c != kEscape && c != kEndOfInput) c = next_byte(reader);
        if (c == kEscape) {
            reader.current = c;
            reader.push_back = true;
        }
    }
    gs.tokens.count = 0;
    gs.command = 0;
}

// MG: one byte (the opening quote), then everything up to a `;`.
void cmd_mg(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    int c = next_byte(gs.reader);
    while (c != kEndOfInput) {
        c = next_byte(gs.reader);
        if (c == ';') break;
    }
    gs.command = 0;
}

void cmd_la(InterpreterContext& ctx, int) {
    read_numbers(ctx.gs, 21);
    ctx.gs.tokens.count = 0;
    ctx.gs.command = 0;
}

// DL: one number at a time until a read finds none.
void cmd_dl(InterpreterContext& ctx, int) {
    double value;
    std::int32_t integer;
    while (read_number(ctx.gs.reader, value, integer) == 1) {
    }
}

void cmd_skip_to_entry(InterpreterContext& ctx, int) {
    skip_to_hpgl_entry(ctx.gs.reader, ctx.gs.language);
}
void cmd_enter_hpgl(InterpreterContext& ctx, int code) {
    enter_hpgl(ctx, code);
}
void cmd_enter_pcl(InterpreterContext& ctx, int code) {
    enter_pcl(ctx, code);
}

}  // namespace penloom
