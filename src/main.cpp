// Entry point: everything happens in run_program, which returns the exit
// status; a negative status reaches the shell as status & 255.
#include <clocale>
#include <cstdio>

#include "driver/program.h"

int main(int argc, char** argv) {
    return penloom::program_main(argc, argv);
}
