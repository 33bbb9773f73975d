// DWG object map: the rows of the entities go to an unlinked temporary file
// as they are made (8 bytes a row, written in blocks), so a save's memory
// does not grow with the drawing; at the end they are read back twice and
// merged with the rows of the other objects into the map's pages. In: map
// rows in the order the objects were written (the entities' nearly in
// handle order: a POLYLINE follows its vertices). Out: the object map.
#include <algorithm>
#include <cstdio>

#include "drawing/dwg_writer_internal.h"

namespace penloom {

namespace {

constexpr std::size_t rows_per_block = 8192;
// An object map page holds at most this many bytes, its size word included.
constexpr std::size_t map_page_limit = 2032;

bool flush_rows(DwgRowSpill& s) {
    if (s.failed || s.block.empty()) return !s.failed;
    if (std::fwrite(s.block.data(), sizeof(DwgMapEntry), s.block.size(), s.file) != s.block.size())
        s.failed = true;
    s.block.clear();
    return !s.failed;
}

// The entity rows in the order they were written: the spilled ones, then
// those kept in memory (all of them when nothing was spilled).
class EntityRows {
   public:
    EntityRows(DwgRowSpill* spill, const std::vector<DwgMapEntry>& kept)
        : spill_(spill), kept_(kept) {
        if (spill_ != nullptr && spill_->file != nullptr) std::rewind(spill_->file);
    }
    bool next(DwgMapEntry& row) {
        for (;;) {
            if (at_ < block_.size()) {
                row = block_[at_++];
                return true;
            }
            if (spill_ == nullptr || spill_->file == nullptr || spill_done_) break;
            block_.resize(rows_per_block);
            const std::size_t n =
                std::fread(block_.data(), sizeof(DwgMapEntry), rows_per_block, spill_->file);
            block_.resize(n);
            at_ = 0;
            if (n == 0) spill_done_ = true;
        }
        if (kept_at_ < kept_.size()) {
            row = kept_[kept_at_++];
            return true;
        }
        return false;
    }

   private:
    DwgRowSpill* spill_;
    const std::vector<DwgMapEntry>& kept_;
    std::vector<DwgMapEntry> block_;
    std::size_t at_ = 0;
    bool spill_done_ = false;
    std::size_t kept_at_ = 0;
};

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

DwgRowSpill::~DwgRowSpill() {
    if (file != nullptr) std::fclose(file);
}

bool open_row_spill(DwgRowSpill& s) {
    s.file = std::tmpfile();
    s.block.reserve(rows_per_block);
    return s.file != nullptr;
}

void spill_row(DwgRowSpill& s, const DwgMapEntry& row) {
    s.block.push_back(row);
    if (s.block.size() == rows_per_block) flush_rows(s);
}

bool write_object_map(DwgContext& c) {
    if (c.row_spill != nullptr &&
        (!flush_rows(*c.row_spill) || std::fflush(c.row_spill->file) != 0))
        return false;
    // First pass: the rows that come after a higher handle (a POLYLINE
    // after its vertices) are set aside with the other objects' rows.
    std::vector<DwgMapEntry> aside = std::move(c.object_map);
    {
        EntityRows rows(c.row_spill, c.entity_map);
        DwgMapEntry row;
        std::uint32_t highest = 0;
        while (rows.next(row)) {
            if (row.handle < highest) aside.push_back(row);
            highest = std::max(highest, row.handle);
        }
    }
    std::sort(aside.begin(), aside.end(), by_handle);
    // Second pass: the rest is in ascending order; merge the two.
    PageWriter pages(c);
    EntityRows rows(c.row_spill, c.entity_map);
    DwgMapEntry row;
    std::uint32_t highest = 0;
    std::size_t a = 0;
    while (rows.next(row)) {
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
    if (c.row_spill != nullptr && std::ferror(c.row_spill->file)) return false;
    return true;
}

}  // namespace penloom
