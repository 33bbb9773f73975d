// Buffered DXF group output (see dxf_output.h).
#include "drawing/dxf_output.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace penloom {

namespace {

// Longest line a number group can produce: code line plus value line.
constexpr std::size_t max_number_group = 8 + number_buffer_size;

char* room(DxfOut& out, std::size_t n) {
    if (out.capacity - out.used < n)
        out_flush(out);
    return out.buffer.get() + out.used;
}

void put_raw(DxfOut& out, const char* data, std::size_t n) {
    while (n > 0) {
        if (out.used == out.capacity && !out_flush(out))
            return;
        const std::size_t take = std::min(n, out.capacity - out.used);
        std::memcpy(out.buffer.get() + out.used, data, take);
        out.used += take;
        data += take;
        n -= take;
    }
}

// Code lines of the group codes DXF uses (below 1100), ready to copy.
struct CodeLines {
    char text[1100][8];
    unsigned char length[1100];
    CodeLines() {
        for (int code = 0; code < 1100; ++code) {
            char line[number_buffer_size];
            std::size_t n = format_group_code(line, code);
            line[n++] = '\r';
            line[n++] = '\n';
            std::memcpy(text[code], line, sizeof text[code]);
            length[code] = static_cast<unsigned char>(n);
        }
    }
};

const CodeLines code_lines;

inline char* put_code(char* p, int code) {
    if (code >= 0 && code < 1100) {
        std::memcpy(p, code_lines.text[code], 8);
        return p + code_lines.length[code];
    }
    p += format_group_code(p, code);
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

inline char* line_end(char* p) {
    *p++ = '\r';
    *p++ = '\n';
    return p;
}

inline void end_line(DxfOut& out, char* p) {
    out.used = static_cast<std::size_t>(line_end(p) - out.buffer.get());
}

// A real's group (code line, value line) at p, which has room for it;
// returns the end.
inline char* put_real_group(char* p, int code, double value, const NumberFormat& format) {
    p = put_code(p, code);
    return line_end(p + format_real(p, value, format));
}

}  // namespace

void out_open(DxfOut& out, int fd, std::size_t capacity, std::uint64_t limit, const NumberFormat& format) {
    out.fd = fd;
    out.capacity = capacity;
    // Left uninitialised: zeroing a megabyte per save costs more than small drawings.
    out.buffer = std::make_unique_for_overwrite<char[]>(capacity);
    out.used = 0;
    out.written = 0;
    out.limit = limit;
    out.failed = false;
    out.format = format;
}

bool out_flush(DxfOut& out) {
    if (out.failed) {
        out.used = 0;
        return false;
    }
    const char* p = out.buffer.get();
    std::size_t n = out.used;
    out.used = 0;
    while (n > 0) {
        std::size_t chunk = n;
        if (out.limit - out.written < chunk) {
            // Fault injection: the "disk" takes only up to the limit.
            chunk = static_cast<std::size_t>(out.limit - out.written);
            if (chunk == 0) {
                out.failed = true;
                return false;
            }
        }
        const ssize_t w = ::write(out.fd, p, chunk);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            out.failed = true;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
        out.written += static_cast<std::uint64_t>(w);
    }
    if (out.progress)
        out.progress->store(out.written, std::memory_order_release);
    return true;
}

void group_string(DxfOut& out, int code, std::string_view value) {
    char* p = room(out, max_number_group);
    p = put_code(p, code);
    const std::size_t n = value.size();
    const std::size_t left = out.capacity - static_cast<std::size_t>(p - out.buffer.get());
    if (n <= 16 && n + 2 <= left) {
        // The usual short value (room() left space for it): two overlapping
        // fixed-size copies instead of a library call.
        const char* s = value.data();
        if (n >= 8) {
            std::memcpy(p, s, 8);
            std::memcpy(p + n - 8, s + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(p, s, 4);
            std::memcpy(p + n - 4, s + n - 4, 4);
        } else {
            for (std::size_t i = 0; i < n; ++i)
                p[i] = s[i];
        }
        end_line(out, p + n);
        return;
    }
    if (n + 2 <= left) {
        // A longer value that still fits: straight into the buffer.
        std::memcpy(p, value.data(), value.size());
        end_line(out, p + value.size());
        return;
    }
    out.used = static_cast<std::size_t>(p - out.buffer.get());
    put_raw(out, value.data(), value.size());
    put_raw(out, "\r\n", 2);
}

void put_lines_wrapped(DxfOut& out, std::string_view lines) { put_raw(out, lines.data(), lines.size()); }

void group_text(DxfOut& out, int code, std::string_view value) {
    char* p = room(out, max_number_group);
    p = put_code(p, code);
    out.used = static_cast<std::size_t>(p - out.buffer.get());
    char piece[2];
    std::size_t i = 0;
    for (; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c == 0)
            break;  // a NUL ends the string
        if (c < 32) {
            piece[0] = '^';
            piece[1] = static_cast<char>(c + 64);
            put_raw(out, piece, 2);
        } else if (c == '^') {
            // The second byte of a double-byte character may be a caret; it
            // stays as it is.
            const bool trail_byte = (i % 2 == 1) && static_cast<unsigned char>(value[i - 1]) >= 128;
            put_raw(out, trail_byte ? "^" : "^ ", trail_byte ? 1 : 2);
        } else {
            piece[0] = static_cast<char>(c);
            put_raw(out, piece, 1);
        }
    }
    // A caret as the last byte gets one more space on top of its own, so a
    // trailing "^" comes out as "^" and two spaces; readers have always seen
    // it that way.
    if (i > 0 && value[i - 1] == '^')
        put_raw(out, " ", 1);
    put_raw(out, "\r\n", 2);
}

void group_int16(DxfOut& out, int code, long value) {
    char* p = put_code(room(out, max_number_group), code);
    p += format_int16(p, value, out.format.decimal_places);
    end_line(out, p);
}

void group_int32(DxfOut& out, int code, long value) {
    char* p = put_code(room(out, max_number_group), code);
    p += format_int32(p, value);
    end_line(out, p);
}

void group_real(DxfOut& out, int code, double value) {
    char* p = put_real_group(room(out, max_number_group), code, value, out.format);
    out.used = static_cast<std::size_t>(p - out.buffer.get());
}

void group_full(DxfOut& out, int code, double value) {
    char* p = put_code(room(out, max_number_group), code);
    p += format_full_real(p, value, out.format.negative_zero);
    end_line(out, p);
}

void group_angle(DxfOut& out, int code, double radians) { group_real(out, code, radians * 57.29577951308232); }

void group_handle(DxfOut& out, int code, std::uint64_t handle) {
    char* p = put_code(room(out, max_number_group), code);
    p += format_handle(p, handle);
    end_line(out, p);
}

void group_date(DxfOut& out, int code, std::int32_t day, std::int32_t milliseconds, int places) {
    char* p = put_code(room(out, max_number_group), code);
    p += format_date(p, day, milliseconds, places);
    end_line(out, p);
}

// The coordinate groups of a point, one after the other, with one check for
// room (the bulk of a drawing's text: every vertex is one).
void group_point2(DxfOut& out, int code, double x, double y) {
    char* p = put_real_group(room(out, 2 * max_number_group), code, x, out.format);
    p = put_real_group(p, code + 10, y, out.format);
    out.used = static_cast<std::size_t>(p - out.buffer.get());
}

void group_point3(DxfOut& out, int code, const Point3& point) {
    char* p = put_real_group(room(out, 3 * max_number_group), code, point.x, out.format);
    p = put_real_group(p, code + 10, point.y, out.format);
    p = put_real_group(p, code + 20, point.z, out.format);
    out.used = static_cast<std::size_t>(p - out.buffer.get());
}

void group_full_point3(DxfOut& out, int code, const Point3& p) {
    group_full(out, code, p.x);
    group_full(out, code + 10, p.y);
    group_full(out, code + 20, p.z);
}

}  // namespace penloom
