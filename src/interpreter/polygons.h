// Polygon mode and filled shapes.
#pragma once

namespace penloom {

struct Context;

// Writes the fill that waits for the next drawing command, if there is one,
// and clears the fill-pending flag.
void finish_pending_fill(Context& ctx);

}  // namespace penloom
