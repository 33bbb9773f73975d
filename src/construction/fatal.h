// The one exception type of the program. A fatal condition deep inside a
// translation (unreadable input, identical names, a refused file, a critical
// database error) prints its message and throws FatalExit with the process
// exit status; only the program's entry point and the test harness catch it.
#pragma once

namespace penloom {

struct FatalExit {
    int status;
};

}  // namespace penloom
