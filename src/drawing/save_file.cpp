// The temporary file of a save and its rename (see save_file.h).
#include "drawing/save_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace penloom {

int open_temporary(const std::string& path, std::string& temp) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool finish_save(DrawingLibrary& lib, int fd, const std::string& temp, const std::string& path, bool ok,
                 std::int16_t error) {
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = 150;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (error == 27 && lib.error_callback)
            lib.error_callback(severity_disk_full);
        return fail(lib, error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return fail(lib, 3);
    }
    lib.last_error = 0;
    return true;
}

}  // namespace penloom
