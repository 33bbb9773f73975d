// Number texts of the DXF writer: reals under a decimal-places setting, full-
// precision reals, 16- and 32-bit integers, group codes, handles and dates.
//
// In: a value and the save's NumberFormat. Out: the characters of the value
// line, without its line end, in the caller's buffer (at least
// number_buffer_size bytes); the return value is their count. The texts are
// those of the printf formats "%.Pf", "%.PE", "%Pd", "%9ld", "%3d" and "%X",
// followed by the trimming rules in format_real; std::to_chars does the work.
#pragma once

#include <cstddef>
#include <cstdint>

#include "drawing/drawing.h"

namespace penloom {

constexpr std::size_t number_buffer_size = 64;

// Decimal places are taken into 0..16.
NumberFormat make_number_format(int decimal_places, bool negative_zero);

// A real: zero and subnormals are 0; below the zero threshold "0.0" (or "-0.0"
// for a negative value under the negative-zero flag); from 1e16 on "%.PE";
// otherwise "%.Pf" with up to P - 1 trailing zeros removed.
std::size_t format_real(char* buf, double value, const NumberFormat& format);

// The same rules at 16 places, whatever the save's setting.
std::size_t format_full_real(char* buf, double value, bool negative_zero);

// "%Pd": right-aligned in a field of width P (no padding at P = 0).
std::size_t format_int16(char* buf, long value, int width);

// "%9ld".
std::size_t format_int32(char* buf, long value);

// "%3d".
std::size_t format_group_code(char* buf, int code);

// Upper-case hexadecimal without leading zeros ("0" for zero).
std::size_t format_handle(char* buf, std::uint64_t value);

// Julian day plus the fraction of the day, "%.<places>f".
std::size_t format_date(char* buf, std::int32_t day, std::int32_t milliseconds, int places);

}  // namespace penloom
