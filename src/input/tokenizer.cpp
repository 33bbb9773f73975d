// The mnemonic search and the parameter readers.
#include "input/tokenizer.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "input/escape.h"
#include "input/mnemonics.h"

namespace penloom {

namespace {

// After classification cuts a PCL job at its HP-GL/2 entry sequence, the
// plot data begins with what followed the ESC ("%1B", "%0B", "%-1B"). The
// remnant is skipped whole, so its `B` does not start a mnemonic. Returns
// the character to look at next.
int skip_entry_remnant(ReaderState& reader) {
    int c = next_char(reader);
    if (c == '-') c = next_char(reader);
    if (!is_digit(c)) return c;
    while (is_digit(c)) c = next_char(reader);
    if (c == 'B') return next_char(reader);
    return c;
}

// Converts a collected number token as the "%lf" scan does: a leading `+`
// is allowed, the longest decimal prefix is taken, and a token without
// digits ("-", "+", ".") leaves the value 0.
double convert_number(const char* text, int length) {
    const char* begin = text;
    const char* end = text + length;
    bool negative = false;
    if (*begin == '+' || *begin == '-') {
        negative = *begin == '-';
        ++begin;
    }
    // Whole numbers of up to 15 digits are exact as doubles: no parsing needed.
    if (end - begin <= 15 && begin < end) {
        std::int64_t whole = 0;
        const char* p = begin;
        while (p < end && is_digit(*p)) whole = whole * 10 + (*p++ - '0');
        if (p == end) {
            double value = static_cast<double>(whole);
            return negative ? -value : value;
        }
    }
    double value = 0.0;
    auto result = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (result.ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

}  // namespace

std::int32_t truncate_to_int(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

int read_mnemonic(const MnemonicSearch& search, bool stop_at_escape) {
    ReaderState& reader = search.reader;
    TokenState& tokens = search.tokens;
    tokens.previous_mnemonic[0] = tokens.mnemonic[0];
    tokens.previous_mnemonic[1] = tokens.mnemonic[1];

    int result = 0;
    int c = next_char(reader);
    for (;;) {
        if (reader.end_of_input) break;
        if (is_letter(c)) break;
        if (tokens.repeat_pending && is_number_start(c)) {
            reader.push_back = true;
            break;
        }
        if (c == kEscape) {
            if (stop_at_escape) {
                result = escape_met;
                break;
            }
            int code = recognise_escape(search);
            if (code == kEscapeConsumed) {
                c = next_char(reader);
                continue;
            }
            if (code != 0) {
                result = code;
                break;
            }
            c = reader.current;  // the recogniser has consumed the sequence
            continue;
        }
        if (c == '%') {
            c = skip_entry_remnant(reader);
            continue;
        }
        c = next_char(reader);
    }

    if (result == 0 && !reader.end_of_input) {
        if (!is_number_start(c)) {
            tokens.mnemonic[0] = static_cast<char>(c);
            tokens.mnemonic[1] = static_cast<char>(next_char(reader));
        } else {
            // Implicit repetition: the same instruction runs on the next numbers.
            if (tokens.previous_mnemonic[0] == 0 && tokens.previous_mnemonic[1] == 0)
                tokens.repeated_before_first = true;
            tokens.mnemonic[0] = tokens.previous_mnemonic[0];
            tokens.mnemonic[1] = tokens.previous_mnemonic[1];
        }
    }
    if (result == command_pg) {
        tokens.mnemonic[0] = 'P';
        tokens.mnemonic[1] = 'G';
    }
    if (result == escape_met || result == escape_enter_pcl || result == escape_enter_pcl_at_pen ||
        result == escape_skip_to_entry_7 || result == escape_skip_to_entry_8 ||
        result == command_pg || reader.end_of_input)
        search.finish_pending_fill(search.owner);
    return result;
}

bool read_repetition(TokenState& tokens, ReaderState& reader) {
    if (!tokens.repeat_pending || !reader.push_back || reader.end_of_input) return false;
    if (!is_number_start(reader.current)) {
        if (reader.current != ',' || reader.trace_on || reader.cursor >= reader.limit ||
            !is_number_start(*reader.cursor))
            return false;
        // next_char would hand this byte over unchanged.
        reader.current = reader.previous = *reader.cursor++;
    }
    tokens.previous_mnemonic[0] = tokens.mnemonic[0];
    tokens.previous_mnemonic[1] = tokens.mnemonic[1];
    return true;   // push_back stays set: the number starts with the character kept
}

namespace {

// The byte layout below is that of a little-endian machine.
static_assert(std::endian::native == std::endian::little);

constexpr std::uint64_t kPowersOfTen[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// How many of the eight characters in `word` (the first in the lowest byte)
// are decimal digits before the first that is not; 8 when all are. A byte
// below '0' sets its top bit when '0' is taken away, one above '9' (bytes
// from 128 on included) when 0x46 is added or '0' taken away; the digits
// before the first other byte cause no carry or borrow.
int digit_run_length(std::uint64_t word) {
    const std::uint64_t flags =
        ((word + 0x4646464646464646ull) | (word - 0x3030303030303030ull)) & 0x8080808080808080ull;
    return flags == 0 ? 8 : std::countr_zero(flags) / 8;
}

// The value of the first `run` (1..7) digits of `word`: they are moved to
// the top bytes, behind zeros, and the eight digit values are combined in
// pairs, fours and eights by multiplication.
std::uint64_t digits_value(std::uint64_t word, int run) {
    std::uint64_t v = (word - 0x3030303030303030ull) << (8 * (8 - run));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >> 32;
    return v;
}

// The usual parameter of a coordinate list: a whole number of up to 8
// digits, optionally negative, that starts either right after a comma that
// was read and pushed back, or with a pushed-back sign or digit (the command
// loop hands over the first character of a repeated coordinate pair that
// way), and ends at a separator or terminator that next_char would hand over
// unchanged (not a space, control byte or the end of the read window). Reads
// it as the general path below would, with the same reader state afterwards;
// false, with nothing read, for anything else.
bool read_plain_whole_number(ReaderState& reader, double& value, std::int32_t& integer) {
    if (!reader.push_back || reader.trace_on) return false;
    const unsigned char* q = reader.cursor;
    const unsigned char* const limit = reader.limit;
    bool negative = false;
    std::uint64_t whole = 0;
    int digits = 0;
    if (reader.current == ',') {
        negative = q < limit && *q == '-';
        if (negative) ++q;
    } else if (reader.current == '-') {
        negative = true;
    } else if (is_digit(reader.current)) {
        whole = static_cast<std::uint64_t>(reader.current - '0');
        digits = 1;
    } else {
        return false;
    }
    // The run of up to seven digits at q, read as one word: no branch per
    // digit. Eight bytes must be there to read, and the run must end in them.
    if (limit - q < 8) return false;
    std::uint64_t word;
    std::memcpy(&word, q, 8);
    const int run = digit_run_length(word);
    if (run == 8) return false;
    if (run > 0) {
        whole = whole * kPowersOfTen[run] + digits_value(word, run);
        digits += run;
        q += run;
    }
    if (digits == 0) return false;
    int c = *q;
    if (c <= 32 || c == '.') return false;
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    const double magnitude = static_cast<double>(whole);
    value = negative ? -magnitude : magnitude;
    integer = truncate_to_int(value);
    reader.cursor = q + 1;
    reader.current = reader.previous = c;
    return true;   // push_back stays set: the terminator is handed over next
}

// Every other number, and the skipping before it: kept out of line so that
// the usual number above does not pay for this one's frame.
[[gnu::noinline]] int read_any_number(ReaderState& reader, double& value, std::int32_t& integer) {
    value = 0.0;
    integer = 0;
    int c = next_char(reader);
    if (c == ';') return 0;
    while (!is_number_start(c) && !is_letter(c) && c != kEndOfInput) c = next_char(reader);
    if (!is_number_start(c)) {
        reader.push_back = true;
        return 0;
    }
    char text[kMaxNumberLength + 1];
    int length = 0;
    text[length++] = static_cast<char>(c);
    // The digits are also summed as they pass (wrapping is harmless: the sum
    // is only used for a whole number of up to 15 digits, which is exact).
    std::uint64_t whole = is_digit(c) ? static_cast<std::uint64_t>(c - '0') : 0;
    int digits = is_digit(c) ? 1 : 0;
    bool point = c == '.';
    for (;;) {
        // Runs of digits straight from the read buffer: next_char would hand
        // each of them over unchanged. Not while tracing: every byte echoes.
        if (!reader.trace_on) {
            const unsigned char* p = reader.cursor;
            while (p < reader.limit && is_digit(*p)) {
                if (length < kMaxNumberLength) text[length++] = static_cast<char>(*p);
                whole = whole * 10 + static_cast<std::uint64_t>(*p - '0');
                ++p;
            }
            if (p != reader.cursor) {
                digits += static_cast<int>(p - reader.cursor);
                reader.current = reader.previous = p[-1];
                reader.cursor = p;
            }
        }
        c = next_char(reader);
        if (!is_number_continuation(c)) break;
        if (c == '.') {
            point = true;
        } else {
            whole = whole * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
        }
        if (length < kMaxNumberLength) text[length++] = static_cast<char>(c);
    }
    reader.push_back = true;
    if (!point && digits > 0 && digits <= 15) {
        // A whole number, signed or not: what convert_number would give.
        const double magnitude = static_cast<double>(whole);
        value = text[0] == '-' ? -magnitude : magnitude;
    } else {
        value = convert_number(text, length);
    }
    integer = truncate_to_int(value);
    return 1;
}

}  // namespace

int read_number(ReaderState& reader, double& value, std::int32_t& integer) {
    if (read_plain_whole_number(reader, value, integer)) return 1;
    return read_any_number(reader, value, integer);
}

int read_int(ReaderState& reader, std::int32_t& integer) {
    double ignored;
    return read_number(reader, ignored, integer);
}

int read_numbers(TokenState& tokens, ReaderState& reader, int n) {
    if (n > kMaxParameters) n = kMaxParameters;
    int count = 0;
    if (n > 0) {
        for (int i = 0; i < n; ++i) {
            tokens.values[i] = 0.0;
            tokens.integers[i] = 0;
        }
        while (count < n &&
               read_number(reader, tokens.values[count], tokens.integers[count]) == 1)
            ++count;
    }
    tokens.count = count;
    return count;
}

int read_pair(TokenState& tokens, ReaderState& reader) {
    tokens.values[0] = tokens.values[1] = 0.0;
    tokens.integers[0] = tokens.integers[1] = 0;
    int count = read_number(reader, tokens.values[0], tokens.integers[0]);
    if (count == 1 && !list_ended(reader))
        count += read_number(reader, tokens.values[1], tokens.integers[1]);
    if (count == 2 && !list_ended(reader)) tokens.repeat_pending = true;
    return count;
}

}  // namespace penloom
