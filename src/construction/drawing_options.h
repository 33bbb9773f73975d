// `DrawingOptions`: what the command line asks of every drawing of the run
// (release, DWG or DXF, monochrome, the run's rotation) and the name of the
// input being translated, for messages. The driver sets them as part of its
// batch record; construction and the interpreter only read them.
#pragma once

#include <string>

namespace penloom {

struct DrawingOptions {
    int OutputRelease = 4;        // version code 2..9 of the drawing to write
    bool output_is_dwg = false;   // from the output name's extension
    bool mono = false;
    int rotation = 0;             // degrees: 0, 90, 180, 270 (RotateC is not checked)
    std::string input_name;       // first argument (+ ".PLT"), or the file found
};

}  // namespace penloom
