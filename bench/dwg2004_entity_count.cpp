// Counts the entities of a 2004 DWG (AC1018) for the benchmark table, and
// says how well its pages compressed.
//
// In: a DWG file of that release. It decrypts the header block at 0x80,
// reads the page map and the section map, decompresses the pages of
// AcDb:Handles and AcDb:AcDbObjects, walks the object map and reads each
// object's type. Out: "TYPE=count ... total=N" on stdout as
// dwg_entity_count prints it, and on stderr the bytes of page data before
// and after compression. No checksum or structure is checked here
// (the fuzz frame checks do that); a file it cannot walk ends with
// status 1.
//
// Usage: dwg2004_entity_count <file.dwg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Bad {};

std::uint32_t le32(const Bytes& d, std::size_t at) {
    if (at + 4 > d.size()) throw Bad{};
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (std::uint32_t(d[at + 3]) << 24);
}

std::uint64_t le64(const Bytes& d, std::size_t at) {
    return le32(d, at) | (std::uint64_t(le32(d, at + 4)) << 32);
}

// One compressed page: literal runs and back references, ended by 0x11.
void decompress(const unsigned char* src, std::size_t size, Bytes& out) {
    std::size_t pos = 0;
    const auto next = [&]() -> unsigned {
        if (pos >= size) throw Bad{};
        return src[pos++];
    };
    const auto long_count = [&]() {
        std::size_t n = 0;
        unsigned b = next();
        for (; b == 0; b = next()) n += 0xFF;
        return n + b;
    };
    const auto literals = [&](std::size_t n) {
        if (pos + n > size) throw Bad{};
        out.insert(out.end(), src + pos, src + pos + n);
        pos += n;
    };
    unsigned op = next();
    if (op < 0x10) {
        literals(op != 0 ? op + 3 : long_count() + 18);
        op = next();
    }
    while (op != 0x11) {
        std::size_t n, distance, follow;
        if (op < 0x10) {
            throw Bad{};
        } else if (op < 0x40) {
            if (op < 0x20)
                n = (op & 7) == 0 ? long_count() + 9 : (op & 7) + 2;
            else
                n = op == 0x20 ? long_count() + 0x21 : op - 0x1E;
            const unsigned a = next(), b = next();
            distance = ((a >> 2) | (b << 6)) + (op < 0x20 ? 0x4000 + ((op & 8u) << 11) : 1);
            follow = a & 3;
        } else {
            n = (op >> 4) - 1;
            const unsigned b = next();
            distance = ((b << 2) | ((op & 0x0C) >> 2)) + 1;
            follow = op & 3;
        }
        if (distance > out.size()) throw Bad{};
        for (std::size_t i = 0; i < n; ++i) out.push_back(out[out.size() - distance]);
        if (follow != 0) {
            literals(follow);
            op = next();
        } else {
            op = next();
            if (op < 0x10) {
                literals(op != 0 ? op + 3 : long_count() + 18);
                op = next();
            }
        }
    }
}

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
    throw Bad{};
}

// The type (a bit short) of the object at `at`: after its modular-short size.
unsigned object_type(const Bytes& d, std::size_t at) {
    while (at + 1 < d.size() && (d[at + 1] & 0x80)) at += 2;
    at += 2;
    if (at + 3 > d.size()) throw Bad{};
    const unsigned bits = (d[at] << 16) | (d[at + 1] << 8) | d[at + 2];
    switch (bits >> 22) {
        case 0:
            return ((bits >> 14) & 0xFF) | (((bits >> 6) & 0xFF) << 8);
        case 1:
            return (bits >> 14) & 0xFF;
        case 2:
            return 0;
        default:
            return 256;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dwg2004_entity_count <file.dwg>\n");
        return 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    const Bytes d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    try {
        if (d.size() < 0x100 || std::memcmp(d.data(), "AC1018", 6) != 0) throw Bad{};
        Bytes head(0x6C);
        std::uint32_t seed = 1;
        for (std::size_t i = 0; i < head.size(); ++i) {
            seed = seed * 0x343FD + 0x269EC3;
            head[i] = d[0x80 + i] ^ static_cast<unsigned char>(seed >> 16);
        }
        const std::uint64_t page_map = le64(head, 0x54) + 0x100;
        const std::uint32_t section_map_id = le32(head, 0x5C);
        // A map page: 20-byte header (type, sizes, compression, checksum), data.
        const auto system_page = [&](std::uint64_t at) {
            Bytes out;
            if (at + 20 + le32(d, at + 8) > d.size()) throw Bad{};
            decompress(d.data() + at + 20, le32(d, at + 8), out);
            return out;
        };
        const Bytes pages_raw = system_page(page_map);
        std::map<std::uint32_t, std::uint64_t> address;
        std::uint64_t at = 0x100;
        for (std::size_t i = 0; i + 8 <= pages_raw.size(); i += 8) {
            address[le32(pages_raw, i)] = at;
            at += le32(pages_raw, i + 4);
        }
        const Bytes sections = system_page(address.at(section_map_id));
        std::map<std::string, Bytes> wanted = {{"AcDb:Handles", {}}, {"AcDb:AcDbObjects", {}}};
        std::uint64_t raw = 0, packed = 0;
        std::size_t p = 20;
        for (std::uint32_t s = 0, count = le32(sections, 0); s < count; ++s) {
            const std::uint64_t size = le64(sections, p);
            const std::uint32_t npages = le32(sections, p + 8), compressed = le32(sections, p + 20);
            const std::string name(reinterpret_cast<const char*>(&sections.at(p + 32)));
            p += 96;
            Bytes* keep = wanted.count(name) ? &wanted[name] : nullptr;
            for (std::uint32_t k = 0; k < npages; ++k, p += 16) {
                const std::uint64_t page = address.at(le32(sections, p));
                const std::uint32_t data_size = le32(sections, p + 4);
                packed += data_size;
                Bytes one;
                if (compressed == 2)
                    decompress(d.data() + page + 32, data_size, one);
                else
                    one.assign(d.begin() + static_cast<std::ptrdiff_t>(page + 32),
                               d.begin() + static_cast<std::ptrdiff_t>(page + 32 + data_size));
                raw += one.size();
                if (keep != nullptr) {
                    keep->resize(static_cast<std::size_t>(le64(sections, p + 8)));
                    keep->insert(keep->end(), one.begin(), one.end());
                }
            }
            if (keep != nullptr && keep->size() > size)
                keep->resize(static_cast<std::size_t>(size));
        }
        const Bytes& map = wanted["AcDb:Handles"];
        const Bytes& objects = wanted["AcDb:AcDbObjects"];
        static const std::map<unsigned, const char*> names = {
            {1, "TEXT"},    {6, "SEQEND"},      {10, "VERTEX"}, {15, "POLYLINE"}, {17, "ARC"},
            {18, "CIRCLE"}, {19, "LINE"},       {27, "POINT"},  {31, "SOLID"},    {35, "ELLIPSE"},
            {44, "MTEXT"},  {77, "LWPOLYLINE"}, {78, "HATCH"}};
        std::map<std::string, unsigned long long> counts;
        unsigned long long total = 0;
        for (std::size_t page = 0; page + 2 <= map.size();) {
            const std::size_t size = (map[page] << 8) | map[page + 1];
            if (size <= 2) break;
            long long offset = 0;
            for (std::size_t q = page + 2; q < page + size;) {
                modular_char(map, q, false);
                offset += modular_char(map, q, true);
                const auto it = names.find(object_type(objects, static_cast<std::size_t>(offset)));
                if (it != names.end()) {
                    ++counts[it->second];
                    ++total;
                }
            }
            page += size + 2;
        }
        for (const auto& [name, count] : counts) std::printf("%s=%llu ", name.c_str(), count);
        std::printf("total=%llu\n", total);
        std::fprintf(stderr, "page data %llu bytes, compressed %llu (%.2f:1)\n",
                     static_cast<unsigned long long>(raw), static_cast<unsigned long long>(packed),
                     packed ? double(raw) / double(packed) : 0.0);
    } catch (...) {
        std::fprintf(stderr, "dwg2004_entity_count: %s cannot be walked\n", argv[1]);
        return 1;
    }
    return 0;
}
