// The PCL/HP-RTL escape-sequence scanner. A sequence is ESC, a group
// character, for most groups a parameter character, a value and a
// terminator; a lower-case terminator continues the same group with the
// next value (`ESC&l1o2A` is `ESC&l1O` and `ESC&l2A`).
#include "input/pcl_scanner.h"

#include <charconv>
#include <cstdint>

#include "input/mnemonics.h"
#include "input/tokenizer.h"

namespace penloom {

namespace {

// A value is at most this many characters; the one after it terminates.
constexpr int kMaxValueLength = 20;

struct ActionSequence {
    char group;
    char parameter;  // 0: the group takes none
    char terminator;
    int code;
};

// ORDER PCLCODE: the codes of pcl_scanner.h with their sequences. ESC%#A
// and ESC%#B are decided by their value and are not listed.
constexpr ActionSequence kActions[] = {
    {'%', 0, 'X', pcl_universal_exit},      {'&', 'b', 'W', pcl_skip_config_data},
    {'*', 'b', 'V', pcl_skip_raster_plane}, {'*', 'b', 'W', pcl_skip_raster_row},
    {'*', 'c', 'W', pcl_skip_pattern},      {'*', 'g', 'W', pcl_skip_raster_config},
    {'*', 'p', 'X', pcl_cursor_x},          {'*', 'p', 'Y', pcl_cursor_y},
    {'*', 'v', 'W', pcl_skip_palette},      {'&', 'p', 'X', pcl_skip_transparent},
    {'(', 0, 'W', pcl_skip_symbol_set},     {')', 's', 'W', pcl_skip_font_secondary},
    {'(', 's', 'W', pcl_skip_font_primary}, {'*', 'c', 'E', pcl_stop_character},
};

// Sequences that are recognised and need nothing done: each terminator of
// a family gets the next code from kIgnoredPclCodes on, in this order.
struct IgnoredFamily {
    char group;
    char parameter;
    const char* terminators;
};

constexpr IgnoredFamily kIgnored[] = {
    {'&', 'a', "CHLMNPRV"},
    {'&', 'd', "D@"},
    {'&', 'f', "SXY"},
    {'&', 'k', "GHS"},
    {'&', 'l', "AEFHLOPUXZ"},
    {'&', 'u', "D"},
    {'*', 'b', "LMY"},
    {'*', 'c', "ABDFGHPQRSV"},
    {'*', 'l', "O"},
    {'*', 'p', "PR"},
    {'*', 'r', "AFSTUBC"},
    {'*', 's', "FITU"},
    {'*', 't', "HJRV"},
    {'*', 'v', "ABCINOST"},
    {'(', 0, "@DEFGIJLMNSTUX"},
    {'(', 's', "BHPSTV"},
    {')', 0, "@X"},
};

int upper(int c) {
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}
int lower(int c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int lookup_sequence(int group, int parameter, int terminator) {
    for (const ActionSequence& entry : kActions)
        if (entry.group == group && entry.parameter == parameter && entry.terminator == terminator)
            return entry.code;
    int code = kIgnoredPclCodes;
    for (const IgnoredFamily& family : kIgnored) {
        for (const char* t = family.terminators; *t != '\0'; ++t, ++code)
            if (family.group == group && family.parameter == parameter && *t == terminator)
                return code;
    }
    return pcl_unknown;
}

// ESC%#A enters PCL, ESC%#B HP-GL/2; the value says how the cursor or the
// pen is carried over. An even positive ESC%#A is no mode switch.
int mode_switch_code(int terminator, std::int32_t value) {
    if (terminator == 'A') {
        if (value <= 0) return escape_enter_pcl;
        if (value % 2 != 0) return escape_enter_pcl_at_pen;
        return pcl_unknown;
    }
    if (value < 0) return escape_enter_hpgl_negative;
    return value % 2 == 0 ? escape_enter_hpgl_even : escape_enter_hpgl_at_cursor;
}

// Reads up to ESC, a form feed, a flagged stop character or the end of the
// input, and returns that character.
int search_escape(ReaderState& reader, const PclState& pcl) {
    int c = next_char_keep_case(reader);
    while (c != kEscape && c != kFormFeed && c != kEndOfInput &&
           !(c < kPclStopCharacters && pcl.stop_characters[static_cast<std::size_t>(c)]))
        c = next_char_keep_case(reader);
    return c;
}

// After ESC: reads on to a group character and returns it; 0 for `=` or `9`
// in a PJL-entered PCL job (sequences without parameters), -1 at the end.
int read_group(ReaderState& reader, bool pcl_context) {
    for (;;) {
        int c = next_char_keep_case(reader);
        if (c == kEndOfInput) return kEndOfInput;
        if (c == 'E' || c == '%' || c == '&' || c == '*' || c == '(' || c == ')') return c;
        if (pcl_context && (c == '=' || c == '9')) return 0;
    }
}

// The value text as atoi reads it, saturated to 32 bits.
std::int32_t text_to_integer(const char* text, int length) {
    int i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < length && is_digit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) return negative ? INT32_MIN : INT32_MAX;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// The value text as atof reads it; 0 without digits.
double text_to_double(const char* text, int length) {
    int i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0.0;
    auto result = std::from_chars(text + i, text + length, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

// Reads the value and the terminator into `sequence`.
void read_value(ReaderState& reader, PclSequence& sequence) {
    char text[kMaxValueLength];
    int length = 0;
    int c = next_char_keep_case(reader);
    if (is_number_start(c)) {
        if (c == '+') sequence.sign = 1;
        if (c == '-') sequence.sign = -1;
        text[length++] = static_cast<char>(c);
        c = next_char_keep_case(reader);
        while (length < kMaxValueLength && is_number_continuation(c)) {
            text[length++] = static_cast<char>(c);
            c = next_char_keep_case(reader);
        }
    }
    sequence.integer = text_to_integer(text, length);
    sequence.value = text_to_double(text, length);
    sequence.terminator = c;
}

}  // namespace

PclSequence scan_pcl_sequence(ReaderState& reader, PclState& pcl, bool pcl_context) {
    PclSequence sequence;

    int group = pcl.pending_group;
    int parameter = pcl.pending_parameter;
    pcl.pending_group = 0;  // a lower-case terminator sets both again
    pcl.pending_parameter = 0;

    if (group == 0) {
        parameter = 0;
        int c = search_escape(reader, pcl);
        if (c == kEndOfInput) return sequence;
        if (c == kFormFeed) {
            sequence.code = pcl_form_feed;
            return sequence;
        }
        if (c != kEscape) {
            sequence.code = pcl_stopped;
            return sequence;
        }
        group = read_group(reader, pcl_context);
        if (group <= 0) return sequence;
        if (group == 'E') {
            sequence.code = pcl_reset;
            return sequence;
        }
    }

    if (parameter == 0) {
        if (group == '&' || group == '*') {
            parameter = lower(next_char_keep_case(reader));
            if (parameter == kEndOfInput) return sequence;
            if (parameter == kEscape) {
                reader.push_back = true;  // cut short: the ESC begins the next sequence
                return sequence;
            }
        } else if (group == '(' || group == ')') {
            if (next_char_keep_case(reader) == 's')
                parameter = 's';
            else
                reader.push_back = true;  // it begins the value
        }
    }

    read_value(reader, sequence);
    const int terminator = sequence.terminator;
    if (terminator == kEndOfInput) return sequence;
    if (terminator == kEscape) {
        // An unfinished sequence: ignored, but its ESC starts the next one,
        // so the data that one announces is still skipped.
        reader.push_back = true;
        return sequence;
    }

    const int key = upper(terminator);
    if (group == '%' && (key == 'A' || key == 'B'))
        sequence.code = mode_switch_code(key, sequence.integer);
    else
        sequence.code = lookup_sequence(group, parameter, key);

    if (terminator >= 'a' && terminator <= 'z') {
        pcl.pending_group = group;
        pcl.pending_parameter = parameter;
    }
    return sequence;
}

}  // namespace penloom
