// The plug-in's file handling: the input DXF mapped read-only, and the output
// written to a temporary file beside it that replaces the output name only
// once it is complete. A failed or abandoned write leaves neither a partial
// output nor the temporary file, and an older output stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace penloom::relay {

// A whole file, read-only, for as long as the record lives.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False when the path cannot be opened or is no regular file. An empty
    // file maps to empty text.
    [[nodiscard]] bool open(const std::string& path);
    std::string_view text() const { return {static_cast<const char*>(data_), size_}; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
};

class ReplacingWriter {
public:
    ReplacingWriter() = default;
    ~ReplacingWriter();   // abandons an uncommitted write
    ReplacingWriter(const ReplacingWriter&) = delete;
    ReplacingWriter& operator=(const ReplacingWriter&) = delete;

    // Creates the temporary file "<path>.crdll-XXXXXX". False when it cannot.
    // limit: for tests, writing fails once this many bytes have gone out.
    [[nodiscard]] bool open(const std::string& path, std::uint64_t limit = UINT64_MAX);
    // Buffers bytes; a failed write makes the writer failed and later writes
    // do nothing.
    void write(std::string_view bytes);
    // Writes what is buffered, gives the file the usual permissions and
    // renames it over the output. False (nothing renamed, temporary file
    // removed) when any write failed.
    [[nodiscard]] bool commit();

    const std::string& temporary_path() const { return temporary_; }

private:
    bool flush();
    void abandon();

    int fd_ = -1;
    std::string target_;
    std::string temporary_;
    std::string buffer_;
    std::uint64_t written_ = 0;
    std::uint64_t limit_ = UINT64_MAX;
    bool failed_ = false;
};

}  // namespace penloom::relay
