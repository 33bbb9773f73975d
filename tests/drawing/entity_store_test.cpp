// The entity store on its temporary file: reads across the file and the
// in-memory tail, the cursor's windows of the file, the file having no name, a
// file that cannot be made, and drawings saved from a store that spilled many
// times giving the same text as from one that never spilled.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/entity_codec.h"
#include "drawing/entity_store.h"
#include "drawing_fixture.h"
#include "sample_drawing.h"

namespace penloom::testing {
namespace {

// Reads across the file and the tail, and past the end; the file has no
// name and closes with the store. Walks over many spills:
// DrawingsFromASpilledStoreSaveTheSameText.
TEST(EntityStore, ReadsAcrossTheSpillAndStopAtTheEnd) {
    EntityStore store;
    store.buffer_size = 64;
    std::vector<std::uint8_t> bytes(100), plain(8), windowed(8);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(store_append(store, bytes.data(), 100), 0u);
    EXPECT_EQ(store.spilled, 64u);
    StoreCursor cursor{&store, 0};
    EXPECT_TRUE(store_read(store, 60, plain.data(), 8) && cursor_read(cursor, 60, windowed.data(), 8));
    EXPECT_EQ(plain, std::vector<std::uint8_t>(bytes.begin() + 60, bytes.begin() + 68));
    EXPECT_EQ(windowed, plain);
    EXPECT_TRUE(store_read(store, 100, plain.data(), 0));
    EXPECT_FALSE(store_read(store, 95, plain.data(), 6));
    EXPECT_FALSE(cursor_read(cursor, 101, plain.data(), 0));
    char target[512] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(store.file.fd);
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_NE(std::string(target).find("(deleted)"), std::string::npos) << target;
    store_clear(store);
    EXPECT_EQ(store.file.fd, -1);
}

// A run of vertices stores its header once; each following one that
// differs from the one before in any field, or skips a handle, stores its
// own. Every header comes back as it went in.
TEST(EntityCodec, HeadersComeBackWhetherStoredOrRepeated) {
    EntityHeader base;
    base.type = entity_vertex, base.handle = make_handle(0x41), base.layer = make_handle(0x10);
    base.linetype = make_handle(0x14), base.color = 3, base.lineweight = 35;
    std::vector<EntityHeader> headers;
    auto next = [&](auto change) {
        EntityHeader h = headers.empty() ? base : headers.back();
        h.handle = make_handle(handle_value(h.handle) + 1);
        change(h);
        headers.push_back(h);
    };
    next([](EntityHeader&) {});
    next([](EntityHeader&) {});  // repeated
    next([](EntityHeader& h) { h.handle = make_handle(handle_value(h.handle) + 1); });
    next([](EntityHeader& h) { h.type = entity_seqend; });
    next([](EntityHeader& h) { h.layer = make_handle(0x11); });
    next([](EntityHeader& h) { h.linetype = make_handle(0x15); });
    next([](EntityHeader& h) { h.color = 256; });
    next([](EntityHeader& h) { h.lineweight = -1; });
    next([](EntityHeader& h) { h.flags = entity_flag_invisible; });
    next([](EntityHeader& h) { h.linetype_scale = 2.0; });
    next([](EntityHeader& h) { h.scale2 = -0.0; });
    next([](EntityHeader&) {});  // repeated
    EntityStore store;
    std::vector<std::uint8_t> scratch;
    const EntityHeader* previous = nullptr;
    std::vector<std::size_t> sizes;
    for (const EntityHeader& h : headers) {
        const auto bytes = encode_entity(scratch, 0, entity_kind(h.type, 0, 0), h, h.handle, EntityRecord{},
                                         EntityBlobs{}, previous);
        store_append(store, bytes.data(), bytes.size());
        sizes.push_back(bytes.size());
        previous = &h;
    }
    EXPECT_LT(sizes[1], sizes[0]);
    EXPECT_LT(sizes[11], sizes[10]);
    StoreCursor cursor{&store, 0};
    RecordKind kind;
    std::vector<std::uint8_t> payload;
    std::span<const std::uint8_t> view;
    StoredEntity e;
    for (const EntityHeader& h : headers) {
        SCOPED_TRACE(&h - headers.data());
        ASSERT_TRUE(next_record(cursor, kind, payload, view));
        ASSERT_TRUE(decode_entity(view, 0, 0, e));
        EXPECT_EQ(handle_value(e.header.handle), handle_value(h.handle));
        EXPECT_EQ(e.header.type, h.type);
        EXPECT_EQ(e.header.layer, h.layer);
        EXPECT_EQ(e.header.linetype, h.linetype);
        EXPECT_EQ(e.header.color, h.color);
        EXPECT_EQ(e.header.lineweight, h.lineweight);
        EXPECT_EQ(e.header.flags, h.flags);
        EXPECT_EQ(e.header.linetype_scale, h.linetype_scale);
        EXPECT_EQ(std::signbit(e.header.scale2), std::signbit(h.scale2));
    }
    StoredEntity fresh;  // a repeated header needs the entity before it
    EXPECT_FALSE(decode_entity(view, 0, 0, fresh));
}

// A folder that cannot hold the file fails the store, and add_entity reports
// the lost entity as fatal.
TEST_F(DrawingTest, AStoreThatCannotSpillIsFatal) {
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    auto drawing = create_drawing(lib, version_2000);
    ASSERT_TRUE(drawing);
    drawing->store.buffer_size = 16, drawing->store.folder = "/nonexistent/penloom-store";
    EntityHeader h;
    EntityRecord r;
    h.type = entity_circle;  // its record is longer than the 16-byte tail
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_FALSE(add_entity(*drawing, *model_space(*drawing), h, r));
    EXPECT_EQ(last_error(lib), 44);
    EXPECT_EQ(severities, std::vector<std::int16_t>{severity_allocation});
}

// The same drawing with tails of several sizes saves to the same text: the
// file is invisible to the writer.
TEST_F(DrawingTest, DrawingsFromASpilledStoreSaveTheSameText) {
    for (int version : {version_r12, version_2000}) {
        std::string reference;
        for (std::size_t buffer : {std::size_t{1} << 22, std::size_t{97}, std::size_t{16}}) {
            SCOPED_TRACE(std::to_string(version) + " " + std::to_string(buffer));
            SampleDrawing sample = build_sample_drawing(lib, 7);
            EntityStore& store = sample.drawing->store;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(store.size));
            ASSERT_TRUE(store_read(store, 0, bytes.data(), bytes.size()));
            store = EntityStore{};
            store.buffer_size = buffer;
            store_append(store, bytes.data(), bytes.size());
            EXPECT_EQ(store.file.fd >= 0, buffer < bytes.size());  // small stores never make a file
            const std::string text = save_text(*sample.drawing, version);
            if (reference.empty()) reference = text;
            EXPECT_EQ(text, reference);
        }
    }
}

}  // namespace
}  // namespace penloom::testing
