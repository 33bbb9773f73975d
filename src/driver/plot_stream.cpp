// The language-mode loop and the PJL command reader.
#include "driver/plot_stream.h"

#include <string>
#include <string_view>

#include "input/mnemonics.h"
#include "interpreter/command_loop.h"
#include "interpreter/interpreter_context.h"
#include "interpreter/pcl_mode.h"

namespace penloom {

namespace {

constexpr int kMaxPjlLine = 252;

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
        if (a != prefix[i]) return false;
    }
    return true;
}

std::string_view strip_leading(std::string_view text, std::string_view blanks) {
    std::size_t start = text.find_first_not_of(blanks);
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The value after a PJL keyword: blanks and `=` stripped.
std::string_view value_after(std::string_view line, std::size_t keyword_length) {
    return strip_leading(line.substr(keyword_length), " \t=");
}

// A decimal integer as atoi reads it; 0 without digits.
long read_decimal(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    while (i < text.size() && is_digit(text[i]) && value < 100000000)
        value = value * 10 + (text[i++] - '0');
    return negative ? -value : value;
}

int next_byte_in_line(ReaderState& reader) {
    int c = next_byte(reader);
    while (c == '\n' || c == '\r') c = next_byte(reader);
    return c;
}

void fall_back_to_hpgl(GraphicsState& gs) {
    gs.command = escape_enter_pcl;
    gs.language.mode = language_hpgl;
}

void enter_language(LanguageState& language, std::string_view value) {
    if (language.ret_on && language.resolution == 1200) language.resolution = 2400;
    if (starts_with_nocase(value, "PCL")) {
        language.pcl_context = true;
        language.mode = language_skip_pcl;
    } else if (starts_with_nocase(value, "POSTSCRIPT")) {
        language.pcl_context = false;
        language.mode = language_skip_postscript;
    } else if (starts_with_nocase(value, "HPGL")) {
        language.pcl_context = false;
        language.mode = language_hpgl;
    } else if (starts_with_nocase(value, "HPRTL")) {
        language.pcl_context = false;
        language.mode = language_pcl;
    }
}

}  // namespace

void run_pjl_command(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    ReaderState& reader = gs.reader;
    LanguageState& language = gs.language;

    int c = next_byte_in_line(reader);
    if (c == kEscape) {
        for (char expected : std::string_view("%-12345X")) {
            if (next_byte(reader) != expected) {
                fall_back_to_hpgl(gs);
                return;
            }
        }
        c = next_byte_in_line(reader);
    }
    if (c != '@' || next_byte(reader) != 'P' || next_byte(reader) != 'J' ||
        next_byte(reader) != 'L') {
        fall_back_to_hpgl(gs);
        return;
    }

    std::string line;
    for (int i = 0; i < kMaxPjlLine; ++i) {
        c = next_byte(reader);
        if (c == kEndOfInput || c == '\n') break;
        if (c != '\r') line.push_back(static_cast<char>(c));
    }
    std::string_view command = strip_leading(line, " \t");
    if (starts_with_nocase(command, "ENTER LANGUAGE")) {
        enter_language(language, value_after(command, 14));
    } else if (starts_with_nocase(command, "SET RESOLUTION")) {
        long dpi = read_decimal(value_after(command, 14));
        if (dpi == 300 || dpi == 600 || dpi == 1200) language.resolution = static_cast<int>(dpi);
    } else if (starts_with_nocase(command, "SET RET")) {
        if (starts_with_nocase(value_after(command, 7), "ON")) language.ret_on = true;
    }
}

void run_plot_stream(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (gs.in_at_start) dispatch(ctx, command_in);
    while (!gs.reader.end_of_input && !gs.stop) {
        switch (gs.language.mode) {
            case language_pcl:
                run_pcl_step(ctx);
                break;
            case language_pjl:
                run_pjl_command(ctx);
                break;
            case language_skip_pcl:
            case language_skip_postscript:
                skip_to_hpgl_entry(gs.reader, gs.language);
                break;
            default:
                run_hpgl_command(ctx);
                break;
        }
    }
    flush_pending_output(ctx);
}

}  // namespace penloom
