// An owned C stream: closed when the handle is reset or goes out of scope.
#pragma once

#include <cstdio>
#include <memory>

namespace penloom {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace penloom
