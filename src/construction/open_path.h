// The open polyline: the vertices drawn with the pen down since the path
// began, in drawing units. The interpreter keeps one in its graphics state
// until end_path hands it to entity emission, which writes it; both see the
// type, so it lives here. Plain data; the operations are in
// interpreter/vectors.h.
#pragma once

#include <vector>

namespace penloom {

// One vertex of a path: the bulge belongs to the segment that leaves it
// (0 straight; else tan of a quarter of the included angle, positive
// counter-clockwise).
struct PathVertex {
    double x = 0.0;  // drawing units
    double y = 0.0;  // drawing units
    double bulge = 0.0;
};

inline constexpr std::size_t kPathFirstRoom = 32;
inline constexpr std::size_t kPathFirstStep = 32;  // doubled before each growth...
inline constexpr std::size_t kPathLargestStep = 1024;  // ...while below this

struct OpenPath {
    // 0 no polyline, 1 only the start point (GraphicsState::path_start_x/y)
    // is known, n >= 2 the first n entries of `vertices`.
    int count = 0;
    std::vector<PathVertex> vertices;  // capacity grows in steps, never per vertex
    std::size_t growth_step = kPathFirstStep;  // carries over for the whole run
    std::vector<PathVertex> piece;             // scratch for the pieces clipping cuts out
};

}  // namespace penloom
