// `BatchState`: the run record of the command line and the batch loop.
#pragma once

namespace penloom {

struct BatchState {
};

}  // namespace penloom
