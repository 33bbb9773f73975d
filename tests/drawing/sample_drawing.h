// A drawing with every entity kind the database stores, for the writer tests
// and for read-back checks: LWPOLYLINE with bulges and one with constant width,
// a POLYLINE/VERTEX/SEQEND on a dashed linetype, ARC, CIRCLE, TEXT with style,
// rotation, width factor and justification, a solid HATCH, a pattern HATCH
// with a polyline path and a hole, and a HATCH with a circular edge path, on
// three layers with colours and lineweights, with two linetypes, a text style
// and a registered application.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "drawing/drawing.h"

namespace penloom::testing {

struct SampleDrawing {
    std::unique_ptr<Drawing> drawing;
    EntityList* model_space = nullptr;
    // What the drawing holds, by entity type name, as written from R13 on.
    std::map<std::string, int> entity_counts;
    int lwpolyline_vertices = 0;   // over all LWPOLYLINEs
};

// Builds the sample in a drawing of the given version (6 or 7). Every
// database call is checked with gtest assertions.
SampleDrawing build_sample_drawing(DrawingLibrary& lib, int version);

// Entity type counts of the sample as a version's file shows them (R12: no
// HATCH, LWPOLYLINE as POLYLINE with its VERTEX and SEQEND entities counted
// as ezdxf counts them: only the POLYLINE is in model space).
std::map<std::string, int> expected_model_space_counts(const SampleDrawing& sample, int version);

// Blob helpers for tests.
BlobId write_blob(Drawing& drawing, const std::vector<double>& values);

}  // namespace penloom::testing
