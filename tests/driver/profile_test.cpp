// The settings reader over real profile files: file format, value
// conversions, and the parsed copy kept while the file is unchanged.
#include <sys/stat.h>

#include <fcntl.h>

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
};

const char* const sample =
    "; settings for the tests\n"
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
    "Number= 42 \n"
    "[ Other ]\n"
    "Plain=other section\n"
    "[settings]\n"
    "Late=from the second section of the name\n"
    "[Crlf]\r\n"
    "Key=windows line\r\n";

TEST_F(ProfileTest, FileFormat) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Settings", "Plain", "value one"},
        {"SETTINGS", "plain", "value one"},
        {"Settings", "  Plain  ", "value one"},
        {"Settings", "Quoted", "  kept blanks  "},
        {"Settings", "HalfQuoted", "\"open"},
        {"Settings", "Empty", ""},
        {"Settings", "Twice", "first"},
        {"Settings", "Commented", "<missing>"},
        {"Settings", "Hashed", "<missing>"},
        {"Settings", ";Commented", "<missing>"},
        {"Settings", "NoEquals", "<missing>"},
        {"Settings", "Inline", "value ; not a comment"},
        {"Settings", "loose", "<missing>"},
        {"Settings", "Late", "<missing>"},
        {"Other", "Plain", "other section"},
        {"other", "PLAIN", "other section"},
        {"Crlf", "Key", "windows line"},
        {"Missing", "Plain", "<missing>"},
    };
    ProfileReader reader = reader_with(sample);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        select_section(reader, c.section);
        EXPECT_EQ(get_string(reader, c.key, "<missing>", 256), c.expected);
    }
    EXPECT_EQ(reader.cache.parse_count, 1);
}

TEST_F(ProfileTest, MissingFileGivesDefaults) {
    ProfileReader reader;
    select_profile(reader, path("nothing.ini"), "Settings");
    EXPECT_EQ(get_int(reader, "NumPens", 8), 8);
    EXPECT_EQ(get_double(reader, "PlotterUnit", 0.025), 0.025);
    EXPECT_EQ(get_string(reader, "LayerPrefix", "LAY", 32), "LAY");
    EXPECT_EQ(find_value(reader, "NumPens"), nullptr);
}

TEST_F(ProfileTest, Integers) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},       {" 12", 12},     {"12abc", 12},    {"abc", 0},      {"-5", -5},
        {"+7", 7},        {"3.9", 3},      {"0x10", 0},      {"", 99},        {"\"17\"", 17},
        {"99999999999", 2147483647},      {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ProfileReader reader = reader_with(std::string("[Settings]\nKey=") + c.value + "\n");
        EXPECT_EQ(get_int(reader, "Key", 99), c.expected);
    }
    ProfileReader reader = reader_with("[Settings]\nOther=1\n");
    EXPECT_EQ(get_int(reader, "Key", 99), 99);
}

TEST_F(ProfileTest, Doubles) {
    struct Case {
        const char* value;
        double expected;
    };
    const Case cases[] = {
        {"0.025", 0.025},
        {"1.5e2", 150.0},
        {"  2.5", 2.5},
        {"-0.5", -0.5},
        {"3mm", 3.0},
        {"abc", -1.0},
        {"", -1.0},
        {".", -1.0},
        {"1234567890123456789", 123456789012345.0},  // at most 15 characters are read
        {"0.12345678901234567", 0.1234567890123},
        {"1,5", 1.0},                                 // the decimal point is always `.`
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ProfileReader reader = reader_with(std::string("[Settings]\nKey=") + c.value + "\n");
        EXPECT_DOUBLE_EQ(get_double(reader, "Key", -1.0), c.expected);
    }
}

TEST_F(ProfileTest, DoubleReadsOnlyTheFirst79Characters) {
    // Quotes keep the leading blanks, which the "%15lf" conversion skips.
    ProfileReader reader = reader_with("[Settings]\nKey=\"" + std::string(78, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), 5.0);
    reader = reader_with("[Settings]\nKey=\"" + std::string(79, ' ') + "5\"\n");
    EXPECT_EQ(get_double(reader, "Key", -1.0), -1.0);
}

TEST_F(ProfileTest, StringsAreCutToTheBuffer) {
    ProfileReader reader = reader_with("[Settings]\nName=ABCDEFGH\n");
    EXPECT_EQ(get_string(reader, "Name", "x", 4), "ABC");
    EXPECT_EQ(get_string(reader, "Missing", "DEFAULT", 4), "DEF");
    EXPECT_EQ(get_string(reader, "Name", "x", 1), "");
    std::string field = "kept";
    field = get_string(reader, "Missing", field, 256);
    EXPECT_EQ(field, "kept");
}

TEST_F(ProfileTest, IndexedKeys) {
    ProfileReader reader = reader_with(
        "[HPGLPens]\n0=254\n1=7\n12=3\n[HPGLPenWidths]\n1=0.5\n[MapTypefaceToFont]\n48=monotxt\n", "HPGLPens");
    EXPECT_EQ(get_int_indexed(reader, 0, -1), 254);
    EXPECT_EQ(get_int_indexed(reader, 12, -1), 3);
    EXPECT_EQ(get_int_indexed(reader, 13, -1), -1);
    select_section(reader, "HPGLPenWidths");
    EXPECT_EQ(get_double_indexed(reader, 1, -1.0), 0.5);
    EXPECT_EQ(get_double_indexed(reader, 2, -1.0), -1.0);
    select_section(reader, "MapTypefaceToFont");
    EXPECT_EQ(get_string_indexed(reader, 48, "txt", 260), "monotxt");
    EXPECT_EQ(get_string_indexed(reader, 5, "txt", 260), "txt");
    EXPECT_EQ(reader.cache.parse_count, 1);
}

// Sets the file's modification time to a fixed second, so that two writes
// of the same size can be told apart or made to look alike.
void set_mtime(const std::string& path, long seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(ProfileTest, UnchangedFileIsParsedOnce) {
    ProfileReader reader = reader_with("[HPGLPens]\n1=3\n[HPGLLayers]\n1=WALLS\n");
    for (int drawing = 0; drawing < 50; ++drawing) {
        select_section(reader, "HPGLPens");
        for (int pen = 0; pen <= 256; ++pen) (void)get_int_indexed(reader, pen, -1);
        select_section(reader, "HPGLLayers");
        EXPECT_EQ(get_string_indexed(reader, 1, "", 256), "WALLS");
    }
    EXPECT_EQ(reader.cache.parse_count, 1);
}

TEST_F(ProfileTest, ChangedFileIsReadAgain) {
    ProfileReader reader = reader_with("[Settings]\nNumPens=8\n");
    set_mtime(path("test.ini"), 1000000000);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 8);
    EXPECT_EQ(reader.cache.parse_count, 1);

    // Another size.
    write_file("test.ini", "[Settings]\nNumPens=12\n");
    set_mtime(path("test.ini"), 1000000000);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 12);
    EXPECT_EQ(reader.cache.parse_count, 2);

    // The same size, a later modification time.
    write_file("test.ini", "[Settings]\nNumPens=16\n");
    set_mtime(path("test.ini"), 1000000001);
    EXPECT_EQ(get_int(reader, "NumPens", 0), 16);
    EXPECT_EQ(reader.cache.parse_count, 3);

    // Removed: defaults, and a new file is parsed when it comes back.
    std::remove(path("test.ini").c_str());
    EXPECT_EQ(get_int(reader, "NumPens", 0), 0);
    write_file("test.ini", "[Settings]\nNumPens=16\n");
    EXPECT_EQ(get_int(reader, "NumPens", 0), 16);
    EXPECT_EQ(reader.cache.parse_count, 4);
}

TEST_F(ProfileTest, LocatingTheFileDropsTheParsedCopy) {
    write_settings("[Settings]\nNumPens=4\n");
    ProfileReader reader;
    locate_settings_file(reader, prog());
    EXPECT_EQ(reader.path, prog() + "penloom.ini");
    select_section(reader, "Settings");
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(reader.cache.parse_count, 1);
    locate_settings_file(reader, prog());
    EXPECT_EQ(get_int(reader, "NumPens", 8), 4);
    EXPECT_EQ(reader.cache.parse_count, 2);
}

TEST_F(ProfileTest, ByteOrderMarkIsSkipped) {
    ProfileReader reader = reader_with("\xEF\xBB\xBF[Settings]\nNumPens=5\n");
    EXPECT_EQ(get_int(reader, "NumPens", 8), 5);
}

}  // namespace
}  // namespace penloom::testing
