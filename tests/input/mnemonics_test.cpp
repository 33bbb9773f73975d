#include "input/mnemonics.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace penloom {
namespace {

TEST(Mnemonics, TableHoldsEveryInstruction) {
    const std::map<std::string, int> expected = {
        {"PA", 1},  {"PD", 2},  {"PR", 3},  {"PU", 4},  {"CI", 5},  {"SP", 6},  {"XT", 7},
        {"YT", 8},  {"SC", 9},  {"AA", 10}, {"AR", 11}, {"PE", 12}, {"PM", 13}, {"PW", 14},
        {"BP", 15}, {"IN", 16}, {"RO", 17}, {"DT", 18}, {"LB", 19}, {"AD", 21}, {"SA", 22},
        {"SD", 23}, {"SS", 24}, {"WD", 25}, {"IP", 26}, {"AT", 27}, {"RT", 28}, {"TL", 29},
        {"PC", 30}, {"MC", 31}, {"TR", 32}, {"NP", 33}, {"CR", 34}, {"AC", 35}, {"SV", 36},
        {"LA", 37}, {"FP", 38}, {"EA", 39}, {"ER", 40}, {"EW", 41}, {"RA", 42}, {"RR", 43},
        {"WG", 44}, {"FT", 45}, {"LT", 46}, {"CF", 47}, {"CP", 48}, {"CT", 49}, {"DC", 50},
        {"DF", 51}, {"DI", 52}, {"DL", 53}, {"DP", 54}, {"DR", 55}, {"DV", 56}, {"EC", 57},
        {"EP", 58}, {"ES", 59}, {"FI", 60}, {"FN", 61}, {"FR", 62}, {"IR", 63}, {"IW", 64},
        {"LO", 65}, {"MG", 66}, {"MT", 67}, {"NR", 68}, {"OD", 69}, {"OE", 70}, {"OH", 71},
        {"OI", 72}, {"OP", 73}, {"OS", 74}, {"PG", 75}, {"PS", 76}, {"QL", 77}, {"RF", 78},
        {"RP", 79}, {"SB", 80}, {"SI", 81}, {"SL", 82}, {"SM", 83}, {"SR", 84}, {"ST", 85},
        {"TD", 86}, {"UL", 87}, {"VS", 88}, {"WU", 89}, {"UF", 90}, {"CO", 91}, {"PP", 92},
        {"BR", 93}, {"BZ", 94}, {"LM", 95},
    };
    ASSERT_EQ(expected.size(), 94u);
    // Every pair of upper-case letters: exactly the table's pairs have codes.
    for (char a = 'A'; a <= 'Z'; ++a) {
        for (char b = 'A'; b <= 'Z'; ++b) {
            std::string pair{a, b};
            SCOPED_TRACE(pair);
            auto row = expected.find(pair);
            EXPECT_EQ(lookup_command(a, b), row == expected.end() ? 0 : row->second);
        }
    }
    for (const auto& [letters, code] : expected) EXPECT_EQ(mnemonic_of(code), letters);
    EXPECT_STREQ(mnemonic_of(20), "");
    EXPECT_STREQ(mnemonic_of(-2), "");
}

TEST(Mnemonics, OnlyUpperCaseLettersMatch) {
    EXPECT_EQ(lookup_command('p', 'a'), 0);
    EXPECT_EQ(lookup_command('P', ';'), 0);
    EXPECT_EQ(lookup_command('P', -1), 0);
    EXPECT_EQ(lookup_command(27, 'A'), 0);
    EXPECT_EQ(lookup_command(0xC0, 'A'), 0);
}

}  // namespace
}  // namespace penloom
