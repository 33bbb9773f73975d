// Entities formatted beside the interpreter (begin_dxf_body): the file a save
// writes from that text is the file the save writes alone, byte for byte,
// whatever the tables did after the entities were formatted; failed saves
// end as they do without it.
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "drawing_fixture.h"

namespace penloom::testing {
namespace {

constexpr double pi = 3.141592653589793;

// What may go differently while a drawing is filled.
struct Twists {
    bool layer_never_added = false;     // announced, used, and its add fails
    bool style_renamed = false;         // a text style renamed after texts used it
    bool refused_entity = false;        // an entity dropped for a taken handle
    bool handles_in_r12 = false;        // $HANDLING left on
    std::size_t start_after = 0;        // entities added before the formatter starts
};

class BodyTest : public DrawingTest {
protected:
    // A drawing filled the way the translator fills one: pen layers and
    // linetypes take their handles (and are announced) on first use and are
    // added when the drawing is finished, a text style is added on first use,
    // entities of every kind on many layers in between. With `formatter`, the
    // entities' text for a save at version/places is formatted as it goes.
    std::unique_ptr<Drawing> fill(int version, int places, bool formatter, const Twists& twists,
                                  int entities = 3000) {
        auto d = create_drawing(lib, version >= version_2000 ? 7 : 6);
        EXPECT_TRUE(d);
        // Small pieces: the formatter reads many of them while the drawing grows.
        d->store.buffer_size = 4096;
        EntityList* ms = model_space(*d);
        std::mt19937 random(version * 100 + places);
        auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        auto real = [&](double scale) { return std::ldexp(static_cast<double>(random()), -32) * scale; };

        std::vector<Handle> layers(41), linetypes(4);
        Handle style{};
        std::vector<Handle> taken;
        auto layer_of = [&](int pen) {
            if (is_null_handle(layers[pen])) {
                new_handle(*d, layers[pen]);
                announce_layer(*d, layers[pen], "Pen " + std::to_string(pen));
            }
            return layers[pen];
        };
        auto linetype_of = [&](int n) {
            if (n == 0)
                return d->bylayer_linetype;
            if (is_null_handle(linetypes[n])) {
                new_handle(*d, linetypes[n]);
                announce_linetype(*d, linetypes[n], "HP_DASH_" + std::to_string(n));
            }
            return linetypes[n];
        };
        auto add = [&](std::uint16_t type, const std::function<void(EntityHeader&, EntityRecord&)>& set) {
            EntityHeader h;
            EntityRecord r;
            h.type = type;
            init_entity(*d, h, r);
            new_handle(*d, h.handle);
            h.layer = layer_of(1 + below(40));
            h.linetype = linetype_of(below(4));
            h.color = below(3) == 0 ? static_cast<std::int16_t>(1 + below(255)) : 256;
            set(h, r);
            EXPECT_TRUE(add_entity(*d, *ms, h, r)) << last_error(lib);
            taken.push_back(h.handle);
        };
        auto blob = [&](const std::vector<double>& values) {
            const BlobId id = create_blob(*d, 4096);
            BlobWriter w = open_blob_writer(*d, id);
            for (double v : values)
                blob_write(w, &v, 8);
            close_blob_writer(w);
            return id;
        };

        for (int i = 0; i < entities; ++i) {
            if (formatter && static_cast<std::size_t>(i) == twists.start_after) {
                EXPECT_TRUE(begin_dxf_body(*d, dir + "out.dxf", version, places));
            }
            if (twists.refused_entity && i == entities / 2) {
                EntityHeader h;
                EntityRecord r;
                h.type = entity_circle;
                init_entity(*d, h, r);
                h.handle = taken[taken.size() / 2];
                EXPECT_FALSE(add_entity(*d, *ms, h, r));
                EXPECT_EQ(last_error(lib), 172);
            }
            const double x = real(400.0), y = real(300.0);
            switch (below(6)) {
            case 0:
                add(lwpolyline_type(*d), [&](EntityHeader&, EntityRecord& r) {
                    const int n = 2 + below(30);
                    const bool bulges = below(2) == 0;
                    std::vector<double> values;
                    for (int k = 0; k < n; ++k) {
                        values.push_back(x + real(50.0));
                        values.push_back(y - real(50.0));
                        if (bulges)
                            values.push_back(below(3) == 0 ? 0.0 : real(2.0) - 1.0);
                    }
                    r.lwpolyline.vertex_count = n;
                    r.lwpolyline.flags = static_cast<std::uint16_t>(
                        lwpolyline_translator_mark | (bulges ? lwpolyline_has_bulges : 0) | (below(4) == 0 ? 512 : 0));
                    r.lwpolyline.vertices = blob(values);
                });
                break;
            case 1:
                add(entity_arc, [&](EntityHeader&, EntityRecord& r) {
                    r.arc.center = Point3{x, y, 0.0}, r.arc.radius = real(20.0) + 0.001;
                    r.arc.start_angle = real(pi), r.arc.end_angle = pi + real(pi);
                });
                break;
            case 2:
                add(entity_circle, [&](EntityHeader&, EntityRecord& r) {
                    r.circle.center = Point3{x, y, 0.0}, r.circle.radius = real(1e-6);
                });
                break;
            case 3:
                if (is_null_handle(style)) {
                    TextStyleTableRecord record;
                    init_text_style_record(record);
                    record.name = "hp font 5", record.font_file = "romans.shx";
                    new_handle(*d, record.handle);
                    EXPECT_TRUE(add_text_style(*d, record));
                    style = record.handle;
                }
                add(entity_text, [&](EntityHeader&, EntityRecord& r) {
                    r.text.insert = r.text.align = Point3{x, y, 0.0};
                    r.text.height = 2.5, r.text.text = "Label^" + std::to_string(i) + "\t";
                    r.text.rotation = below(2) * pi / 2.0, r.text.style = below(2) ? style : r.text.style;
                    r.text.halign = static_cast<std::int16_t>(below(3));
                });
                break;
            case 4:
                add(hatch_type(*d), [&](EntityHeader&, EntityRecord& r) {
                    r.hatch.path_count = 1;
                    const BlobId paths = create_blob(*d, 4096);
                    BlobWriter w = open_blob_writer(*d, paths);
                    const std::int32_t flags = hatch_path_polyline | hatch_path_external, count = 4, none = 0;
                    const std::int16_t no_bulge = 0, closed = 1;
                    blob_write(w, &flags, 4), blob_write(w, &no_bulge, 2), blob_write(w, &closed, 2);
                    blob_write(w, &count, 4);
                    for (const double v : {x, y, x + 10.0, y, x + 10.0, y + 10.0, x, y + 10.0})
                        blob_write(w, &v, 8);
                    blob_write(w, &none, 4);
                    close_blob_writer(w);
                    r.hatch.paths = paths;
                    r.hatch.seed_count = 1, r.hatch.seeds = blob({x, y});
                });
                break;
            default:
                add(entity_polyline, [&](EntityHeader&, EntityRecord& r) {
                    r.polyline.flags = polyline_continuous_linetype;
                });
                for (int k = 0; k < 3; ++k)
                    add(entity_vertex, [&](EntityHeader&, EntityRecord& r) {
                        r.vertex.location = Point3{x + k, y, 0.0}, r.vertex.bulge = k == 1 ? 0.5 : 0.0;
                    });
                add(entity_seqend, [](EntityHeader&, EntityRecord&) {});
                break;
            }
        }

        // Finishing: the used layers and linetypes go into the tables now.
        if (twists.style_renamed && !is_null_handle(style)) {
            TextStyleTableRecord record;
            first_text_style(*d);
            while (next_text_style(*d, record))
                if (record.handle == style) {
                    record.name = "HP_FONT_RENAMED";
                    EXPECT_TRUE(update_text_style(*d, record));
                }
        }
        for (int pen = 1; pen <= 40; ++pen) {
            if (is_null_handle(layers[pen]))
                continue;
            LayerTableRecord layer;
            init_layer_record(*d, layer);
            layer.name = twists.layer_never_added && pen == 7 ? "" : "Pen " + std::to_string(pen);
            layer.color = static_cast<std::int16_t>(pen);
            layer.handle = layers[pen];
            EXPECT_EQ(add_layer(*d, layer), layer.name != "");
        }
        for (int n = 1; n <= 3; ++n) {
            if (is_null_handle(linetypes[n]))
                continue;
            LinetypeTableRecord linetype;
            init_linetype_record(linetype);
            linetype.name = "HP_DASH_" + std::to_string(n);
            linetype.dashes = {LinetypeDash{}, LinetypeDash{}};
            linetype.dashes[0].length = n, linetype.dashes[1].length = -1.0, linetype.pattern_length = n + 1.0;
            linetype.handle = linetypes[n];
            EXPECT_TRUE(add_linetype(*d, linetype));
        }
        HeaderRecord header;
        get_header(*d, header);
        header.extmin = Point3{0.0, 0.0, 0.0}, header.extmax = Point3{450.0, 300.0, 0.0};
        if (version < version_r14 && !twists.handles_in_r12)
            header.handling = 0;   // as the translator finishes R12 and R13 drawings
        set_header(*d, header);
        return d;
    }

    // The save of a drawing filled with the formatter running, and of its
    // twin filled without; whether the save took the formatted text.
    bool same_file(int version, int places, const Twists& twists) {
        auto alone = fill(version, places, false, twists);
        const std::string expected = save_text(*alone, version, places, "alone.dxf");
        EXPECT_FALSE(lib.entities_preformatted);
        auto beside = fill(version, places, true, twists);
        EXPECT_EQ(save_text(*beside, version, places), expected);
        return lib.entities_preformatted;
    }
};

TEST_F(BodyTest, EveryReleaseAndPrecisionGivesTheFileOfTheSaveAlone) {
    // Small copy pieces: the text formatted so far goes into the file while
    // the formatter finishes, and the copied part leaves its file meanwhile.
    lib.copy_piece = 4096;
    for (const int version : {version_r12, version_r13, version_r14, version_2000}) {
        for (const int places : {6, 0, 3, 16}) {
            SCOPED_TRACE(std::to_string(version) + " at " + std::to_string(places) + " places");
            EXPECT_TRUE(same_file(version, places, Twists{}));
        }
    }
}

// Where the formatted text would differ, the save writes the file itself;
// where the change cannot show in it, the text is used. (A style renamed
// after its texts shows only when the formatter met them before the rename,
// which depends on how far behind it ran: either way the file is the same.)
TEST_F(BodyTest, LateChangesToWhatEntitiesShowAreCaught) {
    const struct {
        const char* name;
        int version;
        Twists twists;
        int preformatted;   // 1 yes, 0 no, -1 either
    } rows[] = {
        {"a layer announced but never added", version_2000, {.layer_never_added = true}, 0},
        {"a layer announced but never added, R12", version_r12, {.layer_never_added = true}, 0},
        {"a text style renamed after its texts", version_2000, {.style_renamed = true}, -1},
        {"an entity refused for a taken handle", version_2000, {.refused_entity = true}, 1},
        {"an entity refused for a taken handle, R12", version_r12, {.refused_entity = true}, 1},
        {"R12 with handles", version_r12, {.handles_in_r12 = true}, 0},
        {"formatter started on a half-filled drawing", version_2000, {.start_after = 1500}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool preformatted = same_file(row.version, 6, row.twists);
        if (row.preformatted >= 0) {
            EXPECT_EQ(preformatted, row.preformatted == 1);
        }
    }
}

// Any other save (another release, other places, DWG) is written as usual,
// and the formatter of a drawing released unsaved stops.
TEST_F(BodyTest, OtherSavesAndUnsavedDrawings) {
    auto alone = fill(version_r14, 6, false, Twists{});
    const std::string r14 = save_text(*alone, version_r14, 3, "alone.dxf");
    auto beside = fill(version_r14, 6, true, Twists{});
    EXPECT_EQ(save_text(*beside, version_r14, 3), r14);
    EXPECT_FALSE(lib.entities_preformatted);
    auto dropped = fill(version_2000, 6, true, Twists{});
    release_drawing(dropped);
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"alone.dxf", "out.dxf"}));
}

// A write failing anywhere (in the tables, in the copied entities, at the
// end) fails as the save alone does: error 27, the disk-full callback, the
// old file untouched and nothing else left in the folder. So does an output
// name that cannot be replaced.
TEST_F(BodyTest, FailedSavesEndAsWithoutTheFormatter) {
    lib.copy_piece = 4096;
    auto alone = fill(version_2000, 6, false, Twists{}, 800);
    const std::string full = save_text(*alone, version_2000, 6, "alone.dxf");
    const std::size_t entities_at = full.find("ENTITIES");
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    spill(dir + "out.dxf", "old contents");
    for (std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{entities_at / 2}, std::uint64_t{entities_at + 100},
                                std::uint64_t{full.size() - 20}, std::uint64_t{full.size() - 1}}) {
        SCOPED_TRACE(limit);
        auto beside = fill(version_2000, 6, true, Twists{}, 800);
        lib.write_limit = limit;
        EXPECT_FALSE(save_drawing(*beside, dir + "out.dxf", file_kind_ascii_dxf, version_2000, false, 6));
        EXPECT_EQ(last_error(lib), 27);
        EXPECT_EQ(slurp(dir + "out.dxf"), "old contents");
        EXPECT_EQ(names_in(dir), (std::vector<std::string>{"alone.dxf", "out.dxf"}));
    }
    EXPECT_EQ(severities, std::vector<std::int16_t>(5, severity_disk_full));
    lib.write_limit = UINT64_MAX;

    ASSERT_EQ(::mkdir((dir + "taken.dxf").c_str(), 0755), 0);
    auto beside = fill(version_2000, 6, false, Twists{}, 800);
    ASSERT_TRUE(begin_dxf_body(*beside, dir + "taken.dxf", version_2000, 6));
    EXPECT_FALSE(save_drawing(*beside, dir + "taken.dxf", file_kind_ascii_dxf, version_2000, false, 6));
    EXPECT_EQ(last_error(lib), 3);
    EXPECT_EQ(names_in(dir), (std::vector<std::string>{"alone.dxf", "out.dxf", "taken.dxf"}));

    // No folder to put the text in: nothing starts, the save fails as usual.
    auto nowhere = fill(version_2000, 6, false, Twists{}, 10);
    EXPECT_FALSE(begin_dxf_body(*nowhere, dir + "missing/out.dxf", version_2000, 6));
    EXPECT_FALSE(save_drawing(*nowhere, dir + "missing/out.dxf", file_kind_ascii_dxf, version_2000, false, 6));
    EXPECT_EQ(last_error(lib), 3);
}

}  // namespace
}  // namespace penloom::testing
