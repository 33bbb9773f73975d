// The paged file container of R2004 DWG files (AC1018). In: the bytes of
// named sections, appended in any interleaving. Out: through a DwgPageSink,
// the file: the 0x100-byte file header (its second half encrypted), data
// pages (compressed 0x7400-byte pages with encrypted 32-byte headers and
// checksums, written as soon as they fill), then the section map and the
// page map as system pages, a copy of the encrypted header, and finally the
// file header again over the placeholder at offset 0.
//
// Memory stays flat: each section holds at most one page of bytes; what
// grows is one small record per written page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/dwg_r2004_compress.h"

namespace penloom {

// Where the container's bytes go: appended in order, and the file header
// rewritten at offset 0 at the end.
class DwgPageSink {
   public:
    virtual ~DwgPageSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
    virtual void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;
};

// A sink into memory (tests, small files).
class DwgMemorySink : public DwgPageSink {
   public:
    std::vector<std::uint8_t> bytes;
    void write(const std::uint8_t* data, std::size_t size) override;
    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override;
};

// The section numbers and names AutoCAD gives the sections of an R2004 file.
enum DwgR2004Section : int {
    dwg_r2004_header = 1,        // AcDb:Header
    dwg_r2004_aux_header = 2,    // AcDb:AuxHeader
    dwg_r2004_classes = 3,       // AcDb:Classes
    dwg_r2004_handles = 4,       // AcDb:Handles (the object map)
    dwg_r2004_template = 5,      // AcDb:Template
    dwg_r2004_free_space = 6,    // AcDb:ObjFreeSpace
    dwg_r2004_objects = 7,       // AcDb:AcDbObjects
    dwg_r2004_rev_history = 8,   // AcDb:RevHistory
    dwg_r2004_summary_info = 9,  // AcDb:SummaryInfo
    dwg_r2004_preview = 10,      // AcDb:Preview
    dwg_r2004_app_info = 11,     // AcDb:AppInfo
    dwg_r2004_app_info_history = 12,
    dwg_r2004_file_dep_list = 13,  // AcDb:FileDepList
};

// The unencrypted fields of the file header that vary.
struct DwgR2004FileInfo {
    std::uint8_t maintenance = 0;      // 0x0B
    std::uint8_t app_version = 0x19;   // 0x11: the release that saved it (AutoCAD 2004: 0x19)
    std::uint8_t app_maintenance = 0;  // 0x12
    std::uint16_t codepage = 30;       // 0x13: ANSI_1252
};

class DwgR2004Container {
   public:
    // Writes the placeholder header (0x100 bytes) into sink.
    explicit DwgR2004Container(DwgPageSink& sink);

    // Declares a section (before any append to it). number: as
    // DwgR2004Section; page_size: the decompressed size of its pages
    // (0x7400 for compressed sections; uncompressed ones hold one page of
    // their declared size, a multiple of 0x20). Returns a handle for append.
    int add_section(int number, const std::string& name, bool compressed,
                    std::uint32_t page_size = 0x7400, std::uint32_t encrypted = 0);

    // Appends bytes to a section; full pages are written out at once.
    void append(int section, const std::uint8_t* data, std::size_t size);
    // Bytes appended to the section so far (the offset of the next byte
    // inside the section's data).
    std::uint64_t section_size(int section) const;

    // Writes the last pages, the maps, the header copy and the header.
    void finish(const DwgR2004FileInfo& info);

    // For reports: bytes appended to all sections, bytes of compressed page
    // data written.
    std::uint64_t raw_bytes() const { return raw_bytes_; }
    std::uint64_t compressed_bytes() const { return compressed_bytes_; }

   private:
    struct PageRecord {
        std::uint32_t id = 0;
        std::uint32_t size = 0;  // bytes in the file, header and padding included
    };
    struct SectionPage {
        std::uint32_t id = 0;
        std::uint32_t data_size = 0;  // compressed bytes
        std::uint64_t start = 0;      // offset inside the section's data
    };
    struct Section {
        int number = 0;
        std::string name;
        bool compressed = true;
        std::uint32_t page_size = 0x7400;
        std::uint32_t encrypted = 0;
        std::uint64_t size = 0;            // bytes appended
        std::vector<std::uint8_t> buffer;  // the page being filled
        std::vector<SectionPage> pages;
    };

    void write_data_page(Section& s);
    // A system page (section map, page map): 20-byte header, compressed
    // data, padding to reserved bytes (0: to the next 0x20). Returns its size.
    std::uint32_t write_system_page(std::uint32_t type, const std::vector<std::uint8_t>& data,
                                    std::uint32_t reserved, std::vector<std::uint8_t>* tail);
    void put(const std::uint8_t* data, std::size_t size);
    void pad(std::size_t size);

    DwgPageSink& sink_;
    DwgLzCompressor compressor_;
    std::vector<std::uint8_t> scratch_;
    std::vector<Section> sections_;
    std::vector<PageRecord> pages_;
    std::uint64_t offset_ = 0;  // file offset of the next byte
    std::uint64_t raw_bytes_ = 0;
    std::uint64_t compressed_bytes_ = 0;
};

// The encryption of the header block at 0x80: byte i XORed with the i-th
// byte of the format's pseudo-random sequence (also the padding of pages).
std::uint8_t dwg_r2004_magic(std::size_t i);

}  // namespace penloom
