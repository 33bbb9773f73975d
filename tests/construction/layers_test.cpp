// Layers and colours: names from the settings, making layers on first use,
// the used layers written to the drawing, and the nearest-colour match.
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
    int leading0 = 1, from_output_pen = 0, release = version_r12;
};

std::unique_ptr<Context> context_with(const Tweaks& tweaks, const std::string& folder = "",
                                      int hpgl_layers = 0) {
    auto ctx = std::make_unique<Context>();
    locate_settings_file(ctx->profile, folder);
    ctx->settings.LayerPrefix = tweaks.prefix;
    ctx->settings.LayersLeading0 = tweaks.leading0;
    ctx->settings.LayerNameFromOutputPen = tweaks.from_output_pen;
    ctx->settings.HPGLLayers = hpgl_layers;
    ctx->batch.OutputRelease = tweaks.release;
    build_layer_table(ctx->interpreter);
    return ctx;
}

// As the pipeline does it: table, drawing, then the drawing's own tables.
std::unique_ptr<Context> drawing_with(const Tweaks& tweaks) {
    auto ctx = context_with(tweaks);
    EXPECT_EQ(create_output_drawing(ctx->drawing, ctx->out, ctx->settings, ctx->batch), 0);
    begin_drawing_layers(ctx->interpreter);
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
        {"no leading zeros", {"LAY", 0}, {{12, "LAY12"}, {0, "LAY252"}}},
        {"colour numbers", {"LAY", 0, 1}, {{1, "LAY7"}, {2, "LAY1"}, {7, "LAY4"}, {0, "LAY252"}}},
        {"R14 cleans the prefix", {"pen ", 1, 0, version_r14}, {{1, "PEN_001"}}},
        {"2000 keeps the prefix", {"pen ", 1, 0, version_2000}, {{1, "pen 001"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_with(row.tweaks);
        for (const auto& [i, name] : row.names) EXPECT_EQ(record(*ctx, i).name, name);
        EXPECT_EQ(ctx->drawing.layers.current_name, record(*ctx, 1).name);
    }
    testing::LabelSettings settings("[Settings]\nHPGLPens=1\n[HPGLPens]\n252=0\n");
    auto ctx = context_with({"", 0, 1}, settings.folder);
    EXPECT_EQ(record(*ctx, 0).name, "0_");  // a layer named "0" is the drawing's own
    EXPECT_EQ(record(*ctx, 0).colour, 0);
}

TEST(Layers, NamesFromTheSettings) {
    const std::string long_name(40, 'w');
    testing::LabelSettings settings("[HPGLLayers]\n3=walls north\n4=" + long_name + "\n");
    const struct { int release; std::string three, four; } rows[] = {
        {version_r12, "WALLS_NORTH", std::string(31, 'W')}, {version_2000, "walls north", long_name}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        auto ctx = context_with({"LAY", 1, 0, row.release}, settings.folder, 1);
        EXPECT_EQ(record(*ctx, 3).name, row.three);
        EXPECT_EQ(record(*ctx, 4).name, row.four);
        EXPECT_EQ(record(*ctx, 5).name, "LAY005");
    }
}

// The first entity makes the current layer (only the first), its colour 7
// standing for pen 7; a colour name another layer took is kept; a pen's
// layer is made once.
TEST(Layers, FirstEntityAndColourNamesTaken) {
    auto ctx = drawing_with({"LAY", 0, 1});
    make_current_layer_if_none(ctx->interpreter, 7);  // record 1 becomes "LAY4"
    EXPECT_EQ(record(*ctx, 1).name, "LAY4");
    EXPECT_EQ(record(*ctx, 1).colour, 4);
    EXPECT_EQ(ctx->drawing.current_layer, record(*ctx, 1).handle);
    select_pen_layer(ctx->interpreter, 7);  // pen 7 is colour 4 too
    EXPECT_EQ(record(*ctx, 7).name, "LAY4");
    const Handle seven = ctx->drawing.current_layer;
    EXPECT_EQ(seven, record(*ctx, 7).handle);
    select_pen_layer(ctx->interpreter, 0);  // pen 0: name and colour as built
    EXPECT_EQ(record(*ctx, 0).name, "LAY252");
    EXPECT_EQ(record(*ctx, 0).colour, 252);
    select_pen_layer(ctx->interpreter, 7);  // made once
    EXPECT_EQ(record(*ctx, 7).handle, seven);
    EXPECT_EQ(ctx->drawing.current_layer, seven);
    EXPECT_EQ(ctx->drawing.layers.current_name, "LAY4");
    ctx->drawing.layers.current = 5;
    make_current_layer_if_none(ctx->interpreter, 3);
    EXPECT_FALSE(record(*ctx, 5).used);
}

TEST(Colours, NearestTableColour) {
    const struct { double r, g, b; int colour; } rows[] = {
        {255, 0, 0, 1}, {0, 0, 0, 7}, {192, 192, 192, 252}, {232, 232, 232, 253},
        {250, 250, 250, 255}, {127.5, 127.5, 127.5, 9}, {100, 150, 200, 165}, {-50, -50, -50, 7},
    };
    for (const auto& row : rows) EXPECT_EQ(nearest_table_colour(row.r, row.g, row.b), row.colour) << row.r;
}

}  // namespace
}  // namespace penloom
