// The one way a drawing file is saved, whatever its format: written to a
// new temporary file beside the target and renamed over it only when all of
// it was written, so that a failed save leaves no partial drawing and an
// older file of that name as it was.
#pragma once

#include <cstdint>
#include <new>
#include <string>

#include "drawing/drawing.h"
#include "drawing/drawing_internal.h"

namespace penloom {

// A new temporary file in the folder of path: its descriptor (-1 when the
// folder cannot take it) and its name in temp.
int open_temporary(const std::string& path, std::string& temp);

// Closes the temporary file and renames it over path when ok; otherwise
// removes it and fails with `error` (27, a write that failed, also tells
// the library's error callback of a full disk). A failed close fails with
// 150, a failed rename with 3.
bool finish_save(DrawingLibrary& lib, int fd, const std::string& temp, const std::string& path, bool ok,
                 std::int16_t error);

// Saves through a temporary file: write(fd, write_failed) writes the whole
// file to fd and returns true when all went well; on false, write_failed
// says whether a write to the file failed (error 27) or the drawing could
// not be written (32). Running out of memory fails with 2.
template <class Write>
bool save_through_temporary(DrawingLibrary& lib, const std::string& path, Write write) {
    std::string temp;
    const int fd = open_temporary(path, temp);
    if (fd < 0)
        return fail(lib, 3);
    bool ok = false;
    std::int16_t error = 27;
    try {
        bool write_failed = false;
        ok = write(fd, write_failed);
        if (!ok && !write_failed)
            error = 32;
    } catch (const std::bad_alloc&) {
        error = 2;
        if (lib.error_callback)
            lib.error_callback(severity_allocation);
    }
    return finish_save(lib, fd, temp, path, ok, error);
}

}  // namespace penloom
