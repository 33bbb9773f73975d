// DWG object map: the entities' rows (8 bytes each, kept in the order they
// were written: nearly in handle order, a POLYLINE follows its vertices) are
// merged with the rows of the other objects into the map's pages.
#include <algorithm>

#include "drawing/dwg_writer_internal.h"

namespace penloom {

namespace {

// An object map page holds at most this many bytes, its size word included.
constexpr std::size_t map_page_limit = 2032;

// Map pages from rows that arrive in ascending handle order.
struct PageWriter {
    DwgContext& c;
    BitWriter page;
    BitWriter pair;
    std::uint32_t last_handle = 0;
    std::uint32_t last_offset = 0;

    explicit PageWriter(DwgContext& context) : c(context) { start(); }

    void start() {
        bits_clear(page);
        put_rs(page, 0);
        last_handle = 0;
        last_offset = 0;
    }
    void add(const DwgMapEntry& row) {
        for (;;) {
            bits_clear(pair);
            put_mc(pair,
                   static_cast<std::int64_t>(row.handle) - static_cast<std::int64_t>(last_handle));
            put_mc(pair,
                   static_cast<std::int64_t>(row.offset) - static_cast<std::int64_t>(last_offset));
            if (page.bytes.size() + pair.bytes.size() <= map_page_limit) break;
            finish();
            start();
        }
        page.bytes.insert(page.bytes.end(), pair.bytes.begin(), pair.bytes.end());
        last_handle = row.handle;
        last_offset = row.offset;
    }
    // Size in front and CRC behind, both most significant byte first.
    void finish() {
        const std::size_t size = page.bytes.size();
        page.bytes[0] = static_cast<std::uint8_t>(size >> 8);
        page.bytes[1] = static_cast<std::uint8_t>(size & 0xFF);
        const std::uint16_t crc = dwg_crc(page.bytes.data(), size, dwg_crc_seed);
        page.bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        page.bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        dwg_out_write(c.out, page.bytes.data(), page.bytes.size());
    }
};

bool by_handle(const DwgMapEntry& a, const DwgMapEntry& b) {
    return a.handle < b.handle;
}

}  // namespace

void write_object_map(DwgContext& c) {
    // First pass: the rows that come after a higher handle (a POLYLINE
    // after its vertices) are set aside with the other objects' rows.
    std::vector<DwgMapEntry> aside = std::move(c.object_map);
    {
        std::uint32_t highest = 0;
        for (const DwgMapEntry& row : c.entity_map) {
            if (row.handle < highest) aside.push_back(row);
            highest = std::max(highest, row.handle);
        }
    }
    std::sort(aside.begin(), aside.end(), by_handle);
    // Second pass: the rest is in ascending order; merge the two.
    PageWriter pages(c);
    std::uint32_t highest = 0;
    std::size_t a = 0;
    for (const DwgMapEntry& row : c.entity_map) {
        const bool set_aside = row.handle < highest;
        highest = std::max(highest, row.handle);
        if (set_aside) continue;
        while (a < aside.size() && aside[a].handle < row.handle) pages.add(aside[a++]);
        pages.add(row);
    }
    while (a < aside.size()) pages.add(aside[a++]);
    if (pages.page.bytes.size() > 2) pages.finish();
    // The last page is an empty one.
    pages.start();
    pages.finish();
}

}  // namespace penloom
