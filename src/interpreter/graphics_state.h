// `GraphicsState`: the interpreter's single state record, its fields grouped
// by the part of the interpreter that owns them.
#pragma once

namespace penloom {

struct GraphicsState {
};

}  // namespace penloom
