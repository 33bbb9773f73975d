// Counts the entities of an ASCII DXF for the benchmark table.
//
// In: a DXF file as the DXF writer makes it (CR LF line ends, group codes
// right-aligned in three columns). Out: one line "TYPE=count ..." over the
// entities of the ENTITIES section (every "  0" group names one), sorted by
// type name, then "total=N". The file is read in large blocks, line by line.
//
// Usage: dxf_entity_count <file.dxf>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dxf_entity_count <file.dxf>\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<char> buffer(std::size_t{1} << 22);
    std::string line, code;
    bool value_line = false, in_entities = false, section_name = false;
    std::map<std::string, unsigned long long> counts;
    unsigned long long total = 0;
    auto take = [&](std::string& text) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (!value_line) {
            code = text;
            value_line = true;
            return;
        }
        value_line = false;
        const bool zero = code == "  0" || code == "0";
        if (section_name) {
            in_entities = code == "  2" && text == "ENTITIES";
            section_name = false;
        }
        if (!zero)
            return;
        if (text == "SECTION") {
            section_name = true;
        } else if (text == "ENDSEC") {
            in_entities = false;
        } else if (in_entities) {
            ++counts[text];
            ++total;
        }
    };
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
        const char* p = buffer.data();
        const char* end = p + n;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!nl) {
                line.append(p, end);
                break;
            }
            line.append(p, nl);
            take(line);
            line.clear();
            p = nl + 1;
        }
    }
    std::fclose(f);
    for (const auto& [type, count] : counts)
        std::printf("%s=%llu ", type.c_str(), count);
    std::printf("total=%llu\n", total);
    return 0;
}
