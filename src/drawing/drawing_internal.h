// Helpers shared by the database's own source files; not for callers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "drawing/drawing.h"

namespace penloom {

// Sets the library's last error and returns false, for `return fail(...)`.
bool fail(DrawingLibrary& lib, std::int16_t error);
inline bool fail(Drawing& drawing, std::int16_t error) { return fail(*drawing.library, error); }

// Takes handle h for a new record or entity: a zero handle is replaced by a
// fresh one; a handle at or above the seed moves the seed past it. Fails with
// 172 when the handle is already taken, 290 when it lies absurdly far above
// the seed.
bool claim_handle(Drawing& drawing, Handle& h);

// Tells a running DXF body formatter the name a layer (0), linetype (1) or
// text style (2) record now has (added or updated).
void note_record_name(Drawing& drawing, int table, const Handle& handle, const std::string& name);

// Names compared without regard to ASCII case.
bool names_equal(std::string_view a, std::string_view b);

}  // namespace penloom
