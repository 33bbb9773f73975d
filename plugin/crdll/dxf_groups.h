// Reading ASCII DXF text group by group, without copying: a group is a code
// line and a value line, each ended by "\r\n" or "\n".
#pragma once

#include <cstddef>
#include <string_view>

namespace penloom::relay {

struct Group {
    int code = 0;
    std::string_view code_line;   // as written ("  0"), without its line end
    std::string_view value;       // without its line end
};

struct GroupReader {
    std::string_view text;
    std::size_t at = 0;
    bool failed = false;          // a code line that is not an integer, or a
                                  // code line without its value line
};

// Reads the next group. Returns false at the end of the text (a final line
// end, or nothing, after the last group) and on malformed text, which also
// sets reader.failed.
bool next_group(GroupReader& reader, Group& out);

// The line end the text uses: "\r\n" when its first line ends so, else "\n".
std::string_view line_end_of(std::string_view text);

// The value without the blanks around it ("    70" gives "70").
std::string_view trimmed(std::string_view value);

}  // namespace penloom::relay
