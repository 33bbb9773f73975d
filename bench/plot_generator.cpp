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
// Usage: plot_generator vectors|mixed|wrapped <MB> <output>
#include <algorithm>
#include <charconv>
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
    std::fprintf(stderr, "usage: plot_generator vectors|mixed|wrapped <MB> <output>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return usage();
    const std::string kind = argv[1];
    const double megabytes = std::atof(argv[2]);
    if ((kind != "vectors" && kind != "mixed" && kind != "wrapped") || !(megabytes > 0))
        return usage();
    const auto target = static_cast<std::uint64_t>(megabytes * 1e6);

    Generator g;
    g.out.file = std::fopen(argv[3], "wb");
    if (!g.out.file) {
        std::perror(argv[3]);
        return 1;
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
    g.out.flush();
    if (std::fclose(g.out.file) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    std::printf("%s %llu bytes, %llu instructions\n", kind.c_str(), static_cast<unsigned long long>(g.out.written),
                static_cast<unsigned long long>(g.out.instructions));
    return 0;
}
