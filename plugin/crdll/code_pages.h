// Single-byte drawing code pages and their conversion to UTF-8, for
// release 2007 output, whose text is UTF-8 whatever $DWGCODEPAGE says.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace penloom::relay {

// What bytes 0x80..0xFF of a code page stand for; bytes below 0x80 are
// ASCII in every supported page. A byte the page leaves undefined maps to
// U+FFFD.
struct CodePageTable {
    const char* name;              // as $DWGCODEPAGE spells it: "ANSI_1252"
    const std::uint16_t* upper;    // 128 code points
};

// The table of a $DWGCODEPAGE value (compared without case); null for a code
// page without one (multi-byte pages, "ASCII", unknown names).
const CodePageTable* find_code_page(std::string_view name);

// True when the text has no byte of 0x80 or above.
bool is_ascii(std::string_view text);

// Appends the text, converted from the code page to UTF-8, to out.
void append_utf8(std::string& out, std::string_view text, const CodePageTable& page);

}  // namespace penloom::relay
