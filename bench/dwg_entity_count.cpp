// Counts the entities of an R13, R14 or 2000 DWG for the benchmark table.
//
// In: a DWG file of those releases. It walks the object map (pages of
// handle/offset pairs after the third section locator) and reads each
// object's type (the bit short after its size). Out: one line "TYPE=count
// ..." over the entity objects of the file (those of blocks too; the
// translator's drawings have none), sorted by name, then "total=N", as
// dxf_entity_count prints for a DXF; VERTEX and SEQEND count as the DXF
// lists them. No CRC or structure is checked here (fuzz/dwg_frame_check.h
// does that); a file it cannot walk ends with status 1.
//
// Usage: dwg_entity_count <file.dwg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t le32(const Bytes& d, std::size_t at) {
    return at + 4 > d.size()
               ? 0
               : d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (std::uint32_t(d[at + 3]) << 24);
}

// A modular char at `at`: 7 bits a byte, low first; the last byte's 0x40 is
// the sign when `signed_value`.
long long modular_char(const Bytes& d, std::size_t& at, bool signed_value) {
    long long value = 0;
    int shift = 0;
    while (at < d.size()) {
        const unsigned char b = d[at++];
        if (b & 0x80) {
            value |= static_cast<long long>(b & 0x7F) << shift;
            shift += 7;
            continue;
        }
        if (signed_value) {
            value |= static_cast<long long>(b & 0x3F) << shift;
            return (b & 0x40) ? -value : value;
        }
        return value | (static_cast<long long>(b) << shift);
    }
    return 0;
}

// The object type at `offset`: skip the modular-short size, read a bit short.
int object_type(const Bytes& d, std::size_t offset) {
    std::size_t at = offset;
    while (at + 1 < d.size() && (d[at + 1] & 0x80)) at += 2;
    at += 2;
    if (at + 3 > d.size()) return -1;
    const std::uint32_t bits = (d[at] << 16) | (d[at + 1] << 8) | d[at + 2];
    const int code = static_cast<int>(bits >> 22);
    const std::uint32_t rest = bits & 0x3FFFFF;
    switch (code) {
        case 0:
            return static_cast<int>(((rest >> 14) & 0xFF) | (((rest >> 6) & 0xFF) << 8));
        case 1:
            return static_cast<int>((rest >> 14) & 0xFF);
        case 2:
            return 0;
        default:
            return 256;
    }
}

const std::map<int, const char*> kEntityTypes = {
    {1, "TEXT"},    {6, "SEQEND"},      {10, "VERTEX"}, {15, "POLYLINE"}, {17, "ARC"},
    {18, "CIRCLE"}, {19, "LINE"},       {27, "POINT"},  {31, "SOLID"},    {35, "ELLIPSE"},
    {44, "MTEXT"},  {77, "LWPOLYLINE"}, {78, "HATCH"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dwg_entity_count <file.dwg>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 0x19 + 27 || le32(d, 0x15) < 3) {
        std::fprintf(stderr, "%s: not an R13 to 2000 DWG\n", argv[1]);
        return 1;
    }
    const std::size_t map_at = le32(d, 0x19 + 2 * 9 + 1);
    std::map<std::string, unsigned long long> counts;
    unsigned long long total = 0;
    for (std::size_t page = map_at; page + 2 <= d.size();) {
        const std::size_t size = (d[page] << 8) | d[page + 1];
        if (size <= 2) break;
        long long offset = 0;
        for (std::size_t at = page + 2; at < page + size;) {
            modular_char(d, at, false);
            offset += modular_char(d, at, true);
            const auto found = kEntityTypes.find(object_type(d, static_cast<std::size_t>(offset)));
            if (found != kEntityTypes.end()) {
                ++counts[found->second];
                ++total;
            }
        }
        page += size + 2;
    }
    for (const auto& [type, count] : counts) std::printf("%s=%llu ", type.c_str(), count);
    std::printf("total=%llu\n", total);
    return 0;
}
