// Parse trace writing: the echo of each byte read, the head echo, and the
// decoded PE pieces.
#include "input/parse_trace.h"

#include <cstdio>

namespace penloom {

namespace {

void put(ReaderState& reader, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), reader.trace.get());
    std::fflush(reader.trace.get());
}

}  // namespace

bool open_trace_file(ReaderState& reader, const std::string& path) {
    close_trace_file(reader);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    reader.trace.reset(file);
    reader.trace_on = true;
    reader.head_echoed = false;
    reader.echo_suppressed = false;
    return true;
}

void close_trace_file(ReaderState& reader) {
    reader.trace_on = false;
    reader.trace.reset();
}

void echo_head(ReaderState& reader) {
    reader.head_echoed = true;
    if (!reader.trace) return;
    std::size_t delivered = reader.in_head
                                ? static_cast<std::size_t>(reader.cursor - reader.head.data())
                                : reader.head_length;
    if (delivered == 0) return;
    put(reader, std::string_view(reinterpret_cast<const char*>(reader.head.data()), delivered));
}

void echo_byte(ReaderState& reader, int c) {
    if (c < 0 || !reader.trace) return;
    if (c == kEscape) {
        put(reader, "\nESC");
    } else if (c < kEscape && c != '\n' && c != '\r') {
        char text[4];
        std::snprintf(text, sizeof text, " %02X", c);
        put(reader, std::string_view(text, 3));
    } else if (!reader.echo_suppressed) {
        char byte = static_cast<char>(c);
        put(reader, std::string_view(&byte, 1));
    }
}

void trace_write(ReaderState& reader, std::string_view text) {
    if (reader.trace_on && reader.trace) put(reader, text);
}

std::string format_trace_number(double value) {
    char text[400];
    int n = std::snprintf(text, sizeof text, "%lf", value);
    if (n < 0) return std::string();
    std::string result(text, static_cast<std::size_t>(n) < sizeof text ? static_cast<std::size_t>(n)
                                                                       : sizeof text - 1);
    if (result.find('.') != std::string::npos) {
        while (!result.empty() && result.back() == '0') result.pop_back();
        if (!result.empty() && result.back() == '.') result.pop_back();
    }
    return result;
}

void trace_pe_start(ReaderState& reader) {
    trace_write(reader, "-START\nPD");
}

void trace_pe_pair(ReaderState& reader, double x, double y) {
    if (!reader.trace_on) return;
    trace_write(reader, format_trace_number(x) + "," + format_trace_number(y));
}

void trace_pe_draw(ReaderState& reader, bool after_lift, bool absolute, double x, double y) {
    if (!reader.trace_on) return;
    std::string text = "\n";
    if (after_lift) text += "PD";
    text += absolute ? "PA" : "PR";
    trace_write(reader, text);
    trace_pe_pair(reader, x, y);
}

void trace_pe_pen_up(ReaderState& reader) {
    trace_write(reader, "\nPU");
}

void trace_pe_absolute(ReaderState& reader, bool after_lift) {
    trace_write(reader, after_lift ? "\nPDPA" : "\nPA");
}

void trace_pe_select_pen(ReaderState& reader, long pen) {
    if (!reader.trace_on) return;
    char text[32];
    std::snprintf(text, sizeof text, "\nSP%ld", pen);
    trace_write(reader, text);
}

void trace_pe_fraction_bits(ReaderState& reader, long bits) {
    if (!reader.trace_on) return;
    char text[32];
    std::snprintf(text, sizeof text, "\nFB%ld", bits);
    trace_write(reader, text);
}

void trace_pe_seven_bit(ReaderState& reader) {
    trace_write(reader, "\nPB7");
}

void trace_pe_rectangle(ReaderState& reader, bool restarts_polygon, bool absolute, double corner_x,
                        double corner_y, double width, double height) {
    if (!reader.trace_on) return;
    trace_write(reader, "\nRM");
    trace_write(reader, "\nPU");
    if (restarts_polygon) trace_write(reader, "\nPM0");
    trace_write(reader, absolute ? "\nPA" : "\nPR");
    trace_pe_pair(reader, corner_x, corner_y);
    trace_write(reader, "ER");
    trace_pe_pair(reader, width, height);
}

void trace_pe_end(ReaderState& reader) {
    trace_write(reader, ";\n");
}

bool is_trace_file_name(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    std::string_view ext = path.substr(dot + 1);
    if (ext.size() != 3) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return lower(ext[0]) == 'p' && lower(ext[1]) == 'l' && lower(ext[2]) == 'x';
}

}  // namespace penloom
