// No-op stand-ins for reset steps of parts not written yet; see
// reset_hooks.h.
#include "interpreter/reset_hooks.h"

namespace penloom {


}  // namespace penloom
