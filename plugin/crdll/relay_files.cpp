// Input mapping and replacing output (see relay_files.h).
#include "relay_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace penloom::relay {

namespace {

constexpr std::size_t buffer_size = 1 << 20;

}  // namespace

MappedFile::~MappedFile() {
    if (data_ != nullptr) munmap(data_, size_);
}

bool MappedFile::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && info.st_size > 0) {
        size_ = static_cast<std::size_t>(info.st_size);
        data_ = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data_ == MAP_FAILED) {
            data_ = nullptr;
            size_ = 0;
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

ReplacingWriter::~ReplacingWriter() { abandon(); }

bool ReplacingWriter::open(const std::string& path, std::uint64_t limit) {
    abandon();
    target_ = path;
    temporary_ = path + ".crdll-XXXXXX";
    fd_ = mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    buffer_.clear();
    buffer_.reserve(buffer_size);
    written_ = 0;
    limit_ = limit;
    failed_ = false;
    return true;
}

void ReplacingWriter::write(std::string_view bytes) {
    if (failed_ || fd_ < 0) return;
    buffer_.append(bytes);
    if (buffer_.size() >= buffer_size) flush();
}

bool ReplacingWriter::flush() {
    std::size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        std::size_t chunk = buffer_.size() - done;
        if (written_ + chunk > limit_) chunk = static_cast<std::size_t>(limit_ - written_);
        const ssize_t n = chunk == 0 ? -1 : ::write(fd_, buffer_.data() + done, chunk);
        if (n < 0 && errno == EINTR && chunk != 0) continue;
        if (n <= 0) {
            failed_ = true;
            break;
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::uint64_t>(n);
    }
    buffer_.clear();
    return !failed_;
}

bool ReplacingWriter::commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && flush();
    // mkstemp made the file private; an output gets what any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    ok = ok && fchmod(fd_, 0666 & ~mask) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) std::remove(temporary_.c_str());
    temporary_.clear();
    return ok;
}

void ReplacingWriter::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace penloom::relay
