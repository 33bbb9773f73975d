// The R2004 paged container: data pages as sections fill, then the section
// map, the page map and the file header (see dwg_r2004_container.h).
#include "drawing/dwg_r2004_container.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace penloom {

namespace {

constexpr std::uint32_t page_type_data = 0x4163043B;
constexpr std::uint32_t page_type_section_map = 0x4163003B;
constexpr std::uint32_t page_type_page_map = 0x41630E3B;
constexpr std::uint32_t data_header_mask = 0x4164536B;
constexpr std::uint64_t first_page = 0x100;
constexpr std::size_t header_block = 0x6C;  // the encrypted header's bytes

const std::array<std::uint8_t, 256>& magic_table() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        std::uint32_t seed = 1;
        for (auto& b : t) {
            seed = seed * 0x343FD + 0x269EC3;
            b = static_cast<std::uint8_t>(seed >> 16);
        }
        return t;
    }();
    return table;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put_le(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void set_le(std::uint8_t* at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t round_up(std::uint64_t v, std::uint64_t to) {
    return (v + to - 1) / to * to;
}

}  // namespace

std::uint8_t dwg_r2004_magic(std::size_t i) {
    return magic_table()[i & 0xFF];
}

void DwgMemorySink::write(const std::uint8_t* data, std::size_t size) {
    bytes.insert(bytes.end(), data, data + size);
}

void DwgMemorySink::write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (bytes.size() < offset + size) bytes.resize(offset + size);
    std::memcpy(bytes.data() + offset, data, size);
}

DwgR2004Container::DwgR2004Container(DwgPageSink& sink) : sink_(sink) {
    const std::vector<std::uint8_t> blank(first_page, 0);
    put(blank.data(), blank.size());
}

int DwgR2004Container::add_section(int number, const std::string& name, bool compressed,
                                   std::uint32_t page_size, std::uint32_t encrypted) {
    Section s;
    s.number = number;
    s.name = name;
    s.compressed = compressed;
    s.page_size = page_size == 0 ? 0x7400 : page_size;
    s.encrypted = encrypted;
    sections_.push_back(std::move(s));
    return static_cast<int>(sections_.size() - 1);
}

void DwgR2004Container::append(int section, const std::uint8_t* data, std::size_t size) {
    Section& s = sections_[static_cast<std::size_t>(section)];
    s.size += size;
    raw_bytes_ += size;
    while (size > 0) {
        const std::size_t room = s.page_size - s.buffer.size();
        const std::size_t take = std::min(room, size);
        s.buffer.insert(s.buffer.end(), data, data + take);
        data += take;
        size -= take;
        if (s.buffer.size() == s.page_size) write_data_page(s);
    }
}

std::uint64_t DwgR2004Container::section_size(int section) const {
    return sections_[static_cast<std::size_t>(section)].size;
}

void DwgR2004Container::put(const std::uint8_t* data, std::size_t size) {
    sink_.write(data, size);
    offset_ += size;
}

void DwgR2004Container::pad(std::size_t size) {
    std::uint8_t bytes[0x20];
    while (size > 0) {
        const std::size_t n = std::min<std::size_t>(size, sizeof bytes);
        for (std::size_t i = 0; i < n; ++i) bytes[i] = dwg_r2004_magic(i);
        put(bytes, n);
        size -= n;
    }
}

void DwgR2004Container::write_data_page(Section& s) {
    // Every page but the last is full, so a page starts at its index times the page size.
    const std::uint64_t start = static_cast<std::uint64_t>(s.pages.size()) * s.page_size;
    // The last page of a section is filled up with zero bytes to its full size.
    s.buffer.resize(s.page_size, 0);
    const std::vector<std::uint8_t>* data = &s.buffer;
    if (s.compressed) {
        scratch_.clear();
        compressor_.compress(s.buffer.data(), s.buffer.size(), scratch_);
        data = &scratch_;
    }
    const std::uint32_t data_size = static_cast<std::uint32_t>(data->size());
    const std::uint32_t page_size = static_cast<std::uint32_t>(round_up(32 + data_size, 0x20));
    const std::uint32_t data_checksum = dwg_page_checksum(0, data->data(), data->size());

    std::uint32_t fields[8] = {page_type_data,
                               static_cast<std::uint32_t>(s.number),
                               data_size,
                               page_size,
                               static_cast<std::uint32_t>(start),
                               static_cast<std::uint32_t>(start >> 32),
                               0,
                               data_checksum};
    std::uint8_t header[32];
    for (int i = 0; i < 8; ++i) set_le(header + 4 * i, fields[i], 4);
    fields[6] = dwg_page_checksum(data_checksum, header, sizeof header);
    const std::uint32_t mask = data_header_mask ^ static_cast<std::uint32_t>(offset_);
    for (int i = 0; i < 8; ++i) set_le(header + 4 * i, fields[i] ^ mask, 4);

    const std::uint32_t id = static_cast<std::uint32_t>(pages_.size() + 1);
    pages_.push_back({id, page_size});
    s.pages.push_back({id, data_size, start});
    put(header, sizeof header);
    put(data->data(), data->size());
    pad(page_size - 32 - data_size);
    compressed_bytes_ += data_size;
    s.buffer.clear();
}

std::uint32_t DwgR2004Container::write_system_page(std::uint32_t type,
                                                   const std::vector<std::uint8_t>& data,
                                                   std::uint32_t reserved,
                                                   std::vector<std::uint8_t>* tail) {
    scratch_.clear();
    compressor_.compress(data.data(), data.size(), scratch_);
    std::uint8_t header[20];
    set_le(header, type, 4);
    set_le(header + 4, data.size(), 4);
    set_le(header + 8, scratch_.size(), 4);
    set_le(header + 12, 2, 4);
    set_le(header + 16, 0, 4);
    const std::uint32_t sum = dwg_page_checksum(dwg_page_checksum(0, header, sizeof header),
                                                scratch_.data(), scratch_.size());
    set_le(header + 16, sum, 4);
    std::uint64_t used = sizeof header + scratch_.size();
    put(header, sizeof header);
    put(scratch_.data(), scratch_.size());
    if (tail != nullptr) {
        put(tail->data(), tail->size());
        used += tail->size();
    }
    const std::uint64_t size = reserved != 0 ? reserved : round_up(used, 0x20);
    pad(static_cast<std::size_t>(size - used));
    return static_cast<std::uint32_t>(size);
}

void DwgR2004Container::finish(const DwgR2004FileInfo& info) {
    for (Section& s : sections_)
        if (!s.buffer.empty()) write_data_page(s);

    // The section map: a count, constants, then an unnamed empty section and
    // each section (highest number first) with its pages. (Readers take a
    // description that ends the map for a truncated one, so the empty one
    // goes first, as AutoCAD has it.)
    std::vector<std::uint8_t> map;
    const std::size_t count = sections_.size() + 1;
    put_le(map, count, 4);
    put_le(map, 2, 4);
    put_le(map, 0x7400, 4);
    put_le(map, 0, 4);
    put_le(map, count, 4);
    std::vector<const Section*> order;
    for (const Section& s : sections_) order.push_back(&s);
    std::sort(order.begin(), order.end(),
              [](const Section* a, const Section* b) { return a->number > b->number; });
    const auto describe = [&map](std::uint64_t size, std::size_t pages, std::uint32_t page_size,
                                 bool compressed, int number, std::uint32_t encrypted,
                                 const std::string& name) {
        put_le(map, size, 8);
        put_le(map, pages, 4);
        put_le(map, page_size, 4);
        put_le(map, 1, 4);
        put_le(map, compressed ? 2 : 1, 4);
        put_le(map, static_cast<std::uint32_t>(number), 4);
        put_le(map, encrypted, 4);
        char field[64] = {};
        std::memcpy(field, name.data(), std::min<std::size_t>(name.size(), 63));
        map.insert(map.end(), field, field + 64);
    };
    describe(0, 0, 0x7400, true, 0, 0, std::string());
    for (const Section* s : order) {
        describe(s->size, s->pages.size(), s->page_size, s->compressed, s->number, s->encrypted,
                 s->name);
        for (const SectionPage& p : s->pages) {
            put_le(map, p.id, 4);
            put_le(map, p.data_size, 4);
            put_le(map, p.start, 8);
        }
    }

    const std::uint32_t section_map_id = static_cast<std::uint32_t>(pages_.size() + 1);
    const std::uint32_t section_map_size =
        write_system_page(page_type_section_map, map, 0, nullptr);
    pages_.push_back({section_map_id, section_map_size});

    // The page map lists every page, itself last; its size must be known
    // before it is compressed, so it reserves room for the worst case (all
    // literals) and the header copy that follows its data.
    const std::uint32_t page_map_id = static_cast<std::uint32_t>(pages_.size() + 1);
    const std::uint64_t page_map_address = offset_;
    const std::size_t map_bytes = 8 * (pages_.size() + 1);
    const std::uint32_t reserved = static_cast<std::uint32_t>(
        round_up(20 + map_bytes + map_bytes / 255 + 8 + header_block, 0x20));
    pages_.push_back({page_map_id, reserved});
    map.clear();
    for (const PageRecord& p : pages_) {
        put_le(map, p.id, 4);
        put_le(map, p.size, 4);
    }

    // The header block: where the maps are and how the pages count.
    std::vector<std::uint8_t> block;
    const char id[12] = {'A', 'c', 'F', 's', 's', 'F', 'c', 'A', 'J', 'M', 'B', 0};
    block.insert(block.end(), id, id + 12);
    put_le(block, 0, 4);
    put_le(block, header_block, 4);
    put_le(block, 4, 4);
    put_le(block, 0, 4);  // gap tree: none
    put_le(block, 0, 4);
    put_le(block, 0, 4);
    put_le(block, 1, 4);
    put_le(block, page_map_id, 4);                               // the last page
    put_le(block, page_map_address + reserved - first_page, 8);  // where the pages end
    // The copy of this block follows the page map's compressed data; its
    // address is settled once that data is, so compress the map first.
    std::vector<std::uint8_t> probe;
    compressor_.compress(map.data(), map.size(), probe);
    const std::uint64_t copy_address = page_map_address + 20 + probe.size();
    put_le(block, copy_address, 8);
    put_le(block, 0, 4);  // gaps
    put_le(block, pages_.size(), 4);
    put_le(block, 0x20, 4);
    put_le(block, 0x80, 4);
    put_le(block, 0x40, 4);
    put_le(block, page_map_id, 4);
    put_le(block, page_map_address - first_page, 8);
    put_le(block, section_map_id, 4);
    put_le(block, page_map_id, 4);  // the highest page number
    put_le(block, 0, 4);            // gap array
    put_le(block, 0, 4);
    set_le(block.data() + 0x68, crc32(block.data(), block.size()), 4);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] ^= dwg_r2004_magic(i);

    write_system_page(page_type_page_map, map, reserved, &block);

    // The file header: the plain part, the encrypted block at 0x80, then the
    // pseudo-random bytes that fill it to 0x100.
    std::vector<std::uint8_t> head;
    const char magic[6] = {'A', 'C', '1', '0', '1', '8'};
    head.insert(head.end(), magic, magic + 6);
    put_le(head, 0, 5);
    head.push_back(info.maintenance);
    head.push_back(3);
    put_le(head, 0, 4);  // preview image address: none
    head.push_back(info.app_version);
    head.push_back(info.app_maintenance);
    put_le(head, info.codepage, 2);
    head.push_back(0);
    head.push_back(info.app_version);
    head.push_back(info.app_maintenance);
    put_le(head, 0, 4);  // security flags: none
    put_le(head, 0, 4);
    put_le(head, 0, 4);  // summary info address: none
    put_le(head, 0, 4);  // VBA project address: none
    put_le(head, 0x80, 4);
    head.resize(0x80, 0);
    head.insert(head.end(), block.begin(), block.end());
    for (std::size_t i = head.size(); i < first_page; ++i) head.push_back(dwg_r2004_magic(i));
    sink_.write_at(0, head.data(), head.size());
}

}  // namespace penloom
