// Polygon mode and filled shapes. Until polygon mode exists no fill can be
// pending, so finishing one only clears the flag.
#include "interpreter/polygons.h"

#include "driver/context.h"

namespace penloom {

void finish_pending_fill(Context& ctx) {
    ctx.gs.fill_pending = false;
}

void polygon_add_vertex(Context&, double, double, double, bool) {}

void polygon_add_circle(Context&, double, double, double) {}

}  // namespace penloom
