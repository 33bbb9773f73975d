// The settings reader over real profile files: file format, value
// conversions, and the parsed copy kept while the file is unchanged.
#include <fcntl.h>
#include <sys/stat.h>

#include "driver/profile.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class ProfileTest : public DriverTest {
protected:
    ProfileReader reader_with(const std::string& content, const std::string& section = "Settings") {
        write_file("test.ini", content);
        ProfileReader reader;
        select_profile(reader, path("test.ini"), section);
        return reader;
    }
    // Sets the file's modification time to a fixed second, so that two
    // writes of the same size can be told apart or made to look alike.
    void set_mtime(long seconds) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path("test.ini").c_str(), times, 0), 0);
    }
};

TEST_F(ProfileTest, FileFormat) {
    const char* const sample =
        "\xEF\xBB\xBF; settings for the tests\n"  // a byte order mark is skipped
        "# another comment style\n"
        "loose=before any section\n"
        "[Settings]\n"
        "  Plain = value one  \n"
        "Quoted=\"  kept blanks  \"\n"
        "HalfQuoted=\"open\n"
        "Empty=\n"
        "Twice=first\n"
        "twice=second\n"
        ";Commented=yes\n"
        "#Hashed=yes\n"
        "NoEquals\n"
        "Inline=value ; not a comment\n"
        "[ Other ]\n"
        "Plain=other section\n"
        "[settings]\n"
        "Late=from the second section of the name\n"
        "[Crlf]\r\n"
        "Key=windows line\r\n";
    const struct { const char* section; const char* key; const char* expected; } rows[] = {
        {"SETTINGS", "  plain  ", "value one"}, {"Settings", "Quoted", "  kept blanks  "},
        {"Settings", "HalfQuoted", "\"open"},  {"Settings", "Empty", ""},
        {"Settings", "Twice", "first"},        {"Settings", "Commented", "<missing>"},
        {"Settings", "Hashed", "<missing>"},   {"Settings", "NoEquals", "<missing>"},
        {"Settings", "Inline", "value ; not a comment"},
        {"Settings", "loose", "<missing>"},    {"Settings", "Late", "<missing>"},
        {"other", "PLAIN", "other section"},   {"Crlf", "Key", "windows line"},
    };
    ProfileReader reader = reader_with(sample);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key);
        select_section(reader, row.section);
        EXPECT_EQ(get_string(reader, row.key, "<missing>", 256), row.expected);
    }
    EXPECT_EQ(reader.cache.parse_count, 1);
}

TEST_F(ProfileTest, ValuesAndDefaults) {
    const struct { const char* value; int integer; double real; } rows[] = {
        {" 12", 12, 12.0},   {"abc", 0, -1.0},    {"-5", -5, -5.0},       {"3.9", 3, 3.9},
        {"0x10", 0, 16.0},
        {"", 99, -1.0},      {"\"17\"", 17, 17.0}, {"1.5e2", 1, 150.0},   {"3mm", 3, 3.0},
        {"1,5", 1, 1.0},     // the decimal point is always `.`
        {"99999999999", 2147483647, 99999999999.0},      {"-99999999999", -2147483647 - 1, -99999999999.0},
        {"1234567890123456789", 2147483647, 123456789012345.0},  // at most 15 characters are read
        {"0.12345678901234567", 0, 0.1234567890123},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        ProfileReader reader = reader_with(std::string("[Settings]\nKey=") + row.value + "\n");
        EXPECT_EQ(get_int(reader, "Key", 99), row.integer);
        EXPECT_DOUBLE_EQ(get_double(reader, "Key", -1.0), row.real);
    }
    // Quotes keep the leading blanks, which the "%15lf" conversion skips
    // within the first 79 characters only.
    ProfileReader reader = reader_with("[Settings]\nKey=\"" + std::string(78, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), 5.0);
    reader = reader_with("[Settings]\nKey=\"" + std::string(79, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), -1.0);
    // Strings are cut to the buffer, defaults too.
    reader = reader_with("[Settings]\nName=ABCDEFGH\n");
    EXPECT_EQ(get_int(reader, "Key", 99), 99);
    EXPECT_EQ(get_string(reader, "Name", "x", 4), "ABC");
    EXPECT_EQ(get_string(reader, "Missing", "DEFAULT", 4), "DEF");
    EXPECT_EQ(get_string(reader, "Name", "x", 1), "");
    // A missing file gives the defaults.
    select_profile(reader, path("nothing.ini"), "Settings");
    EXPECT_EQ(get_double(reader, "PlotterUnit", 0.025), 0.025);
    EXPECT_EQ(find_value(reader, "NumPens"), nullptr);
}

TEST_F(ProfileTest, IndexedKeys) {
    ProfileReader reader = reader_with(
        "[HPGLPens]\n12=3\n[HPGLPenWidths]\n1=0.5\n[MapTypefaceToFont]\n48=monotxt\n", "HPGLPens");
    EXPECT_EQ(get_int_indexed(reader, 12, -1), 3);
    EXPECT_EQ(get_int_indexed(reader, 13, -1), -1);
    select_section(reader, "HPGLPenWidths");
    EXPECT_EQ(get_double_indexed(reader, 1, -1.0), 0.5);
    select_section(reader, "MapTypefaceToFont");
    EXPECT_EQ(get_string_indexed(reader, 48, "txt", 260), "monotxt");
}

TEST_F(ProfileTest, ChangedFileIsReadAgain) {
    ProfileReader reader = reader_with("[Settings]\nNumPens=8\n");
    set_mtime(1000000000);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 8);
    EXPECT_EQ(reader.cache.parse_count, 1);
    write_file("test.ini", "[Settings]\nNumPens=12\n");  // another size
    set_mtime(1000000000);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 12);
    EXPECT_EQ(reader.cache.parse_count, 2);
    write_file("test.ini", "[Settings]\nNumPens=16\n");  // the same size, a later time
    set_mtime(1000000001);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 16);
    EXPECT_EQ(reader.cache.parse_count, 3);
    std::remove(path("test.ini").c_str());  // removed: defaults
    EXPECT_EQ(get_int(reader, "NumPens", 0), 0);
    // Locating the settings file again drops the parsed copy.
    write_settings("[Settings]\nNumPens=4\n");
    locate_settings_file(reader, prog());
    EXPECT_EQ(reader.path, prog() + "penloom.ini");
    select_section(reader, "Settings");
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    locate_settings_file(reader, prog());
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(reader.cache.parse_count, 5);
}

}  // namespace
}  // namespace penloom::testing
