// The entity store on its temporary file: reads across the file and the
// in-memory tail, the cursor's read-ahead window, a file that cannot be made,
// the file having no name, and whole drawings saved from a store that spilled
// many times giving the same text as from one that never spilled.
#include <cstdint>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "drawing/entity_codec.h"
#include "drawing/entity_store.h"
#include "sample_drawing.h"
#include "test_support.h"

namespace penloom::testing {
namespace {

// A store of `total` bytes 0, 1, 2, ... (mod 251) appended in pieces of
// `piece` bytes, with a tail of `buffer` bytes.
EntityStore filled_store(std::size_t buffer, std::size_t total, std::size_t piece) {
    EntityStore store;
    store.buffer_size = buffer;
    std::vector<std::uint8_t> bytes(total);
    for (std::size_t i = 0; i < total; ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    for (std::size_t at = 0; at < total; at += piece) {
        const std::size_t n = std::min(piece, total - at);
        EXPECT_EQ(store_append(store, bytes.data() + at, n), at);
    }
    return store;
}

std::vector<std::uint8_t> expected_bytes(std::uint64_t offset, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>((offset + i) % 251);
    return v;
}

TEST(EntityStore, ReadsAnyRangeAcrossTheFileAndTheTail) {
    EntityStore store = filled_store(64, 1000, 7);
    EXPECT_EQ(store.size, 1000u);
    EXPECT_EQ(store.spilled, 960u);   // 15 full tails went to the file
    EXPECT_GE(store.file.fd, 0);
    struct Row {
        const char* name;
        std::uint64_t offset;
        std::size_t n;
    };
    const Row rows[] = {
        {"inside the file", 10, 20},   {"across a spill boundary", 60, 10}, {"file into tail", 950, 30},
        {"tail only", 970, 30},        {"the whole store", 0, 1000},        {"empty at the end", 1000, 0},
    };
    for (const Row& row : rows) {
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

TEST(EntityStore, CursorWalksForwardAndLooksBack) {
    EntityStore store = filled_store(50, 5000, 13);
    StoreCursor cursor{&store, 0};
    std::vector<std::uint8_t> piece(9);
    for (std::uint64_t at = 0; at + 9 <= 5000; at += 9) {
        ASSERT_TRUE(cursor_read(cursor, at, piece.data(), 9));
        ASSERT_EQ(piece, expected_bytes(at, 9));
        const std::uint64_t back = at >= 40 ? at - 40 : 0;   // a blob just passed
        ASSERT_TRUE(cursor_read(cursor, back, piece.data(), 9));
        ASSERT_EQ(piece, expected_bytes(back, 9));
    }
}

TEST(EntityStore, SmallStoresNeverMakeAFile) {
    EntityStore store = filled_store(std::size_t{1} << 22, 100000, 100);
    EXPECT_EQ(store.file.fd, -1);
    EXPECT_EQ(store.spilled, 0u);
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

TEST(EntityStore, AFolderThatCannotHoldTheFileFailsTheStore) {
    EntityStore store;
    store.buffer_size = 16;
    store.folder = "/nonexistent/penloom-store";
    const std::uint8_t bytes[40] = {};
    store_append(store, bytes, sizeof bytes);
    EXPECT_TRUE(store.failed);
    std::uint8_t b;
    EXPECT_FALSE(store_read(store, 0, &b, 1));
}

TEST(EntityStore, AddEntityReportsALostStoreAsFatal) {
    DrawingLibrary lib;
    std::int16_t error = 0;
    ASSERT_TRUE(init_library(lib, "", error));
    std::vector<std::int16_t> severities;
    set_error_callback(lib, [&](std::int16_t s) { severities.push_back(s); });
    auto drawing = create_drawing(lib, version_2000);
    ASSERT_TRUE(drawing);
    drawing->store.buffer_size = 16;
    drawing->store.folder = "/nonexistent/penloom-store";
    Handle model;
    ASSERT_TRUE(find_block(*drawing, "*MODEL_SPACE", model));
    EntityList* ms = block_entity_list(*drawing, model);
    EntityHeader h;
    EntityRecord r;
    h.type = 3;   // CIRCLE: its record is longer than the 16-byte tail
    ASSERT_TRUE(init_entity(*drawing, h, r));
    EXPECT_FALSE(add_entity(*drawing, *ms, h, r));
    EXPECT_EQ(last_error(lib), 44);
    EXPECT_EQ(severities, std::vector<std::int16_t>{severity_allocation});
    close_library(lib);
}

// The same drawing built with tails of several sizes saves to the same text
// at every version: the file is invisible to the writer.
TEST(EntityStore, DrawingsFromASpilledStoreSaveTheSameText) {
    const std::string dir = scratch_dir("store_spill");
    for (int version : {version_r12, version_r13, version_r14, version_2000}) {
        SCOPED_TRACE(version);
        std::string reference;
        for (std::size_t buffer : {std::size_t{1} << 22, std::size_t{4096}, std::size_t{97}, std::size_t{16}}) {
            SCOPED_TRACE(buffer);
            DrawingLibrary lib;
            std::int16_t error = 0;
            ASSERT_TRUE(init_library(lib, "", error));
            SampleDrawing sample = build_sample_drawing(lib, 7);
            // The same bytes again in a store with the chosen tail.
            EntityStore& store = sample.drawing->store;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(store.size));
            ASSERT_TRUE(store_read(store, 0, bytes.data(), bytes.size()));
            EntityStore copy;
            copy.buffer_size = buffer;
            store_append(copy, bytes.data(), bytes.size());
            store = std::move(copy);
            EXPECT_EQ(store.file.fd >= 0, buffer < bytes.size());
            const std::string path = dir + "/sample-" + std::to_string(buffer) + ".dxf";
            ASSERT_TRUE(save_drawing(*sample.drawing, path, file_kind_ascii_dxf, version, false, 6, 1, 0));
            const std::string text = read_file(path);
            if (reference.empty()) {
                reference = text;
            } else {
                EXPECT_EQ(text, reference);
            }
            close_library(lib);
        }
    }
}

}  // namespace
}  // namespace penloom::testing
