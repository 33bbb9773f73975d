// The entity store on its temporary file: reads across the file and the
// in-memory tail, the cursor's read-ahead window, a file that cannot be made,
// the file having no name, and drawings saved from a store that spilled many
// times giving the same text as from one that never spilled.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "drawing/entity_store.h"
#include "drawing_fixture.h"
#include "sample_drawing.h"

namespace penloom::testing {
namespace {

// A store of `total` bytes 0, 1, 2, ... (mod 251) appended in pieces of
// `piece` bytes, with a tail of `buffer` bytes.
EntityStore filled_store(std::size_t buffer, std::size_t total, std::size_t piece) {
    EntityStore store;
    store.buffer_size = buffer;
    std::vector<std::uint8_t> bytes(total);
    for (std::size_t i = 0; i < total; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    for (std::size_t at = 0; at < total; at += piece)
        EXPECT_EQ(store_append(store, bytes.data() + at, std::min(piece, total - at)), at);
    return store;
}

std::vector<std::uint8_t> expected_bytes(std::uint64_t offset, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>((offset + i) % 251);
    return v;
}

TEST(EntityStore, ReadsAnyRangeAcrossTheFileAndTheTail) {
    EntityStore store = filled_store(64, 1000, 7);
    EXPECT_EQ(store.size, 1000u);
    EXPECT_EQ(store.spilled, 960u);  // 15 full tails went to the file
    const struct { const char* name; std::uint64_t offset; std::size_t n; } rows[] = {
        {"across a spill boundary", 60, 10}, {"file into tail", 950, 30}, {"empty at the end", 1000, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> plain(row.n), windowed(row.n);
        EXPECT_TRUE(store_read(store, row.offset, plain.data(), row.n));
        EXPECT_EQ(plain, expected_bytes(row.offset, row.n));
        StoreCursor cursor{&store, 0};
        EXPECT_TRUE(cursor_read(cursor, row.offset, windowed.data(), row.n));
        EXPECT_EQ(windowed, expected_bytes(row.offset, row.n));
    }
    std::uint8_t b;
    EXPECT_FALSE(store_read(store, 1000, &b, 1));
    EXPECT_FALSE(store_read(store, 995, &b, 6));
    StoreCursor cursor{&store, 0};
    EXPECT_FALSE(cursor_read(cursor, 1001, &b, 0));
}

TEST(EntityStore, TheFileHasNoNameAndClosesWithTheStore) {
    EntityStore store = filled_store(16, 100, 10);
    ASSERT_GE(store.file.fd, 0);
    char target[512] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(store.file.fd);
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_NE(std::string(target).find("(deleted)"), std::string::npos) << target;
    store_clear(store);
    EXPECT_EQ(store.file.fd, -1);
    EXPECT_EQ(store.size, 0u);
}

// A folder that cannot hold the file fails the store, and add_entity reports
// the lost entity as fatal.
TEST_F(DrawingTest, AStoreThatCannotSpillIsFatal) {
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    auto drawing = create_drawing(lib, version_2000);
    ASSERT_TRUE(drawing);
    drawing->store.buffer_size = 16;
    drawing->store.folder = "/nonexistent/penloom-store";
    EntityHeader h;
    EntityRecord r;
    h.type = entity_circle;  // its record is longer than the 16-byte tail
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_FALSE(add_entity(*drawing, *model_space(*drawing), h, r));
    EXPECT_EQ(last_error(lib), 44);
    EXPECT_EQ(severities, std::vector<std::int16_t>{severity_allocation});
    EXPECT_TRUE(drawing->store.failed);
    std::uint8_t b;
    EXPECT_FALSE(store_read(drawing->store, 0, &b, 1));
}

// The same drawing with tails of several sizes saves to the same text at
// every version: the file is invisible to the writer.
TEST_F(DrawingTest, DrawingsFromASpilledStoreSaveTheSameText) {
    for (int version : {version_r12, version_r13, version_r14, version_2000}) {
        SCOPED_TRACE(version);
        std::string reference;
        for (std::size_t buffer : {std::size_t{1} << 22, std::size_t{4096}, std::size_t{97}, std::size_t{16}}) {
            SCOPED_TRACE(buffer);
            SampleDrawing sample = build_sample_drawing(lib, 7);
            EntityStore& store = sample.drawing->store;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(store.size));
            ASSERT_TRUE(store_read(store, 0, bytes.data(), bytes.size()));
            EntityStore copy;
            copy.buffer_size = buffer;
            store_append(copy, bytes.data(), bytes.size());
            store = std::move(copy);
            EXPECT_EQ(store.file.fd >= 0, buffer < bytes.size());  // small stores never make a file
            const std::string text = save_text(*sample.drawing, version);
            if (reference.empty()) reference = text;
            EXPECT_EQ(text, reference);
        }
    }
}

}  // namespace
}  // namespace penloom::testing
