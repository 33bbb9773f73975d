// Decoding PE numbers.
#include "input/pe_numbers.h"

namespace penloom {

double read_pe_number(ReaderState& reader, TokenState& tokens, bool use_current,
                      std::int32_t& integer) {
    const bool base32 = tokens.pe_base == 32;
    const std::uint64_t base = base32 ? 32 : 64;
    std::uint64_t value = 0;
    std::uint64_t multiplier = 1;
    int continuing = 0;
    int c = use_current ? reader.current : next_char_keep_case(reader);
    for (;;) {
        if (c >= 63 && c <= (base32 ? 94 : 126)) {
            value += static_cast<std::uint64_t>(c - 63) * multiplier;
            multiplier *= base;
            if (++continuing == kMaxPeDigits) break;
            c = next_char_keep_case(reader);
            continue;
        }
        if (base32 ? (c >= 95 && c <= 126) : (c >= 191 && c <= 254)) {
            value += static_cast<std::uint64_t>(c - (base32 ? 95 : 191)) * multiplier;
            break;
        }
        tokens.pe_error = true;
        integer = 0;
        return 0.0;
    }
    const bool negative = (value & 1) != 0;
    double result = static_cast<double>(value / 2) / tokens.pe_divisor;
    integer = truncate_to_int(result + 0.5);
    if (negative) {
        if (integer != INT32_MIN) integer = -integer;
        result = -result;
    }
    return result;
}

}  // namespace penloom
