// The character width table and label line widths. The entries follow the
// glyphs of the two shape fonts: SIMPLEX in 21sts of the height (its cap
// height), TXT in 6ths; both are rounded to four decimals as the table
// always held them. The upper half follows code page 437: accented letters
// measure as their base letter, the box-drawing block 176..223 and DEL use
// the fonts' fallback glyph.
#include "construction/char_widths.h"

#include <cctype>


namespace penloom {

namespace {

struct Units {
    int extent;
    int advance;
};

struct Entry {
    Units simplex;  // 21sts of the height
    Units txt;      // 6ths of the height
};

// One row per code 0..255: {SIMPLEX}, {TXT}.
constexpr Entry kWidths[256] = {
    {{0, 0}, {0, 0}},    // 0
    {{0, 0}, {0, 0}},    // 1
    {{0, 0}, {0, 0}},    // 2
    {{0, 0}, {0, 0}},    // 3
    {{0, 0}, {0, 0}},    // 4
    {{0, 0}, {0, 0}},    // 5
    {{0, 0}, {0, 0}},    // 6
    {{0, 0}, {0, 0}},    // 7
    {{0, 0}, {0, 0}},    // 8
    {{0, 0}, {0, 0}},    // 9
    {{0, 0}, {0, 0}},    // 10
    {{0, 0}, {0, 0}},    // 11
    {{0, 0}, {0, 0}},    // 12
    {{0, 0}, {0, 0}},    // 13
    {{0, 0}, {0, 0}},    // 14
    {{0, 0}, {0, 0}},    // 15
    {{0, 0}, {0, 0}},    // 16
    {{0, 0}, {0, 0}},    // 17
    {{0, 0}, {0, 0}},    // 18
    {{0, 0}, {0, 0}},    // 19
    {{0, 0}, {0, 0}},    // 20
    {{0, 0}, {0, 0}},    // 21
    {{0, 0}, {0, 0}},    // 22
    {{0, 0}, {0, 0}},    // 23
    {{0, 0}, {0, 0}},    // 24
    {{0, 0}, {0, 0}},    // 25
    {{0, 0}, {0, 0}},    // 26
    {{0, 0}, {0, 0}},    // 27
    {{0, 0}, {0, 0}},    // 28
    {{0, 0}, {0, 0}},    // 29
    {{0, 0}, {0, 0}},    // 30
    {{0, 0}, {0, 0}},    // 31
    {{19, 19}, {6, 6}},  // 32 ' '
    {{2, 10}, {0, 2}},   // 33 '!'
    {{8, 16}, {2, 4}},   // 34 '"'
    {{15, 21}, {4, 6}},  // 35 '#'
    {{14, 20}, {4, 6}},  // 36 '$'
    {{18, 24}, {4, 6}},  // 37 '%'
    {{20, 26}, {4, 6}},  // 38 '&'
    {{2, 10}, {0, 2}},   // 39 "'"
    {{7, 14}, {1, 3}},   // 40 '('
    {{7, 14}, {1, 3}},   // 41 ')'
    {{10, 16}, {4, 6}},  // 42 '*'
    {{18, 26}, {4, 6}},  // 43 '+'
    {{2, 10}, {1, 3}},   // 44 ','
    {{18, 26}, {4, 6}},  // 45 '-'
    {{2, 10}, {0, 2}},   // 46 '.'
    {{18, 22}, {4, 6}},  // 47 '/'
    {{14, 20}, {3, 5}},  // 48 '0'
    {{5, 16}, {2, 4}},   // 49 '1'
    {{14, 20}, {3, 5}},  // 50 '2'
    {{14, 20}, {3, 5}},  // 51 '3'
    {{15, 20}, {3, 5}},  // 52 '4'
    {{14, 20}, {3, 5}},  // 53 '5'
    {{13, 20}, {3, 5}},  // 54 '6'
    {{14, 20}, {3, 5}},  // 55 '7'
    {{14, 20}, {3, 5}},  // 56 '8'
    {{13, 20}, {3, 5}},  // 57 '9'
    {{2, 10}, {0, 2}},   // 58 ':'
    {{2, 10}, {1, 3}},   // 59 ';'
    {{16, 24}, {3, 5}},  // 60 '<'
    {{18, 26}, {4, 6}},  // 61 '='
    {{16, 24}, {3, 5}},  // 62 '>'
    {{12, 18}, {4, 6}},  // 63 '?'
    {{21, 27}, {4, 6}},  // 64 '@'
    {{16, 22}, {4, 6}},  // 65 'A'
    {{14, 21}, {4, 6}},  // 66 'B'
    {{15, 21}, {4, 6}},  // 67 'C'
    {{14, 21}, {4, 6}},  // 68 'D'
    {{13, 19}, {4, 6}},  // 69 'E'
    {{13, 18}, {4, 6}},  // 70 'F'
    {{15, 21}, {4, 6}},  // 71 'G'
    {{14, 22}, {4, 6}},  // 72 'H'
    {{0, 8}, {2, 4}},    // 73 'I'
    {{10, 16}, {4, 6}},  // 74 'J'
    {{14, 21}, {4, 6}},  // 75 'K'
    {{12, 17}, {4, 6}},  // 76 'L'
    {{16, 24}, {4, 6}},  // 77 'M'
    {{14, 22}, {4, 6}},  // 78 'N'
    {{16, 22}, {4, 6}},  // 79 'O'
    {{14, 21}, {4, 6}},  // 80 'P'
    {{16, 22}, {4, 6}},  // 81 'Q'
    {{14, 21}, {4, 6}},  // 82 'R'
    {{14, 20}, {4, 6}},  // 83 'S'
    {{14, 16}, {4, 6}},  // 84 'T'
    {{14, 22}, {4, 6}},  // 85 'U'
    {{16, 18}, {4, 6}},  // 86 'V'
    {{20, 24}, {6, 8}},  // 87 'W'
    {{14, 20}, {4, 6}},  // 88 'X'
    {{16, 18}, {4, 6}},  // 89 'Y'
    {{14, 20}, {4, 6}},  // 90 'Z'
    {{7, 14}, {1, 3}},   // 91 '['
    {{14, 14}, {4, 6}},  // 92 '\\'
    {{7, 14}, {1, 3}},   // 93 ']'
    {{10, 16}, {4, 6}},  // 94 '^'
    {{16, 16}, {4, 6}},  // 95 '_'
    {{2, 10}, {1, 3}},   // 96 '`'
    {{12, 19}, {4, 6}},  // 97 'a'
    {{12, 19}, {4, 6}},  // 98 'b'
    {{12, 18}, {4, 6}},  // 99 'c'
    {{12, 19}, {4, 6}},  // 100 'd'
    {{12, 18}, {4, 6}},  // 101 'e'
    {{8, 12}, {3, 5}},   // 102 'f'
    {{12, 19}, {4, 6}},  // 103 'g'
    {{11, 19}, {4, 6}},  // 104 'h'
    {{2, 8}, {0, 2}},    // 105 'i'
    {{6, 10}, {2, 4}},   // 106 'j'
    {{11, 17}, {3, 5}},  // 107 'k'
    {{0, 8}, {1, 3}},    // 108 'l'
    {{22, 30}, {4, 6}},  // 109 'm'
    {{11, 19}, {4, 6}},  // 110 'n'
    {{13, 19}, {4, 6}},  // 111 'o'
    {{12, 19}, {4, 6}},  // 112 'p'
    {{12, 19}, {4, 6}},  // 113 'q'
    {{8, 13}, {3, 5}},   // 114 'r'
    {{11, 17}, {4, 6}},  // 115 's'
    {{8, 12}, {3, 5}},   // 116 't'
    {{11, 19}, {4, 6}},  // 117 'u'
    {{12, 16}, {4, 6}},  // 118 'v'
    {{16, 22}, {4, 6}},  // 119 'w'
    {{11, 17}, {4, 6}},  // 120 'x'
    {{13, 16}, {4, 6}},  // 121 'y'
    {{11, 17}, {4, 6}},  // 122 'z'
    {{5, 14}, {2, 4}},   // 123 '{'
    {{0, 8}, {0, 2}},    // 124 '|'
    {{5, 14}, {2, 4}},   // 125 '}'
    {{18, 24}, {4, 6}},  // 126 '~'
    {{11, 18}, {3, 5}},  // 127 DEL
    {{15, 21}, {4, 6}},  // 128 latin capital letter c with cedilla
    {{11, 19}, {4, 6}},  // 129 latin small letter u with diaeresis
    {{12, 18}, {4, 6}},  // 130 latin small letter e with acute
    {{12, 19}, {4, 6}},  // 131 latin small letter a with circumflex
    {{12, 19}, {4, 6}},  // 132 latin small letter a with diaeresis
    {{12, 19}, {4, 6}},  // 133 latin small letter a with grave
    {{12, 19}, {4, 6}},  // 134 latin small letter a with ring above
    {{12, 18}, {4, 6}},  // 135 latin small letter c with cedilla
    {{12, 18}, {4, 6}},  // 136 latin small letter e with circumflex
    {{12, 18}, {4, 6}},  // 137 latin small letter e with diaeresis
    {{12, 18}, {4, 6}},  // 138 latin small letter e with grave
    {{2, 8}, {0, 2}},    // 139 latin small letter i with diaeresis
    {{2, 8}, {0, 2}},    // 140 latin small letter i with circumflex
    {{2, 8}, {0, 2}},    // 141 latin small letter i with grave
    {{16, 22}, {4, 6}},  // 142 latin capital letter a with diaeresis
    {{16, 22}, {4, 6}},  // 143 latin capital letter a with ring above
    {{13, 19}, {4, 6}},  // 144 latin capital letter e with acute
    {{19, 24}, {6, 8}},  // 145 latin small letter ae
    {{20, 26}, {6, 8}},  // 146 latin capital letter ae
    {{13, 19}, {4, 6}},  // 147 latin small letter o with circumflex
    {{13, 19}, {4, 6}},  // 148 latin small letter o with diaeresis
    {{13, 19}, {4, 6}},  // 149 latin small letter o with grave
    {{11, 19}, {4, 6}},  // 150 latin small letter u with circumflex
    {{11, 19}, {4, 6}},  // 151 latin small letter u with grave
    {{13, 16}, {4, 6}},  // 152 latin small letter y with diaeresis
    {{16, 22}, {4, 6}},  // 153 latin capital letter o with diaeresis
    {{14, 22}, {4, 6}},  // 154 latin capital letter u with diaeresis
    {{12, 18}, {4, 6}},  // 155 cent sign
    {{14, 20}, {4, 6}},  // 156 pound sign
    {{16, 18}, {4, 6}},  // 157 yen sign
    {{18, 24}, {4, 6}},  // 158 peseta sign
    {{10, 14}, {4, 6}},  // 159 latin small letter f with hook
    {{12, 19}, {4, 6}},  // 160 latin small letter a with acute
    {{2, 8}, {0, 2}},    // 161 latin small letter i with acute
    {{13, 19}, {4, 6}},  // 162 latin small letter o with acute
    {{11, 19}, {4, 6}},  // 163 latin small letter u with acute
    {{11, 19}, {4, 6}},  // 164 latin small letter n with tilde
    {{14, 22}, {4, 6}},  // 165 latin capital letter n with tilde
    {{8, 13}, {2, 4}},   // 166 feminine ordinal indicator
    {{8, 13}, {2, 4}},   // 167 masculine ordinal indicator
    {{12, 18}, {4, 6}},  // 168 inverted question mark
    {{18, 26}, {4, 6}},  // 169 reversed not sign
    {{18, 26}, {4, 6}},  // 170 not sign
    {{20, 26}, {6, 8}},  // 171 vulgar fraction one half
    {{20, 26}, {6, 8}},  // 172 vulgar fraction one quarter
    {{2, 10}, {0, 2}},   // 173 inverted exclamation mark
    {{14, 20}, {4, 6}},  // 174 left-pointing double angle quotation mark
    {{14, 20}, {4, 6}},  // 175 right-pointing double angle quotation mark
    {{11, 18}, {3, 5}},  // 176 light shade
    {{11, 18}, {3, 5}},  // 177 medium shade
    {{11, 18}, {3, 5}},  // 178 dark shade
    {{11, 18}, {3, 5}},  // 179 box drawings light vertical
    {{11, 18}, {3, 5}},  // 180 box drawings light vertical and left
    {{11, 18}, {3, 5}},  // 181 box drawings vertical single and left double
    {{11, 18}, {3, 5}},  // 182 box drawings vertical double and left single
    {{11, 18}, {3, 5}},  // 183 box drawings down double and left single
    {{11, 18}, {3, 5}},  // 184 box drawings down single and left double
    {{11, 18}, {3, 5}},  // 185 box drawings double vertical and left
    {{11, 18}, {3, 5}},  // 186 box drawings double vertical
    {{11, 18}, {3, 5}},  // 187 box drawings double down and left
    {{11, 18}, {3, 5}},  // 188 box drawings double up and left
    {{11, 18}, {3, 5}},  // 189 box drawings up double and left single
    {{11, 18}, {3, 5}},  // 190 box drawings up single and left double
    {{11, 18}, {3, 5}},  // 191 box drawings light down and left
    {{11, 18}, {3, 5}},  // 192 box drawings light up and right
    {{11, 18}, {3, 5}},  // 193 box drawings light up and horizontal
    {{11, 18}, {3, 5}},  // 194 box drawings light down and horizontal
    {{11, 18}, {3, 5}},  // 195 box drawings light vertical and right
    {{11, 18}, {3, 5}},  // 196 box drawings light horizontal
    {{11, 18}, {3, 5}},  // 197 box drawings light vertical and horizontal
    {{11, 18}, {3, 5}},  // 198 box drawings vertical single and right double
    {{11, 18}, {3, 5}},  // 199 box drawings vertical double and right single
    {{11, 18}, {3, 5}},  // 200 box drawings double up and right
    {{11, 18}, {3, 5}},  // 201 box drawings double down and right
    {{11, 18}, {3, 5}},  // 202 box drawings double up and horizontal
    {{11, 18}, {3, 5}},  // 203 box drawings double down and horizontal
    {{11, 18}, {3, 5}},  // 204 box drawings double vertical and right
    {{11, 18}, {3, 5}},  // 205 box drawings double horizontal
    {{11, 18}, {3, 5}},  // 206 box drawings double vertical and horizontal
    {{11, 18}, {3, 5}},  // 207 box drawings up single and horizontal double
    {{11, 18}, {3, 5}},  // 208 box drawings up double and horizontal single
    {{11, 18}, {3, 5}},  // 209 box drawings down single and horizontal double
    {{11, 18}, {3, 5}},  // 210 box drawings down double and horizontal single
    {{11, 18}, {3, 5}},  // 211 box drawings up double and right single
    {{11, 18}, {3, 5}},  // 212 box drawings up single and right double
    {{11, 18}, {3, 5}},  // 213 box drawings down single and right double
    {{11, 18}, {3, 5}},  // 214 box drawings down double and right single
    {{11, 18}, {3, 5}},  // 215 box drawings vertical double and horizontal single
    {{11, 18}, {3, 5}},  // 216 box drawings vertical single and horizontal double
    {{11, 18}, {3, 5}},  // 217 box drawings light up and left
    {{11, 18}, {3, 5}},  // 218 box drawings light down and right
    {{11, 18}, {3, 5}},  // 219 full block
    {{11, 18}, {3, 5}},  // 220 lower half block
    {{11, 18}, {3, 5}},  // 221 left half block
    {{11, 18}, {3, 5}},  // 222 right half block
    {{11, 18}, {3, 5}},  // 223 upper half block
    {{14, 20}, {4, 6}},  // 224 greek small letter alpha
    {{12, 19}, {4, 6}},  // 225 latin small letter sharp s
    {{12, 17}, {4, 6}},  // 226 greek capital letter gamma
    {{16, 22}, {4, 6}},  // 227 greek small letter pi
    {{14, 20}, {4, 6}},  // 228 greek capital letter sigma
    {{14, 20}, {4, 6}},  // 229 greek small letter sigma
    {{12, 19}, {4, 6}},  // 230 micro sign
    {{12, 18}, {4, 6}},  // 231 greek small letter tau
    {{16, 22}, {4, 6}},  // 232 greek capital letter phi
    {{16, 22}, {4, 6}},  // 233 greek capital letter theta
    {{16, 22}, {4, 6}},  // 234 greek capital letter omega
    {{12, 19}, {4, 6}},  // 235 greek small letter delta
    {{18, 24}, {4, 6}},  // 236 infinity
    {{14, 20}, {4, 6}},  // 237 greek small letter phi
    {{10, 16}, {4, 6}},  // 238 greek small letter epsilon
    {{14, 20}, {4, 6}},  // 239 intersection
    {{18, 26}, {4, 6}},  // 240 identical to
    {{18, 26}, {4, 6}},  // 241 plus-minus sign
    {{16, 24}, {4, 6}},  // 242 greater-than or equal to
    {{16, 24}, {4, 6}},  // 243 less-than or equal to
    {{6, 12}, {2, 4}},   // 244 top half integral
    {{6, 12}, {2, 4}},   // 245 bottom half integral
    {{18, 26}, {4, 6}},  // 246 division sign
    {{18, 26}, {4, 6}},  // 247 almost equal to
    {{8, 14}, {2, 4}},   // 248 degree sign
    {{2, 10}, {0, 2}},   // 249 bullet operator
    {{2, 10}, {0, 2}},   // 250 middle dot
    {{16, 20}, {4, 6}},  // 251 square root
    {{8, 14}, {2, 4}},   // 252 superscript latin small letter n
    {{8, 14}, {2, 4}},   // 253 superscript two
    {{12, 18}, {4, 6}},  // 254 black square
    {{0, 0}, {0, 0}},    // 255
};

// k / denominator rounded half up to four decimals; the division by 10000
// gives the same double as the four-decimal literal.
double four_decimals(int units, int denominator) {
    const int ten_thousandths = (units * 20000 + denominator) / (2 * denominator);
    return ten_thousandths / 10000.0;
}

bool is_txt(const std::string& font_file) {
    if (font_file.size() != 3) return false;
    return std::tolower(static_cast<unsigned char>(font_file[0])) == 't' &&
           std::tolower(static_cast<unsigned char>(font_file[1])) == 'x' &&
           std::tolower(static_cast<unsigned char>(font_file[2])) == 't';
}

}  // namespace

CharWidth char_width(WidthFont font, unsigned char code) {
    const Entry& entry = kWidths[code];
    if (font == WidthFont::txt)
        return {four_decimals(entry.txt.extent, 6), four_decimals(entry.txt.advance, 6)};
    return {four_decimals(entry.simplex.extent, 21), four_decimals(entry.simplex.advance, 21)};
}

WidthFont label_width_font(const TextStyleTable& styles, int current_font) {
    // By the current font number, not by the definition's style index.
    const int record = current_font == 0 ? 0 : 1;
    return is_txt(styles.records[record].font_file) ? WidthFont::txt : WidthFont::simplex;
}

double measure_line(WidthFont font, std::string_view line, double height, double width_factor) {
    double sum = 0.0;
    if (!line.empty()) {
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            sum += char_width(font, static_cast<unsigned char>(line[i])).advance;
        sum += char_width(font, static_cast<unsigned char>(line.back())).extent;
    }
    return (sum + 0.3333) * (width_factor * height);
}

}  // namespace penloom
