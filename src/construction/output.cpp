#include "construction/output.h"

#include <vector>

namespace penloom {

Output Output::to_stream(std::FILE* stream) {
    Output out;
    out.stream_ = stream;
    return out;
}

Output Output::to_buffer() { return Output{}; }

void Output::print(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    vprint(format, args);
    va_end(args);
}

void Output::vprint(const char* format, std::va_list args) {
    char small[512];
    std::va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        write(std::string_view(small, static_cast<size_t>(n)));
        return;
    }
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    write(std::string_view(big.data(), static_cast<size_t>(n)));
}

void Output::write(std::string_view text) {
    if (stream_ != nullptr) {
        std::fwrite(text.data(), 1, text.size(), stream_);
        std::fflush(stream_);
    } else {
        buffer_.append(text);
    }
}

}  // namespace penloom
