// Tokenizer throughput, run by hand (not part of the suite):
//   test_input --gtest_also_run_disabled_tests --gtest_filter='*Throughput*'
// PENLOOM_BENCH_MB sets the size of the generated PA/PD file (default 100).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/classify.h"
#include "input/mnemonics.h"
#include "input/support.h"

namespace penloom {
namespace {

TEST(Throughput, DISABLED_TokenizerOverPlainPaPd) {
    const char* size_text = std::getenv("PENLOOM_BENCH_MB");
    const long megabytes = size_text != nullptr ? std::atol(size_text) : 100;
    const std::string path = ::testing::TempDir() + "penloom_throughput.plt";
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::string block = "IN;SP1;\n";
        long x = 0;
        while (block.size() < (1u << 20)) {
            block += "PU" + std::to_string(x % 40000) + "," + std::to_string((x * 7) % 30000) +
                     ";PD" + std::to_string((x + 13) % 40000) + "," +
                     std::to_string((x * 3) % 30000) + "," + std::to_string((x + 400) % 40000) +
                     "," + std::to_string((x * 5) % 30000) + ";\n";
            ++x;
        }
        for (long i = 0; i < megabytes; ++i) std::fwrite(block.data(), 1, block.size(), out);
        std::fclose(out);
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::fseek(in, 0, SEEK_END);
    const long length = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);

    Context ctx;
    initialize_file_state(ctx);
    attach_plot_file(ctx.gs.reader, in, length);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(classify_plot_file(ctx.gs.reader, ctx.gs.language).go_ahead);
    GraphicsState& gs = ctx.gs;
    long commands = 0, points = 0;
    for (;;) {
        int result = read_mnemonic(ctx, false);
        if (gs.reader.end_of_input) break;
        int code =
            result != 0 ? result : lookup_command(gs.tokens.mnemonic[0], gs.tokens.mnemonic[1]);
        gs.tokens.repeat_pending = false;
        ++commands;
        if (code == command_pa || code == command_pd || code == command_pu)
            points += read_point(ctx) == 2;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    detach_plot_input(gs.reader);
    std::fclose(in);
    std::remove(path.c_str());
    std::printf("%.1f MB in %.3f s: %.1f MB/s (%ld commands, %ld points)\n", length / 1e6, seconds,
                length / 1e6 / seconds, commands, points);
    EXPECT_GT(points, 0);
}

}  // namespace
}  // namespace penloom
