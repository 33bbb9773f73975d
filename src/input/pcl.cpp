// PCL and HP-RTL mode: the action of each scanned sequence. The cursor is
// kept in PCL dots with PCL's page origin, the top-left corner, and y
// growing downward.
#include "input/pcl.h"

#include <algorithm>

#include "input/mnemonics.h"
#include "input/pcl_scanner.h"

namespace penloom {

namespace {

// A raster plane (ESC*b#V) holds at most this many bytes.
constexpr std::int64_t kMaxRasterPlane = 32767;

void move_cursor(double& coordinate, const PclSequence& sequence) {
    coordinate = sequence.sign != 0 ? coordinate + sequence.value : sequence.value;
}

}  // namespace

void skip_pcl_data(ReaderState& reader, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        if (next_byte(reader) == kEndOfInput) {
            reader.end_of_input = true;
            return;
        }
    }
}

void run_pcl_sequence(ReaderState& reader, PclState& pcl, const LanguageState& language,
                      PclActions& actions) {
    const PclSequence sequence = scan_pcl_sequence(reader, pcl, language.pcl_context);
    switch (sequence.code) {
        case pcl_form_feed:
            actions.advance_page();
            break;
        case escape_enter_hpgl_at_cursor:
        case escape_enter_hpgl_even:
        case escape_enter_hpgl_negative:
            actions.enter_hpgl(sequence.code);
            break;
        case escape_enter_pcl_at_pen:
        case escape_enter_pcl:
            actions.enter_pcl(sequence.code);
            break;
        case pcl_skip_raster_plane:
            skip_pcl_data(reader, std::clamp<std::int64_t>(sequence.integer, 0, kMaxRasterPlane));
            break;
        case pcl_skip_config_data:
        case pcl_skip_raster_row:
        case pcl_skip_pattern:
        case pcl_skip_raster_config:
        case pcl_skip_palette:
        case pcl_skip_transparent:
        case pcl_skip_symbol_set:
        case pcl_skip_font_secondary:
        case pcl_skip_font_primary:
            skip_pcl_data(reader, sequence.integer);
            break;
        case pcl_cursor_x:
            move_cursor(pcl.cursor_x, sequence);
            break;
        case pcl_cursor_y:
            move_cursor(pcl.cursor_y, sequence);
            break;
        case pcl_stop_character:
            if (sequence.integer >= 0 && sequence.integer < kPclStopCharacters)
                pcl.stop_characters.set(static_cast<std::size_t>(sequence.integer));
            break;
        default:
            break;
    }
}

}  // namespace penloom
