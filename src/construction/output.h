// Message output: every text the program prints goes through one Output,
// held by the run's context and handed down to what prints. The program
// writes to stdout; tests write to a buffer and compare it byte for byte.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace penloom {

class Output {
public:
    // Prints to the given stream (stdout in the program), flushed after every
    // message so that a crash or a fatal exit loses nothing already said.
    static Output to_stream(std::FILE* stream);
    // Collects everything printed in a string (tests).
    static Output to_buffer();

    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void vprint(const char* format, std::va_list args);
    void write(std::string_view text);

    // Buffer mode only: what has been printed so far.
    const std::string& text() const { return buffer_; }
    void clear() { buffer_.clear(); }

private:
    std::FILE* stream_ = nullptr;
    std::string buffer_;
};

}  // namespace penloom
