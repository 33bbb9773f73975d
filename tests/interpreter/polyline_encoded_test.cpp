#include "interpreter/polyline_encoded.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/drawn.h"
#include "input/parse_trace.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::Drawn;
using testing::drawing_context;
using testing::drawn_entities;
using testing::polyline;
using testing::run_plot;
using testing::same_entities;
using testing::TempFile;

// Numbers used below. 8-bit: "\xBF" is 0; "O\xDE" is +1000; "h\xCE" is -500;
// "\xC3" is +2. 7-bit: "_" is 0, "A_" is +1, "a" is +1, "e" is +3, "b" is -1.
TEST(PolylineEncoded, PairsFlagsAndNumbers) {
    struct Row { const char* name; std::string input; std::vector<Drawn> expected; };
    const Row rows[] = {
        {"7-bit: move up to the origin, then draw to (1,1)", "PU400,0;PE7<=__A_A_;PU;",
         {polyline({{0, 0}, {0.025, 0.025}})}},
        {"8-bit relative pairs draw", "PE O\xDEh\xCEO\xDE\xBF;PU;",
         {polyline({{0, 0}, {25, -12.5}, {50, -12.5}})}},
        {"absolute pair", "PU400,400;PE=O\xDEh\xCE;PU;", {polyline({{10, 10}, {25, -12.5}})}},
        {"7-bit fractional bits", "PE7>a<=__eb;PU;", {polyline({{0, 0}, {0.0375, -0.0125}})}},
        {"pen-up pair splits the path", "PEO\xDE\xBF<\xBF\xC1O\xDE\xBF;PU;",
         {polyline({{0, 0}, {25, 0}}), polyline({{25, 0.025}, {50, 0.025}})}},
        {"the pen stays down after PE", "PE O\xDE\xBF;PD0,400;PU;", {polyline({{0, 0}, {25, 0}, {0, 10}})}},
        {"a pair with a decoding error is skipped", "PE\xBF\x80O\xDE\xBF;PU;", {polyline({{0, 0}, {25, 0}})}},
        {"a number cut short by ; ends the instruction", "PEO\xDEO;PD400,0;PU;",
         {polyline({{0, 0}, {10, 0}})}},
        {"scaling applies to the decoded units",
         "IP0,0,4000,4000;SC0,100,0,100;PE<=\xBF\xBF" "c\xC0\xC1;PU;", {polyline({{0, 0}, {50, 1}})}},
        {"rectangle: read, moved to, not drawn", "PE9=O\xDEO\xDE\xC2\xC2;PU;", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        run_plot(*ctx, row.input);
        EXPECT_TRUE(same_entities(drawn_entities(*ctx), row.expected));
        EXPECT_FALSE(ctx->gs.relative_plotting);
    }
    auto ctx = drawing_context();
    run_plot(*ctx, "PE9=O\xDEO\xDE\xC2\xC2;");
    EXPECT_NEAR(ctx->gs.current_x, 25, 1e-9);
    EXPECT_NEAR(ctx->gs.current_y, 25, 1e-9);
}

TEST(PolylineEncoded, SelectsPens) {
    struct Row { const char* name; std::string input; int pen; };
    const Row rows[] = {
        {"pen 2", "PE:\xC3;", 2},
        {"a flag right after : selects none", "SP3;PE:<=\xBF\xBF;", 3},
        {"pen 5 among pairs", "PEO\xDE:\xC9O\xDE;", 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        run_plot(*ctx, row.input);
        EXPECT_EQ(ctx->gs.current_pen, row.pen);
    }
}

TEST(PolylineEncoded, TraceHoldsTheDecodedInstruction) {
    struct Row { const char* name; std::string input; std::string trace; };
    const Row rows[] = {
        {"7-bit move and draw", "PE7<=__A_A_;PU;", "PE-START\nPD\nPB7\nPU\nPA0,0\nPDPR1,1;\nPU;"},
        {"absolute after a move", "PE<=\xBF\xBF=O\xDEh\xCE;", "PE-START\nPD\nPU\nPA0,0\nPDPA1000,-500;\n"},
        {"relative pairs", "PEO\xDEh\xCE\xBF\xBF;", "PE-START\nPD\nPR1000,-500\nPR0,0;\n"},
        {"pen and fractional bits", "PE:\xC3>\xC3O\xDE\xBF;", "PE-START\nPD\nSP2\nFB2\nPR250,0;\n"},
        {"rectangle", "PE9=O\xDEO\xDE\xC2\xC2;", "PE-START\nPD\nRM\nPU\nPA1000,1000ER-1,-1;\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        TempFile trace("pe_trace");
        attach_plot_bytes(ctx->gs.reader, row.input);
        ASSERT_TRUE(open_trace_file(ctx->gs.reader, trace.path));
        run_plot_stream(*ctx);
        close_trace_file(ctx->gs.reader);
        EXPECT_EQ(trace.read(), row.trace);
    }
}

}  // namespace
}  // namespace penloom
