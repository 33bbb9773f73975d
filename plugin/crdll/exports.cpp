// The plug-in's three C exports (cadrelay.h); everything else in the library
// is hidden.
#include <cstdio>
#include <cstring>

#include "cadrelay.h"
#include "relay.h"

extern "C" {

void vers_cadrelay(char* text) {
    if (text == nullptr) return;
    std::strncpy(text, penloom::relay::relay_version, CADRELAY_VERSION_SIZE - 1);
    text[CADRELAY_VERSION_SIZE - 1] = '\0';
}

int init_cadrelay(int interface_version) {
    return interface_version == CADRELAY_INTERFACE ? CADRELAY_OK : CADRELAY_BAD_INTERFACE;
}

int exec_cadrelay(const char* command, int flags) {
    if (command == nullptr || flags != 0) return CADRELAY_BAD_COMMAND;
    return penloom::relay::run_command(command, stdout);
}

}  // extern "C"
