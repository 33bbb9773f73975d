// The plot-stream byte reader: every byte of a plot file passes through here.
// In: an attached plot file (a C stream owned by the pipeline) or bytes held
// in memory, and the head buffer that classification fills. Out: characters,
// through three readers with their own filtering (next_char for HP-GL,
// next_char_keep_case for escape and PE data, next_byte for raw text), and
// the echo of every byte read into the parse trace (parse_trace.h).
//
// The per-byte path is a pointer compare and a load; refills, the trace and
// seeks are out of line. Bytes come in large blocks through fread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace penloom {

inline constexpr int kEscape = 27;
inline constexpr int kFormFeed = 12;
inline constexpr int kEndOfInput = -1;

// Classification samples at most 2048 bytes, one more when the sample ends
// in `L`; the buffer keeps zeroed room beyond it for the text searches.
inline constexpr std::size_t kHeadSample = 2049;
inline constexpr std::size_t kHeadSlack = 264;
inline constexpr std::size_t kReadBlock = 256 * 1024;

struct TraceCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct ReaderState {
    // Source: a stream we do not own, or the whole input held in `buffer`.
    std::FILE* file = nullptr;
    bool from_memory = false;
    std::int64_t file_length = 0;       // bytes, as the pipeline measured it
    std::vector<unsigned char> buffer;  // read block (or the whole input from memory)
    std::int64_t buffer_offset = 0;     // file offset of buffer[0]
    std::size_t buffer_fill = 0;        // valid bytes in buffer
    std::size_t buffer_index = 0;       // next file byte, kept while the head is read

    // Head buffer: the bytes classification read ahead, delivered first.
    std::vector<unsigned char> head;  // kHeadSample + kHeadSlack bytes, zero beyond the length
    std::size_t head_length = 0;
    bool in_head = false;

    // Window being read: into `head` or into `buffer`. Both vectors live on
    // the heap, so moving the record keeps these valid.
    const unsigned char* cursor = nullptr;
    const unsigned char* limit = nullptr;

    // Characters.
    int current = kEndOfInput;   // last character delivered, -1 at end of input
    int previous = kEndOfInput;  // last character delivered after filtering (space rule)
    bool push_back = false;      // next filtered read returns `current` again
    bool end_of_input = false;   // a filtered reader delivered -1

    // Parse trace.
    bool trace_on = false;
    std::unique_ptr<std::FILE, TraceCloser> trace;
    bool echo_suppressed = false;  // set while PE is written decoded
    bool head_echoed = true;       // cleared when a trace file is opened
    bool replay_trace = false;     // the input is itself a trace (".plx"): PE skips "-START"
};

// A read position for look-ahead: where in the head, and where in the file.
struct ReadPosition {
    std::size_t head_index = 0;
    std::int64_t file_position = 0;
};

// Attaches an open plot file (positioned at its start) of `file_length`
// bytes. The stream stays owned by the caller and must outlive the
// attachment; detach before closing it. Resets the head, the read window
// and the character state. `replay_trace` marks a ".plx" input.
void attach_plot_file(ReaderState& reader, std::FILE* file, std::int64_t file_length,
                      bool replay_trace = false);

// Attaches bytes held in memory as the plot file (tests, in-process runs);
// the file length is their size.
void attach_plot_bytes(ReaderState& reader, std::string_view bytes, bool replay_trace = false);

// Forgets the attached input (does not close it). Reads then give -1.
void detach_plot_input(ReaderState& reader);

// Takes a byte from the file, bypassing the head buffer (classification).
int read_file_byte(ReaderState& reader);

// Installs the classified sample as the head buffer: the reader delivers
// these `length` bytes first, then goes on from the file where it stands.
void install_head(ReaderState& reader, const unsigned char* bytes, std::size_t length);

// Bytes taken from the file so far (classification's reads included).
std::int64_t file_position(const ReaderState& reader);

// File offset of the next byte to be delivered: the file position less the
// head bytes not yet delivered.
std::int64_t input_position(const ReaderState& reader);

// File length minus input_position; negative when the file grew.
std::int64_t bytes_remaining(const ReaderState& reader);

ReadPosition save_position(const ReaderState& reader);

// Goes back to a saved position: inside the head buffer when the saved
// index lies in it, otherwise to the saved file offset. The file is put back
// to the saved offset in both cases, so a look-ahead that ran from the head
// into the file returns correctly.
void restore_position(ReaderState& reader, const ReadPosition& position);

// Out-of-line parts of the per-byte path.
int refill_and_take(ReaderState& reader);
void echo_head(ReaderState& reader);
void echo_byte(ReaderState& reader, int c);

inline int take_byte(ReaderState& reader) {
    if (reader.cursor < reader.limit) [[likely]]
        return *reader.cursor++;
    return refill_and_take(reader);
}

inline bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// The HP-GL reader: push-back, trace echo, upper case (ASCII letters only),
// then the skipping rules: bytes above 32 (128..255 too), -1, ESC and form
// feed are kept; a space after a digit becomes a comma; any other byte
// (spaces elsewhere, control bytes, line ends, tabs) is dropped.
inline int next_char(ReaderState& reader) {
    if (reader.push_back) {
        reader.push_back = false;
        return reader.current;
    }
    if (reader.trace_on && !reader.head_echoed) [[unlikely]]
        echo_head(reader);
    int c;
    for (;;) {
        c = take_byte(reader);
        if (reader.trace_on) [[unlikely]]
            echo_byte(reader, c);
        if (c > 32) {
            if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
            break;
        }
        if (c == ' ') {
            if (is_digit(reader.previous)) {
                c = ',';
                break;
            }
            continue;
        }
        if (c == kEndOfInput || c == kEscape || c == kFormFeed) break;
    }
    reader.current = c;
    reader.previous = c;
    if (c == kEndOfInput) reader.end_of_input = true;
    return c;
}

// As next_char, but keeps the case, and a space after `-` also becomes a
// comma. Used for PCL escape sequences and PE data.
inline int next_char_keep_case(ReaderState& reader) {
    if (reader.push_back) {
        reader.push_back = false;
        return reader.current;
    }
    if (reader.trace_on && !reader.head_echoed) [[unlikely]]
        echo_head(reader);
    int c;
    for (;;) {
        c = take_byte(reader);
        if (reader.trace_on) [[unlikely]]
            echo_byte(reader, c);
        if (c > 32) break;
        if (c == ' ') {
            if (is_digit(reader.previous) || reader.previous == '-') {
                c = ',';
                break;
            }
            continue;
        }
        if (c == kEndOfInput || c == kEscape || c == kFormFeed) break;
    }
    reader.current = c;
    reader.previous = c;
    if (c == kEndOfInput) reader.end_of_input = true;
    return c;
}

// The raw reader: no push-back, no skipping, no case change; echoes to the
// trace and stores the byte as current and previous character. Does not
// set the end-of-input flag: its callers stop at -1 themselves.
inline int next_byte(ReaderState& reader) {
    if (reader.trace_on && !reader.head_echoed) [[unlikely]]
        echo_head(reader);
    int c = take_byte(reader);
    if (reader.trace_on) [[unlikely]]
        echo_byte(reader, c);
    reader.current = c;
    reader.previous = c;
    return c;
}

}  // namespace penloom
