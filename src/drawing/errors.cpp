// Error numbers and their texts, code-page names and version strings of the
// drawing database. In: a number or index. Out: its text.
#include <string>
#include <string_view>

#include "drawing/drawing.h"

namespace penloom {

namespace {

using namespace std::string_view_literals;

// Message table. An entry whose first byte is below 20 is that prefix number
// followed by the rest of the text; other entries stand as they are.
// Numbers with no message have an empty entry.
constexpr std::string_view prefixes[] = {
    "Can't allocate "sv, "Error loading "sv, "Error deleting "sv, "Error freeing "sv,
    "Error allocating "sv, "Can't resolve "sv, "Can't "sv, "Error in "sv,
    "Error "sv, "Attempt to "sv,
};

constexpr std::string_view messages[] = {
    "No error"sv,  // 0
    ""sv,  // 1
    "General failure"sv,  // 2
    "\x06" "open file"sv,  // 3
    "\x08" "reading header"sv,  // 4
    "\x06" "determine file type"sv,  // 5
    "\x06" "init file system"sv,  // 6
    ""sv,  // 7
    "Unsupported file version"sv,  // 8
    "\x07" "xdata read malloc"sv,  // 9
    "\x07" "xdata write malloc"sv,  // 10
    ""sv,  // 11
    ""sv,  // 12
    "\x06" "set write buffer"sv,  // 13
    "\x06" "create dxf temp data list"sv,  // 14
    ""sv,  // 15
    "Character not in font"sv,  // 16
    "Font not in table"sv,  // 17
    ""sv,  // 18
    "\x06" "open xref temp file"sv,  // 19
    "\x06" "open external reference"sv,  // 20
    "Unsupported file write version"sv,  // 21
    "Unsupported DXF version"sv,  // 22
    "No BMP present in this file"sv,  // 23
    "\x06" "open BMP output file"sv,  // 24
    "No WMF present in this file"sv,  // 25
    "\x06" "open WMF output file"sv,  // 26
    "Disk full"sv,  // 27
    "Not enough memory to draw leader"sv,  // 28
    "Not enough memory to draw spline"sv,  // 29
    "Unexpected end of file"sv,  // 30
    "\x07" "DXF header"sv,  // 31
    "\x07" "DXF entity"sv,  // 32
    "\x07" "DXF table"sv,  // 33
    "\x07" "DXF block"sv,  // 34
    "\x07" "DXF object"sv,  // 35
    "Too many VM page frames"sv,  // 36
    "Too many VM pages"sv,  // 37
    "\x09" "allocate 0 bytes"sv,  // 38
    "Bad vmmalloc magic number"sv,  // 39
    "\x09" "free a null VM pointer"sv,  // 40
    "\x09" "free a free VM pointer"sv,  // 41
    "\x09" "free a non-malloced VM pointer"sv,  // 42
    "Not enough memory to start VM"sv,  // 43
    "VM file write failed"sv,  // 44
    "\x01" "linetypes"sv,  // 45
    "\x01" "layers"sv,  // 46
    "\x01" "classes"sv,  // 47
    "\x01" "vports"sv,  // 48
    "\x01" "ucses"sv,  // 49
    "\x01" "regapps"sv,  // 50
    "\x01" "views"sv,  // 51
    "\x01" "shape files"sv,  // 52
    "\x01" "dimstyles"sv,  // 53
    "\x01" "block headers"sv,  // 54
    "\x01" "entities"sv,  // 55
    "\x01" "objects"sv,  // 56
    ""sv,  // 57
    "\x08" "writing header"sv,  // 58
    "\x05" "header layer"sv,  // 59
    "\x05" "header linetype"sv,  // 60
    "\x05" "header dimstyle"sv,  // 61
    "\x05" "header ucs"sv,  // 62
    "\x05" "header pspace ucs"sv,  // 63
    "\x05" "header text style"sv,  // 64
    "\x05" "header dim text style"sv,  // 65
    "\x05" "layer"sv,  // 66
    "\x05" "linetype"sv,  // 67
    "\x05" "text style/shape file"sv,  // 68
    "\x05" "dimension style"sv,  // 69
    "\x08" "resolving viewport entities"sv,  // 70
    "\x05" "extended data application index"sv,  // 71
    "\x05" "extended entity layer index"sv,  // 72
    "\x06" "find block for entity read"sv,  // 73
    "No entities found for block"sv,  // 74
    "\x05" "block header"sv,  // 75
    "No linetypes in list"sv,  // 76
    "Linetype not found"sv,  // 77
    "No registered apps in list"sv,  // 78
    "Regapp not found"sv,  // 79
    "No shapefiles in list"sv,  // 80
    "Shapefile not found"sv,  // 81
    "No dimstyles in list"sv,  // 82
    "Dimstyle not found"sv,  // 83
    "No views in list"sv,  // 84
    "View not found"sv,  // 85
    "No viewports in list"sv,  // 86
    "Viewport not found"sv,  // 87
    "No ucss in list"sv,  // 88
    "Ucs not found"sv,  // 89
    "No layers in list"sv,  // 90
    "Layer not found"sv,  // 91
    "No blockheaders in list"sv,  // 92
    "Block header not found"sv,  // 93
    "\x08" "removing purged items"sv,  // 94
    "Dropped shape entity from file"sv,  // 95
    "\x06" "read header block"sv,  // 96
    "\x02" "entity xdata"sv,  // 97
    "\x02" "entity longdata"sv,  // 98
    "\x03" "entity"sv,  // 99
    "\x02" "regapp xdata"sv,  // 100
    "\x02" "regapp record"sv,  // 101
    "\x03" "regapp storage"sv,  // 102
    "\x02" "layer xdata"sv,  // 103
    "\x02" "layer record"sv,  // 104
    "\x03" "layer storage"sv,  // 105
    "\x02" "linetype xdata"sv,  // 106
    "\x02" "linetype record"sv,  // 107
    "\x03" "linetype storage"sv,  // 108
    "\x02" "shapefile xdata"sv,  // 109
    "\x02" "shapefile record"sv,  // 110
    "\x03" "shapefile storage"sv,  // 111
    "\x02" "view xdata"sv,  // 112
    "\x02" "view record"sv,  // 113
    "\x03" "view storage"sv,  // 114
    "\x02" "vport xdata"sv,  // 115
    "\x02" "vport record"sv,  // 116
    "\x03" "vport storage"sv,  // 117
    "\x02" "dimstyle xdata"sv,  // 118
    "\x02" "dimstyle record"sv,  // 119
    "\x03" "dimstyle storage"sv,  // 120
    "\x02" "ucs xdata"sv,  // 121
    "\x02" "ucs record"sv,  // 122
    "\x03" "ucs storage"sv,  // 123
    "\x02" "blockheader xdata"sv,  // 124
    "\x02" "blockheader preview"sv,  // 125
    "\x02" "blockheader record"sv,  // 126
    "\x03" "blockheader storage"sv,  // 127
    "\x05" "header mlstyle"sv,  // 128
    "\x01" "entity list"sv,  // 129
    "\x01" "block entities"sv,  // 130
    "\x08" "resolving header"sv,  // 131
    "\x06" "get current mlstyle"sv,  // 132
    "\x06" "add default objects"sv,  // 133
    "\x06" "malloc for raster file write"sv,  // 134
    "\x07" "raster data"sv,  // 135
    "Unable to allocate VM memory"sv,  // 136
    "Maximum VM memory blocks exceeded"sv,  // 137
    "\x09" "read from non-existent VM block"sv,  // 138
    "File has no BMP"sv,  // 139
    "File has no WMF"sv,  // 140
    "File already has BMP"sv,  // 141
    "File already has WMF"sv,  // 142
    "\x01" "BMP"sv,  // 143
    "\x01" "WMF"sv,  // 144
    "\x08" "on block entity read"sv,  // 145
    "\x08" "flushing object to VM"sv,  // 146
    "\x08" "on layer read start"sv,  // 147
    "\x08" "reading layer"sv,  // 148
    "Couldn't find vpentheader handle"sv,  // 149
    "\x08" "closing file"sv,  // 150
    "\x09" "delete from null list"sv,  // 151
    "Entity not found in list"sv,  // 152
    "Duplicate handle in file"sv,  // 153
    "Incomplete ACIS entry (no image)"sv,  // 154
    "Unexpected end of file in DXF"sv,  // 155
    "Invalid DXF version"sv,  // 156
    ""sv,  // 157
    "\x08" "writing dictionary object"sv,  // 158
    "\x02" "proxy data"sv,  // 159
    "\x02" "proxy obj IDs"sv,  // 160
    "\x08" "writing proxy object"sv,  // 161
    "\x09" "read from null blob"sv,  // 162
    "\x09" "write to null blob"sv,  // 163
    "No objects in list"sv,  // 164
    "Unknown Xrecord type read"sv,  // 165
    "\x09" "write unknown Xrecord type"sv,  // 166
    "Cannot process large proxy entity"sv,  // 167
    "Did not find object to delete"sv,  // 168
    "\x03" "object"sv,  // 169
    "\x02" "object"sv,  // 170
    "\x06" "find leader dimstyle"sv,  // 171
    "\x09" "add duplicate handle"sv,  // 172
    "Btree error"sv,  // 173
    "\x06" "find tolerance dimstyle"sv,  // 174
    "\x02" "during replace"sv,  // 175
    "No classes in list"sv,  // 176
    "\x02" "class xdata"sv,  // 177
    "\x02" "class"sv,  // 178
    "\x03" "class"sv,  // 179
    "Did not find class to delete"sv,  // 180
    "\x04" "temporary header"sv,  // 181
    "Unable to open init file"sv,  // 182
    "Incorrect init file version"sv,  // 183
    "Header size invalid"sv,  // 184
    "\x07" "header"sv,  // 185
    "Bad DWG info"sv,  // 186
    "Entity invalid"sv,  // 187
    "Block header invalid"sv,  // 188
    "Layer invalid"sv,  // 189
    "Shape file invalid"sv,  // 190
    "Linetype invalid"sv,  // 191
    "View invalid"sv,  // 192
    "UCS invalid"sv,  // 193
    "Viewport invalid"sv,  // 194
    "Registered application invalid"sv,  // 195
    "Dimstyle invalid"sv,  // 196
    "Viewport entity header invalid"sv,  // 197
    "Block entity invalid"sv,  // 198
    "Bad entity"sv,  // 199
    "Bad second header"sv,  // 200
    "Bad object"sv,  // 201
    "Bad class definition"sv,  // 202
    "Object map write error"sv,  // 203
    "No pspace vport (id 1) found"sv,  // 204
    "\x06" "replace objects of different types"sv,  // 205
    "\x04" "parent buffer"sv,  // 206
    "\x04" "codepage buffer"sv,  // 207
    "\x04" "zombie buffer"sv,  // 208
    "\x04" "btree buffer"sv,  // 209
    "\x04" "blob buffer"sv,  // 210
    "\x04" "objhandle buffer"sv,  // 211
    "\x04" "bestentry buffer"sv,  // 212
    "\x04" "vp pointer"sv,  // 213
    ""sv,  // 214
    ""sv,  // 215
    ""sv,  // 216
    ""sv,  // 217
    ""sv,  // 218
    ""sv,  // 219
    ""sv,  // 220
    ""sv,  // 221
    ""sv,  // 222
    ""sv,  // 223
    ""sv,  // 224
    ""sv,  // 225
    "\x06" "find entity to replace"sv,  // 226
    "\x06" "set current node"sv,  // 227
    "\x08" "on entity add during replace"sv,  // 228
    "\x08" "on vpent list update"sv,  // 229
    "\x06" "create idbuffer class"sv,  // 230
    "\x09" "add NULL objhandle"sv,  // 231
    "\x09" "insert non-existent block"sv,  // 232
    ""sv,  // 233
    ""sv,  // 234
    ""sv,  // 235
    ""sv,  // 236
    ""sv,  // 237
    ""sv,  // 238
    ""sv,  // 239
    ""sv,  // 240
    ""sv,  // 241
    ""sv,  // 242
    ""sv,  // 243
    ""sv,  // 244
    ""sv,  // 245
    ""sv,  // 246
    ""sv,  // 247
    ""sv,  // 248
    ""sv,  // 249
    ""sv,  // 250
    ""sv,  // 251
    ""sv,  // 252
    ""sv,  // 253
    ""sv,  // 254
    ""sv,  // 255
    ""sv,  // 256
    ""sv,  // 257
    ""sv,  // 258
    ""sv,  // 259
    ""sv,  // 260
    ""sv,  // 261
    ""sv,  // 262
    ""sv,  // 263
    ""sv,  // 264
    ""sv,  // 265
    ""sv,  // 266
    ""sv,  // 267
    ""sv,  // 268
    ""sv,  // 269
    ""sv,  // 270
    ""sv,  // 271
    ""sv,  // 272
    ""sv,  // 273
    ""sv,  // 274
    ""sv,  // 275
    ""sv,  // 276
    "\x06" "find group dictionary"sv,  // 277
    "\x06" "seek group dictionary"sv,  // 278
    "\x06" "add group"sv,  // 279
    "\x06" "read dicitem blob"sv,  // 280
    "\x06" "replace dictionary object"sv,  // 281
    "\x06" "replace entity"sv,  // 282
    "\x06" "seek entity"sv,  // 283
    ""sv,  // 284
    "\x06" "malloc for raster add"sv,  // 285
    "R14 beta format files are not supported"sv,  // 286
    "Viewport entity with no extended data -- invalid"sv,  // 287
    "\x05" "entity extended data"sv,  // 288
    "\x06" "add entity"sv,  // 289
    "\x06" "add entity handle to index"sv,  // 290
    "\x06" "add viewport entity to list"sv,  // 291
    "Duplicate handle"sv,  // 292
    "\x04" "shapefile"sv,  // 293
    "\x06" "init shfile system"sv,  // 294
    "Init file must be loaded first"sv,  // 295
    "Unable to open font"sv,  // 296
    "Unable to open bigfont"sv,  // 297
    "DXF line too long"sv,  // 298
    "DXF line contains non-numbers"sv,  // 299
    "Bad object handle in header -- possible beta format file"sv,  // 300
    "Probable bad viewport entity header data"sv,  // 301
    "\x07" "viewport entity header"sv,  // 302
    "Handle not found in btree"sv,  // 303
    "Unable to set current node in list"sv,  // 304
    "Unable to get requested item"sv,  // 305
    "Save attempted to incompatible version"sv,  // 306
    "\x08" "reading ACIS object"sv,  // 307
    "\x09" "add block with duplicate name"sv,  // 308
};

static_assert(sizeof(messages) / sizeof(messages[0]) == 309, "one message per error number 0..308");

struct CodePage {
    const char* name;
    int number;
};

constexpr CodePage codepages[] = {
    {"undefined", 0},  {"ascii", 1},       {"iso8859-1", 2},  {"iso8859-2", 3},   {"iso8859-3", 4},
    {"iso8859-4", 5},  {"iso8859-5", 6},   {"iso8859-6", 7},  {"iso8859-7", 8},   {"iso8859-8", 9},
    {"iso8859-9", 10}, {"dos437", 11},     {"dos850", 12},    {"dos852", 13},     {"dos855", 14},
    {"dos857", 15},    {"dos860", 16},     {"dos861", 17},    {"dos863", 18},     {"dos864", 19},
    {"dos865", 20},    {"dos869", 21},     {"dos932", 34},    {"mac-roman", 22},  {"big5", 37},
    {"ksc5601", 36},   {"johab", 23},      {"dos866", 24},    {"ansi_1250", 25},  {"ansi_1251", 26},
    {"ansi_1252", 27}, {"gb2312", 35},     {"ansi_1253", 28}, {"ansi_1254", 29},  {"ansi_1255", 30},
    {"ansi_1256", 31}, {"ansi_1257", 32},  {"ansi_874", 33},  {"ansi_932", 34},   {"ansi_936", 35},
    {"ansi_949", 36},  {"ansi_950", 37},
};

constexpr int codepage_count = static_cast<int>(sizeof(codepages) / sizeof(codepages[0]));
static_assert(codepage_count == 42, "code-page indexes 0..41");

constexpr const char* version_strings[] = {
    "AC1002", "AC1003", "AC1004", "AC1006", "AC1009", "AC1012", "AC1014", "AC1015", "AC1018", "AC1021",
};

}  // namespace

std::string error_message(int number) {
    if (number < 0 || number >= static_cast<int>(sizeof(messages) / sizeof(messages[0])))
        return "Error number out of range";
    const std::string_view entry = messages[number];
    if (!entry.empty() && static_cast<unsigned char>(entry[0]) < 20) {
        const auto prefix = static_cast<unsigned char>(entry[0]);
        std::string text(prefix < sizeof(prefixes) / sizeof(prefixes[0]) ? prefixes[prefix] : ""sv);
        text.append(entry.substr(1));
        return text;
    }
    return std::string(entry);
}

std::int16_t last_error(const DrawingLibrary& lib) { return lib.last_error; }

const char* codepage_name(int index) {
    return index >= 0 && index < codepage_count ? codepages[index].name : nullptr;
}

int codepage_number(int index) {
    return index >= 0 && index < codepage_count ? codepages[index].number : -1;
}

const char* version_string(int version) {
    return version >= 0 && version <= 9 ? version_strings[version] : nullptr;
}

}  // namespace penloom
