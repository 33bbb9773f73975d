// The escape recogniser of the mnemonic search.
#include "input/escape.h"

#include "input/mnemonics.h"

namespace penloom {

namespace {

// Reads up to the next ESC (or the end). True when an ESC is current.
bool skip_to_escape(ReaderState& reader) {
    int c = reader.current;
    while (c != kEscape && c != kEndOfInput) c = next_char(reader);
    return c == kEscape;
}

// Device control `ESC.)` after something was drawn: the plotter's page
// advance is the next "PG". Returns 75 for it, 0 at the end of the input,
// or -1 when an ESC came first (the caller restarts on it).
int skip_device_control(ReaderState& reader) {
    int c = next_char(reader);
    for (;;) {
        if (c == kEndOfInput) return 0;
        if (c == kEscape) return -1;
        if (c == 'P') {
            c = next_char(reader);
            if (c != 'G') continue;  // look at it again: it may be ESC or P
            skip_to_escape(reader);
            next_char(reader);
            next_char(reader);
            return command_pg;
        }
        c = next_char(reader);
    }
}

}  // namespace

int recognise_escape(const MnemonicSearch& search) {
    ReaderState& reader = search.reader;
    for (;;) {
        int c1 = next_char(reader);
        if (c1 == kEscape) continue;
        if (c1 == kEndOfInput) return 0;
        int c2 = next_char(reader);
        if (c2 == kEscape) continue;
        if (c2 == kEndOfInput) return 0;

        if (c1 == '.' && c2 == ')' && search.path_counter > 0 && bytes_remaining(reader) > 200) {
            int result = skip_device_control(reader);
            if (result < 0) continue;
            return result;
        }

        int c3 = next_char(reader);
        if (c3 == kEndOfInput) return 0;
        if (c1 != '.') {
            if (c1 == '%') {
                if (c2 == '-' && c3 == '1') {
                    int c4 = next_char(reader);
                    if (c4 == 'B') return kEscapeConsumed;
                } else if ((c2 == '1' || c2 == '0') && c3 == 'B') {
                    return kEscapeConsumed;
                } else if (c2 == '0' && c3 == 'A' && !search.pcl_context) {
                    return escape_enter_pcl;
                } else if (c2 == '1' && c3 == 'A' && !search.pcl_context) {
                    return escape_enter_pcl_at_pen;
                }
            }
            // Any other sequence: its data runs to the next ESC.
            if (!skip_to_escape(reader)) return 0;
            continue;
        }

        // Device control `ESC.x`: the two characters after it may be a
        // mnemonic (`ESC.(IN;` starts with IN); otherwise skip its
        // parameters up to the `:` that ends them.
        int c4 = next_char(reader);
        int code = lookup_command(c3, c4);
        if (code != command_unknown) {
            search.tokens.mnemonic[0] = static_cast<char>(c3);
            search.tokens.mnemonic[1] = static_cast<char>(c4);
            search.command = code;
            return code;
        }
        // A sequence without parameters (`ESC.K:`) has already met its
        // terminator: the fourth character is looked at again.
        if (c3 == ':') return 0;
        int c = c4;
        while (c != ':' && c != kEscape && c != kEndOfInput) c = next_char(reader);
        return 0;
    }
}

}  // namespace penloom
