// A stand-in converter plug-in for the tests of the loading interface. It
// writes every call it gets, one line each, to the file named by the
// environment variable PENLOOM_RELAY_LOG:
//   "vers zeroed" or "vers dirty"     whether the 100-byte buffer was all zero
//   "init <argument>"
//   "exec [<command text>] <flags>"
// exec returns the number in PENLOOM_RELAY_STATUS (0 when unset). Built in
// variants: RELAY_INIT_STATUS makes init return that status; RELAY_NO_VERS
// leaves vers_cadrelay out.
#include <cstdio>
#include <cstdlib>

#define PENLOOM_CADRELAY_PLUGIN
#include "../crdll/cadrelay.h"

namespace {

void record(const char* line) {
    const char* path = std::getenv("PENLOOM_RELAY_LOG");
    if (path == nullptr) return;
    std::FILE* log = std::fopen(path, "a");
    if (log == nullptr) return;
    std::fputs(line, log);
    std::fclose(log);
}

}  // namespace

extern "C" {

#ifndef RELAY_NO_VERS
void vers_cadrelay(char* text) {
    bool zeroed = true;
    for (int i = 0; i < CADRELAY_VERSION_SIZE; ++i) zeroed = zeroed && text[i] == '\0';
    record(zeroed ? "vers zeroed\n" : "vers dirty\n");
    std::snprintf(text, CADRELAY_VERSION_SIZE, "recorder");
}
#endif

int init_cadrelay(int interface_version) {
    char line[32];
    std::snprintf(line, sizeof line, "init %d\n", interface_version);
    record(line);
#ifdef RELAY_INIT_STATUS
    return RELAY_INIT_STATUS;
#else
    return 0;
#endif
}

int exec_cadrelay(const char* command, int flags) {
    char line[4096];
    std::snprintf(line, sizeof line, "exec [%s] %d\n", command, flags);
    record(line);
    const char* status = std::getenv("PENLOOM_RELAY_STATUS");
    return status != nullptr ? std::atoi(status) : 0;
}

}  // extern "C"
