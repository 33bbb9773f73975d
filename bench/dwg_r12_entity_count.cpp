// Counts the entities of a release 12 DWG (AC1009) for the benchmark table.
//
// In: an R12 DWG. It walks the entities section (its start and end are the
// 32-bit addresses at 0x14 and 0x18) record by record: a type byte, a flag
// byte, then the record's size. Out: one line "TYPE=count ..." sorted by
// name, then "total=N", as dxf_entity_count prints for a DXF; VERTEX and
// SEQEND count as the DXF lists them. No CRC or structure is checked here
// (fuzz/dwg_r12_frame_check.h does that); a record that runs past the
// section ends the walk with status 1.
//
// Usage: dwg_r12_entity_count <file.dwg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dwg_r12_entity_count <file.dwg>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    auto read = [&](std::uint64_t at, unsigned char* out, std::size_t n) {
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(in.gcount()) == n;
    };
    unsigned char head[0x1C];
    if (!read(0, head, sizeof head) || std::string(reinterpret_cast<char*>(head), 6) != "AC1009") {
        std::fprintf(stderr, "dwg_r12_entity_count: %s is not an R12 DWG\n", argv[1]);
        return 1;
    }
    auto le32 = [&](int at) {
        return head[at] | (head[at + 1] << 8) | (head[at + 2] << 16) |
               (std::uint32_t(head[at + 3]) << 24);
    };
    const std::uint64_t start = le32(0x14), end = le32(0x18);
    const std::map<int, std::string> names = {{1, "LINE"},    {2, "POINT"},   {3, "CIRCLE"},
                                              {7, "TEXT"},    {8, "ARC"},     {11, "SOLID"},
                                              {14, "INSERT"}, {17, "SEQEND"}, {19, "POLYLINE"},
                                              {20, "VERTEX"}, {22, "3DFACE"}};
    std::map<std::string, long long> counts;
    long long total = 0;
    // The section read in large pieces; a record never spans more than 64 KB.
    std::vector<unsigned char> piece(std::size_t{1} << 22);
    std::uint64_t base = start, have = 0;
    for (std::uint64_t at = start; at < end;) {
        if (at + 4 > base + have) {
            base = at;
            have = std::min<std::uint64_t>(piece.size(), end - at);
            if (!read(base, piece.data(), have) || at + 4 > base + have) {
                std::fprintf(stderr, "dwg_r12_entity_count: the entities run past the file\n");
                return 1;
            }
        }
        const unsigned char* p = piece.data() + (at - base);
        const unsigned size = p[2] | (p[3] << 8);
        if (size < 4 || at + size > end) {
            std::fprintf(stderr, "dwg_r12_entity_count: a record of %u bytes at %llu\n", size,
                         static_cast<unsigned long long>(at));
            return 1;
        }
        const auto it = names.find(p[0] & 0x7F);
        ++counts[it != names.end() ? it->second : "type" + std::to_string(p[0])];
        ++total;
        at += size;
    }
    for (const auto& [name, count] : counts) std::printf("%s=%lld ", name.c_str(), count);
    std::printf("total=%lld\n", total);
    return 0;
}
