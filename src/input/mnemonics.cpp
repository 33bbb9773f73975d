// The mnemonic table and its lookup: a 26 x 26 grid built at compile time
// from the list of mnemonics, so a lookup is one index.
#include "input/mnemonics.h"

#include <array>

namespace penloom {

namespace {

struct Mnemonic {
    const char* letters;
    int code;
};

// ORDER COMMANDCODE: one row per positive code of mnemonics.h.
constexpr Mnemonic kMnemonics[] = {
    {"PA", 1},  {"PD", 2},  {"PR", 3},  {"PU", 4},  {"CI", 5},  {"SP", 6},  {"XT", 7},  {"YT", 8},
    {"SC", 9},  {"AA", 10}, {"AR", 11}, {"PE", 12}, {"PM", 13}, {"PW", 14}, {"BP", 15}, {"IN", 16},
    {"RO", 17}, {"DT", 18}, {"LB", 19}, {"AD", 21}, {"SA", 22}, {"SD", 23}, {"SS", 24}, {"WD", 25},
    {"IP", 26}, {"AT", 27}, {"RT", 28}, {"TL", 29}, {"PC", 30}, {"MC", 31}, {"TR", 32}, {"NP", 33},
    {"CR", 34}, {"AC", 35}, {"SV", 36}, {"LA", 37}, {"FP", 38}, {"EA", 39}, {"ER", 40}, {"EW", 41},
    {"RA", 42}, {"RR", 43}, {"WG", 44}, {"FT", 45}, {"LT", 46}, {"CF", 47}, {"CP", 48}, {"CT", 49},
    {"DC", 50}, {"DF", 51}, {"DI", 52}, {"DL", 53}, {"DP", 54}, {"DR", 55}, {"DV", 56}, {"EC", 57},
    {"EP", 58}, {"ES", 59}, {"FI", 60}, {"FN", 61}, {"FR", 62}, {"IR", 63}, {"IW", 64}, {"LO", 65},
    {"MG", 66}, {"MT", 67}, {"NR", 68}, {"OD", 69}, {"OE", 70}, {"OH", 71}, {"OI", 72}, {"OP", 73},
    {"OS", 74}, {"PG", 75}, {"PS", 76}, {"QL", 77}, {"RF", 78}, {"RP", 79}, {"SB", 80}, {"SI", 81},
    {"SL", 82}, {"SM", 83}, {"SR", 84}, {"ST", 85}, {"TD", 86}, {"UL", 87}, {"VS", 88}, {"WU", 89},
    {"UF", 90}, {"CO", 91}, {"PP", 92}, {"BR", 93}, {"BZ", 94}, {"LM", 95},
};

constexpr std::array<unsigned char, 26 * 26> build_grid() {
    std::array<unsigned char, 26 * 26> grid{};
    for (const Mnemonic& m : kMnemonics)
        grid[static_cast<std::size_t>((m.letters[0] - 'A') * 26 + (m.letters[1] - 'A'))] =
            static_cast<unsigned char>(m.code);
    return grid;
}

constexpr std::array<unsigned char, 26 * 26> kGrid = build_grid();

}  // namespace

int lookup_command(int first, int second) {
    if (first < 'A' || first > 'Z' || second < 'A' || second > 'Z') return command_unknown;
    return kGrid[static_cast<std::size_t>((first - 'A') * 26 + (second - 'A'))];
}

const char* mnemonic_of(int code) {
    for (const Mnemonic& m : kMnemonics)
        if (m.code == code) return m.letters;
    return "";
}

}  // namespace penloom
