// save_drawing: checks the request, writes the sections in file order into a
// temporary file beside the target and renames it over the target only when
// everything was written. In: a Drawing, a path and the save options. Out:
// the DXF file, or no file and the library's last error.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "drawing/drawing.h"
#include "drawing/drawing_internal.h"
#include "drawing/dxf_body.h"
#include "drawing/dwg_r12_internal.h"
#include "drawing/dwg_writer_internal.h"
#include "drawing/dxf_writer_internal.h"
#include "drawing/save_file.h"

namespace penloom {

namespace {

void collect_names(SaveContext& c) {
    const Drawing& d = c.drawing;
    for (const LayerTableRecord& r : d.layers.records)
        c.layer_names.emplace(handle_value(r.handle), written_name(c, r.name));
    if (!d.layers.records.empty())
        c.default_layer_name = written_name(c, d.layers.records.front().name);
    c.linetype_names.emplace(handle_value(d.byblock_linetype), "BYBLOCK");
    c.linetype_names.emplace(handle_value(d.bylayer_linetype), "BYLAYER");
    for (const LinetypeTableRecord& r : d.linetypes.records)
        c.linetype_names.emplace(handle_value(r.handle), written_name(c, r.name));
    for (const TextStyleTableRecord& r : d.text_styles.records)
        c.style_names.emplace(handle_value(r.handle), written_name(c, r.name));
}

// body: the entities' text formatted beforehand, copied in as it stands.
bool write_file(SaveContext& c, DxfBody* body) {
    write_header_section(c);
    if (c.r13_up())
        write_classes_section(c);
    write_tables_section(c);
    write_blocks_section(c);
    if (c.out.failed)
        return false;
    if (body) {
        begin_section(c, "ENTITIES");
        if (!copy_dxf_body(*body, c, c.out))
            return false;
        end_section(c);
    } else if (!write_entities_section(c)) {
        return false;
    }
    if (c.r13_up())
        write_objects_section(c);
    group_string(c.out, 0, "EOF");
    return !c.out.failed && out_flush(c.out);
}

}  // namespace

bool save_drawing(Drawing& drawing, const std::string& path, int kind, int version, bool negative_zero,
                  int decimal_places, int option_a, int option_b) {
    (void)option_a;
    (void)option_b;
    DrawingLibrary& lib = *drawing.library;
    if (kind == file_kind_dwg) {
        if (version == version_r12)
            return save_dwg_r12(drawing, path);
        if (version < version_r13 || version > version_2004)
            return fail(lib, 21);
        if (drawing.version < version_2000 && version >= version_2000)
            return fail(lib, 306);
        return save_dwg(drawing, path, version);
    }
    if (kind != file_kind_ascii_dxf)
        return fail(lib, 5);
    if (version < version_r12 || version > version_2000)
        return fail(lib, 21);
    if (drawing.version < version_2000 && version >= version_2000)
        return fail(lib, 306);
    lib.number_format = make_number_format(decimal_places, negative_zero);
    lib.entities_preformatted = false;
    // The entities' text, when a formatter has been writing it all along.
    std::unique_ptr<DxfBody, DxfBodyDelete> body = finish_dxf_body(drawing);

    const auto write = [&](int fd, bool& write_failed, DxfBody* early) {
        DxfOut out;
        // Room for the longest group written in one piece (a point's three).
        out_open(out, fd, std::max<std::size_t>(lib.output_buffer, 256), lib.write_limit, lib.number_format);
        SaveContext c{out, drawing, version};
        c.entity_handles = version >= version_r13 || drawing.header.handling != 0;
        c.handle_seed = drawing.handle_seed;
        if (version == version_r12 && c.entity_handles) {
            c.next_extra_handle = drawing.handle_seed;
            c.handle_seed += drawing.lwpolyline_vertices + drawing.lwpolyline_count;
        }
        collect_names(c);
        if (early && !dxf_body_suits(*early, c, negative_zero))
            early = nullptr;
        lib.entities_preformatted = early != nullptr;
        const bool ok = write_file(c, early);
        write_failed = out.failed;
        return ok;
    };
    return save_through_temporary(lib, path, [&](int fd, bool& write_failed) {
        if (body) {
            if (write(fd, write_failed, body.get()))
                return true;
            // Whatever went wrong, the file is written again the usual way,
            // with the formatted text and its disk space gone: that save's
            // outcome is the one to report.
            body.reset();
            if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
                write_failed = true;
                return false;
            }
        }
        return write(fd, write_failed, nullptr);
    });
}

std::string legacy_name(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size() && out.size() < 31; ++i) {
        const char ch = name[i];
        if (ch >= 'a' && ch <= 'z')
            out += static_cast<char>(ch - 'a' + 'A');
        else if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' || ch == '$' || ch == '-' ||
                 (ch == '*' && i == 0))
            out += ch;
        else
            out += '_';
    }
    return out;
}

std::string written_name(const SaveContext& c, std::string_view name) {
    return c.is_2000() ? std::string(name) : legacy_name(name);
}

std::string written_block_name(const SaveContext& c, const Block& block) {
    if (c.is_2000() && names_equal(block.name, "*MODEL_SPACE"))
        return "*Model_Space";
    if (c.is_2000() && names_equal(block.name, "*PAPER_SPACE"))
        return "*Paper_Space";
    return written_name(c, block.name);
}

void begin_section(SaveContext& c, std::string_view name) {
    group_string(c.out, 0, "SECTION");
    group_string(c.out, 2, name);
}

void end_section(SaveContext& c) { group_string(c.out, 0, "ENDSEC"); }

}  // namespace penloom
