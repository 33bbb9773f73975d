// Deterministic plot files for the speed and memory benchmark.
//
// In: a kind, a size in MB (10^6 bytes) and an output path. Out: a plot file
// of about that size (it stops at the first instruction boundary past the
// size), the same bytes on every run and machine, and one summary line on
// stdout ("<kind> <bytes> bytes, <n> instructions").
//
// Kinds:
//   vectors  long PU/PD/PA/PR runs over pens 1..8
//   mixed    vectors plus arcs (AA/AR), circles, polygons filled with
//            PM0/PD/PM2/FP and RA, labels (LB), line types (LT) and
//            PE-encoded polylines
//   wrapped  the mixed plot inside a PJL/PCL job: UEL, @PJL ENTER
//            LANGUAGE=PCL, ESC E, then HP-GL/2 sections entered with ESC%1B
//            and left with ESC%0A, ESC E and UEL at the end
//
// Fill kinds, where the number is a count rather than a size:
//   dense-fill   <count> star-shaped polygons of 50 vertices piled at random
//                over the page (radius 1000..3000 plotter units) as the
//                subpolygons of one polygon buffer, filled by one FP
//   spread-fill  the same on a page whose area grows with the count (as
//                much of it per polygon as dense-fill 1000 has), so that
//                the overlaps per polygon stay the same
//   many-rects   <count> separate small rectangles (30..80 plotter units a
//                side, one per cell of a square grid), each its own
//                PM0/PM2/FP; the solid fills batch up until 1000 are pending
//
// Usage: plot_generator vectors|mixed|wrapped <MB> <output>
//        plot_generator dense-fill|spread-fill|many-rects <count> <output>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// SplitMix64: small, fast, and the same sequence everywhere.
struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    long range(long lo, long hi) { return lo + static_cast<long>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
};

// Output through one large buffer.
struct Sink {
    std::FILE* file = nullptr;
    std::vector<char> buffer = std::vector<char>(std::size_t{1} << 20);
    std::size_t used = 0;
    std::uint64_t written = 0;
    std::uint64_t instructions = 0;

    void flush() {
        if (used > 0 && std::fwrite(buffer.data(), 1, used, file) != used) {
            std::perror("plot_generator: write");
            std::exit(1);
        }
        written += used;
        used = 0;
    }
    void put(std::string_view s) {
        if (used + s.size() > buffer.size())
            flush();
        std::memcpy(buffer.data() + used, s.data(), s.size());
        used += s.size();
    }
    void put(char c) {
        if (used + 1 > buffer.size())
            flush();
        buffer[used++] = c;
    }
    void num(long v) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        put(std::string_view(text, static_cast<std::size_t>(end - text)));
    }
    void pair(long x, long y) {
        num(x);
        put(',');
        num(y);
    }
    std::uint64_t size() const { return written + used; }
};

constexpr long kPage = 40000;   // plotter units, about a metre square

struct Generator {
    Sink out;
    Random rng{20261205};
    long x = 0, y = 0;          // current pen position, plotter units

    long coord() { return rng.range(0, kPage); }
    void end(char c = ';') {
        out.put(c);
        ++out.instructions;
    }

    void select_pen() {
        out.put("SP");
        out.num(rng.range(1, 8));
        end();
    }

    // PU to a random point, then one PD (absolute) or PR (relative) run.
    void vector_run() {
        x = coord();
        y = coord();
        out.put("PU");
        out.pair(x, y);
        end();
        const int points = static_cast<int>(rng.range(4, 48));
        if (rng.next() % 2 == 0) {
            out.put("PD");
            for (int i = 0; i < points; ++i) {
                x = std::clamp(x + rng.range(-600, 600), 0L, kPage);
                y = std::clamp(y + rng.range(-600, 600), 0L, kPage);
                if (i > 0)
                    out.put(',');
                out.pair(x, y);
            }
            end();
        } else {
            out.put("PD;PR");
            for (int i = 0; i < points; ++i) {
                const long dx = rng.range(-400, 400), dy = rng.range(-400, 400);
                x += dx;
                y += dy;
                if (i > 0)
                    out.put(',');
                out.pair(dx, dy);
            }
            end();
            out.put("PA");
            end();
        }
    }

    void vectors_block() {
        select_pen();
        for (int i = 0; i < 24; ++i)
            vector_run();
        out.put("PU");
        end();
    }

    void arcs() {
        out.put("PU");
        out.pair(coord(), coord());
        end();
        out.put("PD");
        end();
        out.put("AR");
        out.pair(rng.range(-800, 800), rng.range(-800, 800));
        out.put(',');
        out.num(rng.range(-270, 270));
        end();
        out.put("AA");
        out.pair(coord(), coord());
        out.put(',');
        out.num(rng.range(-180, 180));
        end();
        out.put("PU");
        end();
        out.put("PA");
        out.pair(coord(), coord());
        end();
        out.put("CI");
        out.num(rng.range(50, 2000));
        end();
    }

    void polygon_fill() {
        x = coord();
        y = coord();
        out.put("PU");
        out.pair(x, y);
        end();
        out.put("PM0");
        end();
        out.put("PD");
        const int corners = static_cast<int>(rng.range(3, 12));
        for (int i = 0; i < corners; ++i) {
            if (i > 0)
                out.put(',');
            out.pair(std::clamp(x + rng.range(-1500, 1500), 0L, kPage), std::clamp(y + rng.range(-1500, 1500), 0L, kPage));
        }
        end();
        out.put("PM2");
        end();
        out.put("FP");
        end();
        out.put("PU");
        end();
        out.put("PA");
        out.pair(coord(), coord());
        end();
        out.put("RA");
        out.pair(coord(), coord());
        end();
    }

    void label() {
        static constexpr std::string_view words[] = {"PUMP", "VALVE 12", "Section A-A", "Detail 3", "FLANGE DN100",
                                                     "Rev. C", "Scale 1:50", "north wall"};
        out.put("PA");
        out.pair(coord(), coord());
        end();
        out.put("LB");
        out.put(words[rng.next() % std::size(words)]);
        out.put('\x03');   // the default label terminator
        ++out.instructions;
    }

    void line_type() {
        out.put("LT");
        const long kind = rng.range(-1, 8);
        if (kind >= 0) {
            out.num(kind);
            out.put(',');
            out.num(rng.range(2, 8));
        }
        end();
    }

    // PE number in 8-bit mode: base-64 digits, least significant first,
    // the sign in the lowest bit.
    void pe_number(long v) {
        std::uint64_t n = v < 0 ? (static_cast<std::uint64_t>(-v) << 1) | 1u : static_cast<std::uint64_t>(v) << 1;
        while (n >= 64) {
            out.put(static_cast<char>(63 + (n & 63)));
            n >>= 6;
        }
        out.put(static_cast<char>(191 + n));
    }

    void encoded_polyline() {
        out.put("PU");
        out.pair(coord(), coord());
        end();
        out.put("PE");
        const int points = static_cast<int>(rng.range(8, 64));
        for (int i = 0; i < points; ++i) {
            if (i > 0 && i % 16 == 0)
                out.put('<');   // a pen-up move splits the path
            pe_number(rng.range(-500, 500));
            pe_number(rng.range(-500, 500));
        }
        end();
    }

    // One star-shaped polygon: 50 corners at rising angles round a random
    // centre, each at its own radius, as PU to the first corner and PD
    // through the others, then PM1 to close it.
    void star_polygon(long page) {
        constexpr int kCorners = 50;
        const long cx = rng.range(0, page), cy = rng.range(0, page);
        const long radius = rng.range(1000, 3000);
        for (int i = 0; i < kCorners; ++i) {
            // Angles in thousandths of a turn, kept rising so the outline
            // never crosses itself.
            const double turn = (i * 1000 + rng.range(0, 900)) / (1000.0 * kCorners);
            const double r = static_cast<double>(rng.range(radius / 2, radius));
            const long px = cx + static_cast<long>(r * std::cos(turn * 6.283185307179586));
            const long py = cy + static_cast<long>(r * std::sin(turn * 6.283185307179586));
            if (i == 0) {
                out.put("PU");
            } else if (i == 1) {
                out.put("PD");
            } else {
                out.put(',');
            }
            out.pair(px, py);
            if (i == 0)
                end();
        }
        end();
        out.put("PM1");
        end();
    }

    void dense_fill(long count, long page) {
        out.put("PA");
        end();
        out.put("PM0");
        end();
        for (long i = 0; i < count; ++i)
            star_polygon(page);
        out.put("PM2");
        end();
        out.put("FP");
        end();
    }

    // Rectangle i of a square grid of 100-unit cells, its corner and size
    // random within the cell.
    void many_rects(long count) {
        long side = 1;
        while (side * side < count)
            ++side;
        for (long i = 0; i < count; ++i) {
            const long w = rng.range(30, 80), h = rng.range(30, 80);
            out.put("PU");
            out.pair((i % side) * 100 + rng.range(0, 100 - w), (i / side) * 100 + rng.range(0, 100 - h));
            end();
            out.put("PM0");
            end();
            out.put("PD");
            end();
            out.put("PR");
            out.pair(w, 0);
            out.put(',');
            out.pair(0, h);
            out.put(',');
            out.pair(-w, 0);
            end();
            out.put("PM2");
            end();
            out.put("FP");
            end();
            out.put("PU;PA");
            end();
            ++out.instructions;
        }
    }

    void mixed_block() {
        select_pen();
        for (int i = 0; i < 6; ++i)
            vector_run();
        out.put("PU");
        end();
        switch (rng.next() % 6) {
        case 0: arcs(); break;
        case 1: polygon_fill(); break;
        case 2: label(); break;
        case 3: line_type(); break;
        case 4: encoded_polyline(); break;
        default:
            arcs();
            encoded_polyline();
            break;
        }
    }
};

int usage() {
    std::fprintf(stderr, "usage: plot_generator vectors|mixed|wrapped <MB> <output>\n"
                         "       plot_generator dense-fill|spread-fill|many-rects <count> <output>\n");
    return 2;
}

// Flushes and closes the plot and prints the summary line.
int finish(Generator& g, const std::string& kind, const char* path) {
    g.out.flush();
    if (std::fclose(g.out.file) != 0) {
        std::perror(path);
        return 1;
    }
    std::printf("%s %llu bytes, %llu instructions\n", kind.c_str(), static_cast<unsigned long long>(g.out.written),
                static_cast<unsigned long long>(g.out.instructions));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return usage();
    const std::string kind = argv[1];
    const double megabytes = std::atof(argv[2]);
    const bool fill_kind = kind == "dense-fill" || kind == "spread-fill" || kind == "many-rects";
    if ((kind != "vectors" && kind != "mixed" && kind != "wrapped" && !fill_kind) || !(megabytes > 0))
        return usage();
    const auto target = static_cast<std::uint64_t>(megabytes * 1e6);

    Generator g;
    g.out.file = std::fopen(argv[3], "wb");
    if (!g.out.file) {
        std::perror(argv[3]);
        return 1;
    }
    if (fill_kind) {
        g.out.put("IN;SP1;");
        g.out.instructions += 2;
        const auto count = static_cast<long>(megabytes);
        if (kind == "dense-fill")
            g.dense_fill(count, kPage);
        else if (kind == "spread-fill")
            g.dense_fill(count, static_cast<long>(kPage * std::sqrt(count / 1000.0)));
        else
            g.many_rects(count);
        g.out.put("PU;SP0;");
        g.out.instructions += 2;
        return finish(g, kind, argv[3]);
    }
    const bool wrapped = kind == "wrapped";
    if (wrapped)
        g.out.put("\x1b%-12345X@PJL JOB NAME=\"bench\"\r\n@PJL ENTER LANGUAGE=PCL\r\n\x1b" "E\x1b%1B");
    g.out.put("IN;");
    ++g.out.instructions;
    std::uint64_t next_section = 4'000'000;   // wrapped: leave and re-enter HP-GL/2 every ~4 MB
    while (g.out.size() < target) {
        if (kind == "vectors")
            g.vectors_block();
        else
            g.mixed_block();
        if (wrapped && g.out.size() >= next_section) {
            g.out.put("PU;\x1b%0A\x1b*p0x0Y\x1b%1B");
            next_section += 4'000'000;
        }
    }
    g.out.put("PU;SP0;");
    if (wrapped)
        g.out.put("\x1b%0A\x1b" "E\x1b%-12345X");
    return finish(g, kind, argv[3]);
}
