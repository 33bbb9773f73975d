// Layers and colours: names from the settings, making layers on first use,
// entity colours against the current layer, the used layers written to the
// drawing, and the nearest-colour match.
#include "construction/layers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "construction/colours.h"
#include "driver/context.h"
#include "interpreter/pens.h"
#include "support/drawing_context.h"

namespace penloom {
namespace {

struct Tweaks {
    const char* prefix = "LAY";
    int leading0 = 1;
    int from_output_pen = 0;
    int release = version_r12;
    int hpgl_layers = 0;
};

std::unique_ptr<Context> context_with(const Tweaks& tweaks, const std::string& folder = "") {
    auto ctx = std::make_unique<Context>();
    ctx->program_folder = folder;
    ctx->settings.LayerPrefix = tweaks.prefix;
    ctx->settings.LayersLeading0 = tweaks.leading0;
    ctx->settings.LayerNameFromOutputPen = tweaks.from_output_pen;
    ctx->settings.HPGLLayers = tweaks.hpgl_layers;
    ctx->batch.OutputRelease = tweaks.release;
    return ctx;
}

// As the pipeline does it: table, drawing, then the drawing's own tables.
std::unique_ptr<Context> drawing_with(const Tweaks& tweaks, const std::string& folder = "",
                                      bool mono = false) {
    auto ctx = context_with(tweaks, folder);
    ctx->batch.mono = mono;
    build_layer_table(*ctx);
    EXPECT_EQ(create_output_drawing(*ctx), 0);
    begin_drawing_layers(*ctx);
    return ctx;
}

const LayerRecord& record(const Context& ctx, int i) {
    return ctx.drawing.layers.records[static_cast<std::size_t>(i)];
}

TEST(Layers, GeneratedNames) {
    // names: record, name
    struct Row { const char* name; Tweaks tweaks; std::vector<std::pair<int, std::string>> names; };
    const Row rows[] = {
        {"defaults", {}, {{1, "LAY001"}, {12, "LAY012"}, {0, "LAY252"}, {255, "LAY255"}}},
        {"no leading zeros", {"LAY", 0}, {{1, "LAY1"}, {12, "LAY12"}, {0, "LAY252"}}},
        {"colour numbers", {"LAY", 0, 1}, {{1, "LAY7"}, {2, "LAY1"}, {7, "LAY4"}, {0, "LAY252"}}},
        {"R12 cleans the prefix", {"pen ", 1}, {{1, "PEN_001"}}},
        {"R14 cleans the prefix", {"pen ", 1, 0, version_r14}, {{1, "PEN_001"}}},
        {"2000 keeps the prefix", {"pen ", 1, 0, version_2000}, {{1, "pen 001"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_with(row.tweaks);
        build_layer_table(*ctx);
        for (const auto& [i, name] : row.names) EXPECT_EQ(record(*ctx, i).name, name);
        EXPECT_EQ(ctx->drawing.layers.current, 1);
        EXPECT_EQ(ctx->drawing.layers.current_name, record(*ctx, 1).name);
    }
}

TEST(Layers, RecordZeroNamedZeroBecomesZeroUnderscore) {
    testing::LabelSettings settings("[Settings]\nHPGLPens=1\n[HPGLPens]\n252=0\n");
    Tweaks tweaks{"", 0, 1};
    auto ctx = context_with(tweaks, settings.folder);
    build_layer_table(*ctx);
    EXPECT_EQ(record(*ctx, 0).name, "0_");
    EXPECT_EQ(record(*ctx, 0).colour, 0);
}

TEST(Layers, NamesFromTheSettings) {
    const std::string long_name(40, 'w');
    testing::LabelSettings settings("[HPGLLayers]\n3=walls north\n4=" + long_name + "\n");
    struct Row { const char* name; int release; std::string three; std::string four; };
    const Row rows[] = {{"R12", version_r12, "WALLS_NORTH", std::string(31, 'W')},
                        {"2000", version_2000, "walls north", long_name}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Tweaks tweaks;
        tweaks.release = row.release;
        tweaks.hpgl_layers = 1;
        auto ctx = context_with(tweaks, settings.folder);
        build_layer_table(*ctx);
        EXPECT_EQ(record(*ctx, 3).name, row.three);
        EXPECT_TRUE(record(*ctx, 3).named_from_settings);
        EXPECT_EQ(record(*ctx, 4).name, row.four);
        EXPECT_EQ(record(*ctx, 5).name, "LAY005");
        EXPECT_FALSE(record(*ctx, 5).named_from_settings);
    }
}

TEST(Layers, PenSelectionMakesTheLayerOnce) {
    auto ctx = drawing_with({});
    select_pen_layer(*ctx, 2);
    const LayerRecord& two = record(*ctx, 2);
    ASSERT_TRUE(two.used);
    EXPECT_FALSE(is_null_handle(two.handle));
    EXPECT_EQ(ctx->drawing.current_layer, two.handle);
    EXPECT_EQ(two.colour, 1);
    Handle first = two.handle;
    select_pen_layer(*ctx, 3);
    select_pen_layer(*ctx, 2);
    EXPECT_EQ(record(*ctx, 2).handle, first);
    EXPECT_EQ(ctx->drawing.current_layer, first);
    EXPECT_EQ(ctx->drawing.layers.current_name, "LAY002");
}

// The first entity of a drawing makes the current layer, its colour 7
// standing for pen 7 (seen in whole runs); only the first does so.
TEST(Layers, FirstEntityMakesTheCurrentLayerWithItsColourAsPen) {
    auto ctx = drawing_with({"LAY", 0, 1}, "", false);
    make_current_layer_if_none(*ctx, 7);
    EXPECT_EQ(record(*ctx, 1).name, "LAY4");
    EXPECT_EQ(record(*ctx, 1).colour, 4);
    EXPECT_EQ(ctx->drawing.current_layer, record(*ctx, 1).handle);
    ctx->drawing.layers.current = 5;
    make_current_layer_if_none(*ctx, 3);
    EXPECT_FALSE(record(*ctx, 5).used);
}

TEST(Layers, ColourNameTakenByAnotherLayerIsKept) {
    auto ctx = drawing_with({"LAY", 0, 1});
    make_current_layer_if_none(*ctx, 7);  // record 1 becomes "LAY4"
    select_pen_layer(*ctx, 7);            // pen 7 is colour 4 too
    EXPECT_EQ(record(*ctx, 1).name, "LAY4");
    EXPECT_EQ(record(*ctx, 7).name, "LAY4");
    select_pen_layer(*ctx, 0);  // pen 0: name and colour as built
    EXPECT_EQ(record(*ctx, 0).name, "LAY252");
    EXPECT_EQ(record(*ctx, 0).colour, 252);
}

// With or without a fresh table in between, a new drawing inherits no layer
// made for the last one and starts on its own layer "0".
TEST(Layers, NoHandleLeaksIntoTheNextDrawing) {
    for (bool rebuilt : {true, false}) {
        SCOPED_TRACE(rebuilt);
        auto ctx = drawing_with({});
        select_pen_layer(*ctx, 4);
        const Handle old = ctx->drawing.current_layer;
        release_output_drawing(*ctx);
        if (rebuilt) build_layer_table(*ctx);
        ASSERT_EQ(create_output_drawing(*ctx), 0);
        begin_drawing_layers(*ctx);
        EXPECT_FALSE(record(*ctx, 4).used);
        EXPECT_FALSE(ctx->drawing.layers.layer_made);
        Handle zero{};
        ASSERT_TRUE(find_layer(*ctx->drawing.drawing, "0", zero));
        EXPECT_EQ(ctx->drawing.current_layer, zero);
        EXPECT_NE(ctx->drawing.current_layer, old);
    }
}

TEST(Colours, NearestTableColour) {
    struct Row { double r, g, b; int colour; };
    const Row rows[] = {
        {255, 0, 0, 1},       {0, 0, 0, 7},           {192, 192, 192, 252},  {232, 232, 232, 253},
        {250, 250, 250, 255}, {127.5, 127.5, 127.5, 9}, {100, 150, 200, 165}, {-50, -50, -50, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.r << "," << row.g << "," << row.b);
        EXPECT_EQ(nearest_table_colour(row.r, row.g, row.b), row.colour);
    }
}

}  // namespace
}  // namespace penloom
