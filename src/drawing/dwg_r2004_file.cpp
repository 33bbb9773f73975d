// The 2004 DWG save: the same header variables, classes, objects and object
// map as the 2000 writer makes (with the 2004 changes the object writers
// make when c.r2004()), each written into its section of the paged
// container instead of at its place in a flat file. In: the save's context.
// Out: the file through the save's output buffer, the file header last.
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "drawing/drawing_internal.h"
#include "drawing/dwg_r2004_container.h"
#include "drawing/dwg_writer_internal.h"

namespace penloom {

namespace {

constexpr std::uint8_t release_2004 = 0x19;  // AutoCAD's number for the 2004 format

// The container's pages go straight to the file through the save's output
// buffer; its file header is kept and written over the placeholder at the
// end.
class OutSink : public DwgPageSink {
   public:
    explicit OutSink(DwgOut& out) : out_(out) {}

    void write(const std::uint8_t* data, std::size_t size) override {
        // Called while the objects stream into a section: step past the
        // section routing and leave the section's offset alone.
        DwgR2004Container* box = out_.container;
        const std::uint64_t offset = out_.offset;
        out_.container = nullptr;
        dwg_out_write(out_, data, size);
        out_.container = box;
        out_.offset = offset;
    }

    void write_at(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        head_offset = offset;
        head.assign(data, data + size);
    }

    std::uint64_t head_offset = 0;
    std::vector<std::uint8_t> head;

   private:
    DwgOut& out_;
};

bool write_at(int fd, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// `bytes` little-endian bytes of value; past the eighth they are zero.
void put_le(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(i < 8 ? value >> (8 * i) : 0));
}

// The auxiliary header (raw bytes): the release, save counts, the dates and
// the handle seed; readers insist on finding it.
std::vector<std::uint8_t> aux_header(const DwgContext& c) {
    const HeaderRecord& h = c.drawing.header;
    std::vector<std::uint8_t> out = {0xFF, 0x77, 0x01};
    put_le(out, release_2004, 2);
    put_le(out, 0, 2);  // maintenance
    put_le(out, 1, 4);  // saves
    put_le(out, 0xFFFFFFFF, 4);
    put_le(out, 1, 2);
    put_le(out, 0, 2);
    put_le(out, 0, 4);
    for (int i = 0; i < 2; ++i) {  // release and maintenance, twice
        put_le(out, release_2004, 2);
        put_le(out, 0, 2);
    }
    for (int v : {4, 0x565, 0, 0, 2, 1}) put_le(out, static_cast<std::uint64_t>(v), 2);
    for (std::uint64_t v : {0u, 0u, 0u, 256u, 393218u}) put_le(out, v, 4);
    put_le(out, static_cast<std::uint32_t>(h.tdcreate.day), 4);
    put_le(out, static_cast<std::uint32_t>(h.tdcreate.milliseconds), 4);
    put_le(out, static_cast<std::uint32_t>(h.tdupdate.day), 4);
    put_le(out, static_cast<std::uint32_t>(h.tdupdate.milliseconds), 4);
    put_le(out, c.handle_seed, 8);
    put_le(out, 0, 2);
    put_le(out, 1, 2);  // saves
    put_le(out, 0, 4 * 3);
    put_le(out, 1, 4);  // saves
    put_le(out, 0, 4 * 4);
    return out;
}

// A text as the AppInfo section keeps it: a 16-bit count of characters
// (the terminating zero counted), then UTF-16LE.
void put_text16(std::vector<std::uint8_t>& out, std::string_view text) {
    put_le(out, text.size() + 1, 2);
    for (char ch : text) put_le(out, static_cast<std::uint8_t>(ch), 2);
    put_le(out, 0, 2);
}

// Which program wrote the file: a list of three texts (version, comment,
// product description), each after a 16-byte checksum readers do not check.
std::vector<std::uint8_t> app_info() {
    std::vector<std::uint8_t> out;
    put_le(out, 3, 4);
    put_text16(out, "AppInfoDataList");
    put_le(out, 3, 4);
    const std::string_view texts[3] = {
        "1.0", "This file was written by penloom, a plot translator.",
        "<ProductInformation name =\"penloom\" build_version=\"1.0\" registry_version=\"1.0\" "
        "install_id_string=\"penloom\" registry_localeID=\"1033\"/>"};
    for (std::string_view text : texts) {
        put_le(out, 0, 16);
        put_text16(out, text);
    }
    return out;
}

}  // namespace

void dwg_r2004_section_write(DwgOut& out, const std::uint8_t* data, std::size_t size) {
    out.offset += size;
    out.container->append(out.section, data, size);
}

bool write_file_r2004(DwgContext& c) {
    // 2004 has no VX table (nor its control object): the handle seed is the drawing's.
    c.vx_control = 0;
    c.handle_seed = c.drawing.handle_seed;
    number_classes(c);
    OutSink sink(c.out);
    DwgR2004Container box(sink);
    const int header = box.add_section(dwg_r2004_header, "AcDb:Header", true);
    const int aux = box.add_section(dwg_r2004_aux_header, "AcDb:AuxHeader", true);
    const int classes = box.add_section(dwg_r2004_classes, "AcDb:Classes", true);
    const int handles = box.add_section(dwg_r2004_handles, "AcDb:Handles", true);
    const int templ = box.add_section(dwg_r2004_template, "AcDb:Template", true);
    const int objects = box.add_section(dwg_r2004_objects, "AcDb:AcDbObjects", true);
    const std::vector<std::uint8_t> info_data = app_info();
    const int info_section =
        box.add_section(dwg_r2004_app_info, "AcDb:AppInfo", false,
                        static_cast<std::uint32_t>((info_data.size() + 0x7F) / 0x80 * 0x80));
    box.append(info_section, info_data.data(), info_data.size());

    BitWriter data;
    put_header_variables(c, data);
    const std::vector<std::uint8_t> head = dwg_framed_header(data);
    box.append(header, head.data(), head.size());
    const std::vector<std::uint8_t> aux_data = aux_header(c);
    box.append(aux, aux_data.data(), aux_data.size());
    bits_clear(data);
    put_classes(c, data);
    std::vector<std::uint8_t> class_data = dwg_framed_classes(data);
    class_data.resize(class_data.size() + 8, 0);  // AutoCAD leaves 8 zero bytes behind the sentinel
    box.append(classes, class_data.data(), class_data.size());

    // The objects: offsets in the object map count from the section's start.
    c.out.container = &box;
    c.out.section = objects;
    c.out.offset = 0;
    const std::uint8_t gap[4] = {0xCA, 0x0D, 0x00, 0x00};
    dwg_out_write(c.out, gap, sizeof gap);
    write_dwg_tables(c);
    c.block_entities.assign(c.drawing.blocks.size(), DwgBlockEntities{});
    c.block_owned.assign(c.drawing.blocks.size(), std::vector<std::uint64_t>{});
    c.writing_entities = true;
    const bool entities_ok = write_dwg_entities(c);
    c.writing_entities = false;
    if (!entities_ok) {
        c.out.container = nullptr;
        return false;
    }
    write_dwg_blocks(c);
    c.block_owned.clear();
    c.block_owned.shrink_to_fit();
    write_dwg_objects(c);

    c.out.section = handles;
    c.out.offset = 0;
    write_object_map(c);

    // Template: no description, then the measurement system.
    c.out.section = templ;
    const std::uint8_t measurement[4] = {
        0, 0, static_cast<std::uint8_t>(c.drawing.header.measurement & 0xFF),
        static_cast<std::uint8_t>((c.drawing.header.measurement >> 8) & 0xFF)};
    dwg_out_write(c.out, measurement, sizeof measurement);
    c.out.container = nullptr;

    DwgR2004FileInfo info;
    info.maintenance = 0x68;  // as AutoCAD's 2004 files have it
    info.app_version = release_2004;
    info.codepage = static_cast<std::uint16_t>(
        codepage_name(c.drawing.header.codepage) != nullptr ? c.drawing.header.codepage : 30);
    box.finish(info);
    if (!dwg_out_flush(c.out)) return false;
    if (!write_at(c.out.fd, sink.head_offset, sink.head)) {
        c.out.failed = true;
        return false;
    }
    return true;
}

}  // namespace penloom
