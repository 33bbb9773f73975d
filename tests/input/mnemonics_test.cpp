// The mnemonic table: every code has its two letters and back, 94 pairs of
// upper-case letters are instructions, nothing else is.
#include "input/mnemonics.h"

#include <gtest/gtest.h>

#include <string>

namespace penloom {
namespace {

TEST(Mnemonics, EveryCodeRoundTripsAndOnlyUpperCaseLettersMatch) {
    for (int code = 1; code <= 95; ++code) {
        SCOPED_TRACE(code);
        const std::string letters = mnemonic_of(code);
        if (code == 20) {  // no instruction has code 20
            EXPECT_EQ(letters, "");
            continue;
        }
        ASSERT_EQ(letters.size(), 2u);
        EXPECT_EQ(lookup_command(letters[0], letters[1]), code);
    }
    int instructions = 0;
    for (char a = 'A'; a <= 'Z'; ++a)
        for (char b = 'A'; b <= 'Z'; ++b) instructions += lookup_command(a, b) != 0;
    EXPECT_EQ(instructions, 94);
    EXPECT_EQ(lookup_command('B', 'Z'), command_bz);
    EXPECT_STREQ(mnemonic_of(-2), "");
    const int others[][2] = {{'p', 'a'}, {'P', ';'}, {'P', -1}, {27, 'A'}, {0xC0, 'A'}};
    for (const auto& pair : others) EXPECT_EQ(lookup_command(pair[0], pair[1]), 0) << pair[0] << pair[1];
}

}  // namespace
}  // namespace penloom
