// A drawing with every entity kind the database stores, for the writer, read-back
// and converter tests: LWPOLYLINEs with bulges and with constant width, POLYLINE/VERTEX/
// SEQEND on a dashed linetype, ARC, CIRCLE, two TEXTs (styled, rotated, justified; one
// needing escapes), a solid HATCH, a pattern HATCH with a hole and a HATCH with a circular
// edge path, on three layers, two linetypes, a text style and a registered application.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <variant>

#include "drawing/drawing.h"

namespace penloom::testing {

struct SampleDrawing {
    std::unique_ptr<Drawing> drawing;
    EntityList* model_space = nullptr;
    std::map<std::string, int> entity_counts;  // by type name, as written from R13 on
};

// Builds the sample in a drawing of the given version (6 or 7); every
// database call is checked with gtest assertions.
SampleDrawing build_sample_drawing(DrawingLibrary& lib, int version);

// Model-space entity counts as a version's file shows them to ezdxf: VERTEX
// and SEQEND belong to their POLYLINE; R12 has no HATCH and writes each
// LWPOLYLINE as a POLYLINE.
std::map<std::string, int> expected_model_space_counts(const SampleDrawing& sample, int version);

// Typed blob values: doubles are written as 8 bytes, the others at their width.
struct I16 { std::int16_t v; };
struct I32 { std::int32_t v; };
struct U8 { std::uint8_t v; };
using BlobValue = std::variant<I16, I32, U8, double>;
BlobId write_blob(Drawing& drawing, std::initializer_list<BlobValue> values);

}  // namespace penloom::testing
