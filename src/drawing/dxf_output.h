// Buffered DXF group output. In: groups (code and value) from the section
// writers. Out: "%3d\r\n" code lines and value lines in a large buffer that
// goes to the file descriptor whenever it fills. The first failed write makes
// the output "failed": later groups are dropped and the save ends at its next
// check.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "drawing/drawing.h"
#include "drawing/dxf_number.h"

namespace penloom {

struct DxfOut {
    int fd = -1;
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;
    std::size_t used = 0;
    std::uint64_t written = 0;           // bytes handed to the file so far
    std::uint64_t limit = UINT64_MAX;    // fault injection: fail beyond this
    bool failed = false;
    NumberFormat format;
    // When set, `written` is published here after every write to the file
    // (another thread copies what the DXF body formatter has written).
    std::atomic<std::uint64_t>* progress = nullptr;
};

void out_open(DxfOut& out, int fd, std::size_t capacity, std::uint64_t limit, const NumberFormat& format);
// Writes what is buffered; false (and failed) when the file refused it.
bool out_flush(DxfOut& out);

void group_string(DxfOut& out, int code, std::string_view value);
// Whole groups already formatted, code and value lines with their line ends
// ("100\r\nAcDbVertex\r\n"), copied as they are: the constant runs of the
// entity writers. Inline, so that a literal's copy is a few moves.
void put_lines_wrapped(DxfOut& out, std::string_view lines);  // across a flush
inline void put_lines(DxfOut& out, std::string_view lines) {
    if (lines.size() <= out.capacity - out.used) {
        std::memcpy(out.buffer.get() + out.used, lines.data(), lines.size());
        out.used += lines.size();
        return;
    }
    put_lines_wrapped(out, lines);
}
// A text string: control bytes as "^" + letter, "^" as "^ " (see the .cpp).
void group_text(DxfOut& out, int code, std::string_view value);
void group_int16(DxfOut& out, int code, long value);
void group_int32(DxfOut& out, int code, long value);
void group_real(DxfOut& out, int code, double value);
void group_full(DxfOut& out, int code, double value);
// Radians in, degrees out.
void group_angle(DxfOut& out, int code, double radians);
void group_handle(DxfOut& out, int code, std::uint64_t handle);
inline void group_handle(DxfOut& out, int code, const Handle& h) { group_handle(out, code, handle_value(h)); }
void group_date(DxfOut& out, int code, std::int32_t day, std::int32_t milliseconds, int places);
// Point: x with code, y with code + 10 (and z with code + 20).
void group_point2(DxfOut& out, int code, double x, double y);
void group_point3(DxfOut& out, int code, const Point3& p);
void group_full_point3(DxfOut& out, int code, const Point3& p);

}  // namespace penloom
