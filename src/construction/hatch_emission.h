// Fills as entities: a range of polygons of the polygon buffer becomes
// HATCH entities (solid or patterned, polyline and circle boundary paths),
// or closed polylines where a HATCH cannot be used (R13 and earlier,
// `FillOutlinesOnly`, the non-zero winding rule). Fills asked to combine
// go through the polygon union first.
#pragma once

#include <cstdint>

#include "construction/drawing_state.h"
#include "construction/polygon_union.h"

namespace penloom {

struct ConstructionContext;

// Writes polygons first..first+count-1 of the fill list as one fill.
void fill_polygons(ConstructionContext& ctx, int first, int count, int fill_rule, bool combine);

// True when a fill under `fill_rule` may be a HATCH: R14 or later,
// `FillOutlinesOnly` off and the even-odd rule.
bool hatch_allowed(const ConstructionContext& ctx, int fill_rule);

// One polygon as a closed polyline (a circle polygon as a circle).
void emit_polygon_polyline(ConstructionContext& ctx, const PolygonList& list, int index);

// The HATCH writer: begin_hatch, paths, end_hatch; nothing else in between.
struct HatchBuild {
    bool active = false;
    bool drawable = true;  // every boundary number passed drawable_value
    BlobWriter paths;
    BlobWriter sources;
};

HatchBuild begin_hatch(ConstructionContext& ctx);
void add_polygon_path(HatchBuild& build, const PolygonList& list, int index);
void add_circle_path(HatchBuild& build, const PolygonList& list, int index);
// A polyline path of a contour, without bulges.
void add_contour_path(HatchBuild& build, const Contour& contour, std::int32_t flags);
void end_hatch(ConstructionContext& ctx, HatchBuild& build, std::int32_t path_count);

// One HATCH with a path per polygon of the range.
void emit_polygon_hatch(ConstructionContext& ctx, const PolygonList& list, int first, int count);

// One HATCH per outer boundary of a combined region, with its holes.
void emit_region_hatch(ConstructionContext& ctx, ContourSet& region);

}  // namespace penloom
