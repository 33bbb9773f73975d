// The byte reader's slow path: attaching input, refilling the read block,
// positions and seeks. The per-byte readers are inline in reader.h.
#include "input/reader.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

namespace penloom {

namespace {

void reset_source(ReaderState& reader) {
    reader.file = nullptr;
    reader.from_memory = false;
    reader.file_length = 0;
    reader.buffer_offset = 0;
    reader.buffer_fill = 0;
    reader.buffer_index = 0;
    if (reader.head.size() != kHeadSample + kHeadSlack)
        reader.head.assign(kHeadSample + kHeadSlack, 0);
    else
        std::fill(reader.head.begin(), reader.head.end(), 0);
    reader.head_length = 0;
    reader.in_head = false;
    reader.cursor = nullptr;
    reader.limit = nullptr;
    reader.current = kEndOfInput;
    reader.previous = kEndOfInput;
    reader.push_back = false;
    reader.end_of_input = false;
}

void point_at_buffer(ReaderState& reader) {
    reader.in_head = false;
    reader.cursor = reader.buffer.data() + reader.buffer_index;
    reader.limit = reader.buffer.data() + reader.buffer_fill;
}

std::size_t file_index(const ReaderState& reader) {
    if (reader.in_head || reader.cursor == nullptr) return reader.buffer_index;
    return static_cast<std::size_t>(reader.cursor - reader.buffer.data());
}

// Puts the file side of the reader at `offset`: inside the block when it is
// there, otherwise by a seek that empties the block.
void seek_file(ReaderState& reader, std::int64_t offset) {
    if (offset >= reader.buffer_offset &&
        offset <= reader.buffer_offset + static_cast<std::int64_t>(reader.buffer_fill)) {
        reader.buffer_index = static_cast<std::size_t>(offset - reader.buffer_offset);
        return;
    }
    if (reader.from_memory || reader.file == nullptr) {
        reader.buffer_index = offset < reader.buffer_offset ? 0 : reader.buffer_fill;
        return;
    }
    if (fseeko(reader.file, static_cast<off_t>(offset), SEEK_SET) != 0) return;
    reader.buffer_offset = offset;
    reader.buffer_fill = 0;
    reader.buffer_index = 0;
}

}  // namespace

void attach_plot_file(ReaderState& reader, std::FILE* file, std::int64_t file_length,
                      bool replay_trace) {
    reset_source(reader);
    reader.file = file;
    reader.file_length = file_length;
    reader.replay_trace = replay_trace;
    if (reader.buffer.size() != kReadBlock) reader.buffer.assign(kReadBlock, 0);
    off_t start = file != nullptr ? ftello(file) : 0;
    reader.buffer_offset = start > 0 ? start : 0;
    point_at_buffer(reader);
}

void attach_plot_bytes(ReaderState& reader, std::string_view bytes, bool replay_trace) {
    reset_source(reader);
    reader.from_memory = true;
    reader.file_length = static_cast<std::int64_t>(bytes.size());
    reader.replay_trace = replay_trace;
    reader.buffer.assign(bytes.begin(), bytes.end());
    reader.buffer_fill = bytes.size();
    point_at_buffer(reader);
}

void detach_plot_input(ReaderState& reader) {
    reset_source(reader);
    reader.buffer.clear();
    reader.buffer.shrink_to_fit();
}

int refill_and_take(ReaderState& reader) {
    if (reader.in_head) {
        // The head is used up: go on with the file where classification left it.
        point_at_buffer(reader);
        if (reader.cursor < reader.limit) return *reader.cursor++;
    }
    if (reader.cursor == nullptr || reader.from_memory || reader.file == nullptr)
        return kEndOfInput;
    reader.buffer_offset += static_cast<std::int64_t>(reader.buffer_fill);
    reader.buffer_index = 0;
    reader.buffer_fill = std::fread(reader.buffer.data(), 1, reader.buffer.size(), reader.file);
    point_at_buffer(reader);
    if (reader.cursor < reader.limit) return *reader.cursor++;
    return kEndOfInput;
}

int read_file_byte(ReaderState& reader) {
    if (reader.in_head) {
        reader.buffer_index = file_index(reader);
        point_at_buffer(reader);
    }
    return take_byte(reader);
}

void install_head(ReaderState& reader, const unsigned char* bytes, std::size_t length) {
    length = std::min(length, kHeadSample);
    if (reader.head.size() != kHeadSample + kHeadSlack)
        reader.head.assign(kHeadSample + kHeadSlack, 0);
    std::fill(reader.head.begin(), reader.head.end(), 0);
    if (length > 0) std::memmove(reader.head.data(), bytes, length);
    reader.head_length = length;
    reader.buffer_index = file_index(reader);
    if (length == 0) {
        point_at_buffer(reader);
        return;
    }
    reader.in_head = true;
    reader.cursor = reader.head.data();
    reader.limit = reader.head.data() + length;
}

std::int64_t file_position(const ReaderState& reader) {
    return reader.buffer_offset + static_cast<std::int64_t>(file_index(reader));
}

std::int64_t input_position(const ReaderState& reader) {
    std::int64_t position = file_position(reader);
    if (reader.in_head) position -= static_cast<std::int64_t>(reader.limit - reader.cursor);
    return position;
}

std::int64_t bytes_remaining(const ReaderState& reader) {
    return reader.file_length - input_position(reader);
}

ReadPosition save_position(const ReaderState& reader) {
    ReadPosition position;
    position.head_index = reader.in_head
                              ? static_cast<std::size_t>(reader.cursor - reader.head.data())
                              : reader.head_length;
    position.file_position = file_position(reader);
    return position;
}

void restore_position(ReaderState& reader, const ReadPosition& position) {
    seek_file(reader, position.file_position);
    if (position.head_index < reader.head_length) {
        reader.in_head = true;
        reader.cursor = reader.head.data() + position.head_index;
        reader.limit = reader.head.data() + reader.head_length;
    } else if (reader.cursor != nullptr || reader.from_memory || reader.file != nullptr) {
        point_at_buffer(reader);
    }
}

}  // namespace penloom
