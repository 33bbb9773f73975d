// Plot file classification. The searches are plain text searches over the
// sample: case-sensitive, and ending at the first zero byte.
#include "driver/classify.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace penloom {

namespace {

constexpr std::size_t kMaxSample = 2048;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

struct Sample {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kHeadSample + kHeadSlack, 0);
    std::size_t length = 0;

    // End of the text: the first zero byte, or the length.
    std::size_t text_end() const {
        const void* zero = std::memchr(bytes.data(), 0, length);
        return zero == nullptr ? length
                               : static_cast<std::size_t>(static_cast<const unsigned char*>(zero) -
                                                          bytes.data());
    }
    bool starts_with(std::size_t at, std::string_view text) const {
        if (at + text.size() > length) return false;
        return std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
    }
    // First occurrence of `text` starting at or after `from` and ending
    // before `end` (and before the first zero byte).
    std::size_t find(std::string_view text, std::size_t from, std::size_t end) const {
        end = std::min(end, text_end());
        if (text.empty() || from >= end || end - from < text.size()) return kNotFound;
        auto first = bytes.begin() + static_cast<std::ptrdiff_t>(from);
        auto last = bytes.begin() + static_cast<std::ptrdiff_t>(end);
        auto hit = std::search(first, last, text.begin(), text.end(), [](unsigned char a, char b) {
            return a == static_cast<unsigned char>(b);
        });
        return hit == last ? kNotFound : static_cast<std::size_t>(hit - bytes.begin());
    }
    std::size_t find(std::string_view text, std::size_t from) const {
        return find(text, from, length);
    }
};

bool equal_nocase(unsigned char a, char b) {
    auto lower = [](int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    return lower(a) == lower(static_cast<unsigned char>(b));
}

void read_sample(ReaderState& reader, Sample& sample) {
    std::int64_t wanted = reader.file_length > 0 ? reader.file_length * 9 / 10 : 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(wanted, kMaxSample));
    if (n == 0) return;
    int c;
    do c = read_file_byte(reader);
    while (c == 0);
    if (c < 0) return;
    std::size_t got = 0;
    sample.bytes[got++] = static_cast<unsigned char>(c);
    while (got < n) {
        c = read_file_byte(reader);
        if (c < 0) break;
        sample.bytes[got++] = static_cast<unsigned char>(c);
    }
    // A sample that ends in `L` takes one byte more.
    if (got == n && sample.bytes[got - 1] == 'L') {
        c = read_file_byte(reader);
        if (c >= 0) sample.bytes[got++] = static_cast<unsigned char>(c);
    }
    sample.length = got;
}

// Job header "A<digit> " of pen-plotter spoolers: the data starts after the
// last ESC.( in it.
std::size_t job_header_end(const Sample& s) {
    if (s.length < 7 || s.bytes[0] != 'A' || !is_digit(s.bytes[1]) || s.bytes[2] != ' ') return 0;
    std::size_t start = 0;
    const std::size_t text_end = s.text_end();
    for (std::size_t i = 3; i <= s.length - 4 && i + 2 < text_end; ++i)
        if (s.bytes[i] == kEscape && s.bytes[i + 1] == '.' && s.bytes[i + 2] == '(') start = i + 3;
    return start;
}

// Copies the sample from `start` to the front, leaving out every `ESC.`
// device-control sequence up to and including its `:`; without a `:` the
// rest of the sample goes.
void remove_device_control(Sample& s, std::size_t start) {
    std::vector<unsigned char> kept(kHeadSample + kHeadSlack, 0);
    std::size_t out = 0;
    std::size_t i = start;
    while (i < s.length) {
        if (s.bytes[i] == kEscape && i + 1 < s.length && s.bytes[i + 1] == '.') {
            std::size_t colon = s.find(":", i + 2);
            if (colon == kNotFound) break;
            i = colon + 1;
            continue;
        }
        kept[out++] = s.bytes[i++];
    }
    s.bytes.swap(kept);
    s.length = out;
}

// The skips over wrappers that may stand before the plot data; each tried
// once, in this order. Returns the skip position.
std::size_t skip_wrappers(const Sample& s) {
    std::size_t p = 0;
    const unsigned char* b = s.bytes.data();
    if (s.starts_with(0, "BEGMF")) {
        std::size_t end = s.find("ENDMF", 0);
        if (end != kNotFound) p = end + 5;
    }
    if (b[p] == kEscape && b[p + 1] == 7 && b[p + 2] == 'Q') {
        p += 3;
        if (is_digit(b[p])) ++p;
    }
    if (b[p] == kEscape && (b[p + 1] == 'z' || b[p + 1] == 'Z')) {
        while (p < s.length && b[p] == kEscape) {
            std::size_t semicolon = s.find(";", p);
            if (semicolon == kNotFound) {
                p = 0;
                break;
            }
            p = semicolon + 1;
        }
    }
    if (s.starts_with(p, "\\e-1B")) p += 5;
    std::size_t metafile = s.find("\x1b.N;19:", p, p + 256);
    if (metafile != kNotFound) p = metafile + 7;
    return std::min(p, s.length);
}

bool found(const Sample& s, std::size_t from, std::string_view spaced, std::string_view tight) {
    return s.find(spaced, from) != kNotFound || s.find(tight, from) != kNotFound;
}

}  // namespace

Classification classify_plot_file(ReaderState& reader, LanguageState& language) {
    Classification result;
    Sample s;
    read_sample(reader, s);

    if (s.starts_with(0, " ;:")) {
        result.dmp = true;
        return result;
    }
    if (s.starts_with(0, "%!PS-Adobe")) {
        result.postscript_by_header = true;
        return result;
    }
    if (s.find("CALCOMP DEVICE CONTROL", 0, std::min<std::size_t>(40, s.length)) != kNotFound) {
        result.calcomp = true;
        return result;
    }

    static constexpr std::string_view kUniversalExit = "\x1b%-12345X";
    if (s.length >= kUniversalExit.size() &&
        std::equal(kUniversalExit.begin(), kUniversalExit.end(), s.bytes.begin(),
                   [](char a, unsigned char b) { return equal_nocase(b, a); })) {
        install_head(reader, s.bytes.data(), s.length);
        language.mode = language_pjl;
        result.go_ahead = true;
        return result;
    }

    remove_device_control(s, job_header_end(s));
    std::size_t p = skip_wrappers(s);

    // A PJL job further in that enters PCL or PostScript (and not HP-GL)
    // is translated only from its HP-GL/2 entry sequence on.
    for (std::size_t i = p; i < s.length; ++i) {
        if (!s.starts_with(i, "\x1b%-12345X@PJL") || s.find("ENTER LANGUAGE", i) == kNotFound)
            continue;
        bool pcl = found(s, i, "ENTER LANGUAGE = PCL", "ENTER LANGUAGE=PCL");
        bool postscript = found(s, i, "ENTER LANGUAGE = POSTSCRIPT", "ENTER LANGUAGE=POSTSCRIPT");
        bool hpgl = found(s, i, "ENTER LANGUAGE = HPGL", "ENTER LANGUAGE=HPGL");
        result.pcl_by_pjl = result.pcl_by_pjl || pcl;
        result.postscript_by_pjl = result.postscript_by_pjl || postscript;
        if (!(pcl || postscript) || hpgl) continue;
        std::size_t entry = s.find("\x1b%1B", 0);
        if (entry == kNotFound) entry = s.find("\x1b%0B", 0);
        if (entry == kNotFound) entry = s.find("\x1b%-1B", 0);
        if (entry == kNotFound) return result;
        install_head(reader, s.bytes.data() + entry + 1, s.length - entry - 1);
        language.mode = language_hpgl;
        result.go_ahead = true;
        return result;
    }

    std::size_t leading_escapes = 0;
    while (leading_escapes < s.length && s.bytes[leading_escapes] == kEscape) ++leading_escapes;
    p = std::max(p, leading_escapes);
    install_head(reader, s.bytes.data() + p, s.length - p);
    language.mode = language_hpgl;
    result.go_ahead = true;
    return result;
}

void print_refusal(Output& out, const Classification& result) {
    if (result.pcl_by_pjl)
        out.print(
            "ERROR: This file is not a HPGL plot file. It's a PCL (Printer Command Language) "
            "file.\n");
    if (result.postscript_by_header || result.postscript_by_pjl)
        out.print("ERROR: This file is not a HPGL plot file. It's a Postscript file.\n");
    if (result.dmp) out.print("ERROR: This file is not a HPGL plot file. It's a DMP plot file.\n");
    if (result.calcomp)
        out.print("ERROR: This file is not a HPGL plot file. (It's a CALCOMP plot file.)\n");
}

}  // namespace penloom
