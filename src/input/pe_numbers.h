// The encoded numbers of PE (polyline encoded): base-64 (8-bit mode) or
// base-32 (7-bit mode) digits, least significant first, the sign in the
// lowest bit, divided by the fractional divisor.
#pragma once

#include <cstdint>

#include "input/reader.h"
#include "input/tokenizer.h"

namespace penloom {

// A PE number ends after this many continuing digits as if its final digit
// had been met.
inline constexpr int kMaxPeDigits = 20;

// Decodes one PE number with next_char_keep_case; with `use_current` the
// current character is its first digit. Returns the value divided by
// tokens.pe_divisor; `integer` gets it rounded half up in magnitude, with
// the sign. A character that is no digit ends the number without its final
// digit: the result is 0 and tokens.pe_error is set. The accumulation is
// modulo 2^64 (numbers of more than ten base-64 digits wrap).
double read_pe_number(ReaderState& reader, TokenState& tokens, bool use_current,
                      std::int32_t& integer);

}  // namespace penloom
