// The HP-GL tokenizer: turns the character stream of the reader into
// mnemonics and parameters. read_mnemonic finds the next two-letter
// instruction (or an implicit repetition, or an escape-sequence event); the
// parameter readers below are pulled by the command handlers, which decide
// how many parameters they take.
#pragma once

#include <cstdint>

#include "input/reader.h"

namespace penloom {

// The longest parameter list any handler reads is 21.
inline constexpr int kMaxParameters = 32;

// Number tokens are collected up to this many characters; the rest of a
// longer token is read and dropped (the number is cut, not rejected).
inline constexpr int kMaxNumberLength = 255;

struct TokenState {
    char mnemonic[2] = {0, 0};                   // letters of the current instruction
    char previous_mnemonic[2] = {0, 0};          // saved by every mnemonic search, for repetition
    bool repeat_pending = false;                 // read_point saw more numbers after its pair
    double values[kMaxParameters] = {};          // last parameter list; read_point: drawing units
    std::int32_t integers[kMaxParameters] = {};  // the same, truncated toward zero
    int count = 0;                               // parameters read by the last list read

    // PE decoding, reset at the start of every PE instruction.
    int pe_base = 64;         // 64 in 8-bit mode, 32 in 7-bit mode
    double pe_divisor = 1.0;  // 2 to the power of the fractional bits
    bool pe_error = false;    // a PE number ended without its final digit
    // An implicit repetition met before any instruction: the input began with
    // numbers, which repeat whatever instruction the previous file ended on.
    bool repeated_before_first = false;
};

inline bool is_number_start(int c) {
    return is_digit(c) || c == '.' || c == '+' || c == '-';
}
inline bool is_number_continuation(int c) {
    return is_digit(c) || c == '.';
}
inline bool is_letter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// True when the current character ends a parameter list: an upper-case
// letter or ESC.
inline bool at_terminator(const ReaderState& reader) {
    return (reader.current >= 'A' && reader.current <= 'Z') || reader.current == kEscape;
}

// What the mnemonic search works on, handed down by the interpreter: the
// reader and tokens, the two conditions the escape recogniser reads, where a
// device-control mnemonic's code goes, and the one thing the search makes
// the interpreter do: write the fill a polygon left pending, before control
// passes to an escape event, a page advance or the end of the input.
struct MnemonicSearch {
    ReaderState& reader;
    TokenState& tokens;
    int& command;       // set to the code of a device-control mnemonic
    bool pcl_context;   // PJL entered PCL: ESC%0A and ESC%1A are not mode switches
    int path_counter;   // paths begun in this file: ESC.) counts only after one
    void (*finish_pending_fill)(void* owner);
    void* owner;        // handed back to finish_pending_fill
};

// Finds the next instruction. Returns
//   0    a mnemonic stands in tokens.mnemonic (or, for an implicit
//        repetition, the previous one does), or the input ended;
//   < 0  an escape event: -1 ESC met with stop_at_escape, -2/-3 enter PCL;
//   75   a page advance found by the device-control skip (mnemonic "PG");
//   > 0  otherwise, the code of a device-control `ESC.x` mnemonic.
// Calls search.finish_pending_fill before returning -1, -2, -3, -7, -8 or
// 75 and at end of input.
int read_mnemonic(const MnemonicSearch& search, bool stop_at_escape);

// The usual implicit repetition, for the command loop to run the instruction
// again without a mnemonic search: when read_point left a pair pending and
// the next character (the pushed-back one, or the byte after a pushed-back
// comma) starts a number, does what read_mnemonic would do there and returns
// true. False, with nothing read, whenever read_mnemonic is needed (other
// separators, the end of the read window, the parse trace).
bool read_repetition(TokenState& tokens, ReaderState& reader);

// Reads one numeric parameter. Returns 1 with the value (and its integer,
// truncated toward zero) when a number was read; 0 with both outputs 0 when
// the list ended: a `;` (consumed), or a letter or end of input (pushed
// back). A number is a sign, digit or point followed by digits and points,
// converted as a "%lf" scan would; a lone "-", "+" or "." reads as 0.
int read_number(ReaderState& reader, double& value, std::int32_t& integer);

// read_number keeping only the integer.
int read_int(ReaderState& reader, std::int32_t& integer);

// Clears the first n parameter slots and reads up to n numbers into them,
// stopping at the end of the list. Returns the count read, also stored as
// tokens.count. A non-positive n reads nothing and gives 0.
int read_numbers(TokenState& tokens, ReaderState& reader, int n);

// Reads up to two numbers of an X,Y pair into slots 0 and 1 (cleared first)
// and returns how many were read; sets repeat_pending when more numbers
// follow the pair. The caller transforms the pair and sets tokens.count.
inline bool list_ended(const ReaderState& reader) {
    return reader.current == ';' || reader.current == kEndOfInput || at_terminator(reader);
}
int read_pair(TokenState& tokens, ReaderState& reader);

// The integer a double truncates to, as the x86 conversion gives it: NaN
// and values outside the 32-bit range give INT32_MIN.
std::int32_t truncate_to_int(double value);

}  // namespace penloom
