// The settings reader over real profile files: file format, value
// conversions, and the parsed copy kept while the file is unchanged (the
// indexed sections: the pens', layers' and fonts' tests).
#include <fcntl.h>
#include <sys/stat.h>

#include "construction/profile.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class ProfileTest : public DriverTest {
protected:
    ProfileReader reader_with(const std::string& content) {
        write_file("test.ini", content);
        ProfileReader reader;
        select_profile(reader, path("test.ini"), "Settings");
        return reader;
    }
};

TEST_F(ProfileTest, FileFormat) {
    ProfileReader reader = reader_with(
        "\xEF\xBB\xBF; settings for the tests\n# another comment style\n"  // a byte order mark is skipped
        "loose=before any section\n[Settings]\n  Plain = value one  \nQuoted=\"  kept blanks  \"\n"
        "HalfQuoted=\"open\nEmpty=\nTwice=first\ntwice=second\n;Commented=yes\n#Hashed=yes\nNoEquals\n"
        "Inline=value ; not a comment\n[ Other ]\nPlain=other section\n"
        "[settings]\nLate=from the second section of the name\n[Crlf]\r\nKey=windows line\r\n");
    const struct { const char* section; const char* key; const char* expected; } rows[] = {
        {"SETTINGS", "  plain  ", "value one"}, {"Settings", "Quoted", "  kept blanks  "},
        {"Settings", "HalfQuoted", "\"open"},  {"Settings", "Empty", ""},
        {"Settings", "Twice", "first"},        {"Settings", "Commented", "<missing>"},
        {"Settings", "Hashed", "<missing>"},   {"Settings", "NoEquals", "<missing>"},
        {"Settings", "Inline", "value ; not a comment"},
        {"Settings", "loose", "<missing>"},    {"Settings", "Late", "<missing>"},
        {"other", "PLAIN", "other section"},   {"Crlf", "Key", "windows line"},
    };
    for (const auto& row : rows) {
        select_section(reader, row.section);
        EXPECT_EQ(get_string(reader, row.key, "<missing>", 256), row.expected) << row.section << row.key;
    }
    EXPECT_EQ(reader.cache.parse_count, 1);
}

TEST_F(ProfileTest, ValuesAndDefaults) {
    const struct { const char* value; int integer; double real; } rows[] = {
        {" 12", 12, 12.0}, {"abc", 0, -1.0}, {"3.9", 3, 3.9}, {"0x10", 0, 16.0}, {"", 99, -1.0},
        {"\"17\"", 17, 17.0}, {"1.5e2", 1, 150.0}, {"1,5", 1, 1.0},  // the decimal point is always `.`
        {"99999999999", 2147483647, 99999999999.0},      {"-99999999999", -2147483647 - 1, -99999999999.0},
        {"1234567890123456789", 2147483647, 123456789012345.0},  // at most 15 characters are read
        {"0.12345678901234567", 0, 0.1234567890123},
    };
    for (const auto& row : rows) {
        ProfileReader reader = reader_with(std::string("[Settings]\nKey=") + row.value + "\n");
        EXPECT_EQ(get_int(reader, "Key", 99), row.integer) << row.value;
        EXPECT_DOUBLE_EQ(get_double(reader, "Key", -1.0), row.real) << row.value;
    }
    // Quotes keep the leading blanks, which the "%15lf" conversion skips
    // within the first 79 characters only.
    ProfileReader reader = reader_with("[Settings]\nKey=\"" + std::string(78, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), 5.0);
    reader = reader_with("[Settings]\nKey=\"" + std::string(79, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), -1.0);
    // Strings are cut to the buffer, defaults too.
    reader = reader_with("[Settings]\nName=ABCDEFGH\n");
    EXPECT_EQ(get_string(reader, "Name", "x", 4), "ABC");
    EXPECT_EQ(get_string(reader, "Missing", "DEFAULT", 4), "DEF");
    EXPECT_EQ(get_string(reader, "Name", "x", 1), "");
}

TEST_F(ProfileTest, ChangedFileIsReadAgain) {
    auto set_mtime = [&](long seconds) {  // so that two writes can be told apart or made to look alike
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path("test.ini").c_str(), times, 0), 0);
    };
    ProfileReader reader = reader_with("[Settings]\nNumPens=8\n");
    set_mtime(1000000000);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 8);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 8);
    write_file("test.ini", "[Settings]\nNumPens=9\n");  // the same size, a later time
    set_mtime(1000000001);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 9);
    write_file("test.ini", "[Settings]\nNumPens=12\n");  // another size, the same time
    set_mtime(1000000001);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 12);
    std::remove(path("test.ini").c_str());  // removed: defaults
    EXPECT_EQ(get_int(reader, "NumPens", 0), 0);
    write_settings("[Settings]\nNumPens=4\n");  // locating the settings file again drops the parsed copy
    locate_settings_file(reader, prog());
    EXPECT_EQ(reader.path, prog() + "penloom.ini");
    select_section(reader, "Settings");
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(reader.cache.parse_count, 4);  // once for each file seen
}

}  // namespace
}  // namespace penloom::testing
