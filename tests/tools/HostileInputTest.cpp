// Careless and hostile input to tmximport and tmxexport, as users and
// downloaded maps provide it: nothing of the user's is replaced but what the
// tools wrote, nothing is written through a link or outside the world, a
// failed run leaves what was there, nothing but a regular file of its size is
// read, and each limit is refused by name before its memory is taken.
#include "TmxFixtures.h"

#include "tools/tiledworld/TiledLimits.h"
#include "tools/tmxexport/FloorLayers.h"
#include "tools/tmxexport/TmxExport.h"
#include "tools/worldfiles/MapFileCodec.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <map>
#include <regex>

using namespace tmxtest;

namespace {

namespace fs = std::filesystem;

// The sanitizers reserve more address space than any cap would allow.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
constexpr bool Sanitized = __has_feature(address_sanitizer);
#else
constexpr bool Sanitized = false;
#endif

// Every file under `folder`, hidden ones too, with its bytes.
std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? std::string(std::istreambuf_iterator<char>(file), {}) : "(folder)";
    }
    return files;
}

// A PNG of a blank 1-bit grey picture, a few kB however large it claims to be.
void WriteBlankPng(const std::string& path, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < height; ++y) rows.resize(rows.size() + 1 + (width + 7) / 8, 0);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&](const char* kind, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> body(kind, kind + 4);
        body.insert(body.end(), data.begin(), data.end());
        for (int shift : {24, 16, 8, 0}) png.push_back(uint8_t(data.size() >> shift));
        png.insert(png.end(), body.begin(), body.end());
        const uint32_t crc = uint32_t(crc32(0, body.data(), uInt(body.size())));
        for (int shift : {24, 16, 8, 0}) png.push_back(uint8_t(crc >> shift));
    };
    std::vector<uint8_t> header;
    for (uint32_t value : {width, height}) {
        for (int shift : {24, 16, 8, 0}) header.push_back(uint8_t(value >> shift));
    }
    header.insert(header.end(), {1, 0, 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", Deflate(rows, false));
    chunk("IEND", {});
    ASSERT_TRUE(WriteFileBytes(path, png));
}

std::string ZlibLayer(const std::string& name, const std::string& packed, int width, int height,
                      const std::string& extra = "")
{
    return " <layer name=\"" + name + "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\"" + extra + "><data encoding=\"base64\" compression=\"zlib\">" + packed + "</data></layer>\n";
}

// Base64 of zlib of `cells` ids, the first `filled` of them 1.
std::string PackedIds(size_t cells, size_t filled)
{
    std::vector<uint32_t> ids(cells, 0);
    std::fill(ids.begin(), ids.begin() + long(filled), 1);
    return Base64(Deflate(IdBytes(ids), false));
}

const std::string Sheet = " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\">\n"
                          "  <image source=\"tile.png\"/>\n </tileset>\n";

class HostileInputTest : public TmxImportFixture {
protected:
    // A world of 2 x 2 cells with one floor tile of the sprite file `sprite`.
    static void WriteSmallWorld(const std::string& folder, const std::string& sprite = "t.spr")
    {
        fs::create_directories(fs::path(folder) / fs::path(sprite).parent_path());
        SpriteSource source;
        FrameSource frame;
        frame.width = 40;
        frame.height = 20;
        frame.pixels.assign(800, 0x336699);
        source.animations = {{"t0", 0, {frame}}};
        ASSERT_TRUE(WriteFileBytes(folder + "/" + sprite, EncodeSpriteFile(source)));
        WriteText(folder + "/SpriteList.txt", "1\n10 " + sprite + "\n");
        MapSource map;
        map.width = map.height = 2;
        map.cells.resize(4);
        map.floorTiles = {{0, 0, 0, 10, "t0", 0}};
        ASSERT_TRUE(WriteFileBytes(folder + "/test.map", EncodeMapFile(map)));
    }

    static bool Export(const std::string& world, const std::string& map, std::string& error)
    {
        ExportSummary summary;
        return ExportWorld(world, map, summary, error);
    }
};

// tmxexport replaces an earlier export of its own, an edited one too, and
// nothing else: the world itself, a folder, a map made in the editor, a
// tileset folder holding a file of the user's.
TEST_F(HostileInputTest, ExportReplacesOnlyWhatItWrote)
{
    WriteSmallWorld("world");
    fs::create_directories("keep");
    WriteText("keep/notes.txt", "mine");
    WriteText("edited.tmx", IsoMap(2, 2, 64, 32, ""));
    fs::create_directories("mine.tilesets");
    WriteText("mine.tilesets/notes.txt", "mine");
    std::string error;
    ASSERT_TRUE(Export("world", "out/map.tmx", error)) << error;
    fs::create_symlink(fs::absolute("out/map.tmx"), "link.tmx");
    const auto before = Tree(".");
    const std::pair<const char*, const char*> refused[] = {
        {"world", "world is a folder: give the map file's name"},
        {"keep", "keep is a folder"},
        {"edited.tmx", "edited.tmx is not a map that tmxexport wrote: it is left alone"},
        {"world/test.map", "test.map is not a map that tmxexport wrote"},
        {"mine.tmx", "mine.tilesets/notes.txt is not a tileset that tmxexport wrote"},
        {"link.tmx", "link.tmx is a link"},
    };
    for (const auto& [output, said] : refused) {
        EXPECT_FALSE(Export("world", output, error)) << output;
        EXPECT_NE(error.find(said), std::string::npos) << error;
    }
    EXPECT_EQ(Tree("."), before);
    // Its own export, edited in the editor (which keeps the map's properties).
    const auto exported = Tree("out");
    WriteText("out/map.tmx", std::regex_replace(ReadText("out/map.tmx"), std::regex("renderorder"), "x-order"));
    EXPECT_TRUE(Export("world", "out/map.tmx", error)) << error;
    EXPECT_EQ(Tree("out"), exported);
}

// A world unpacked from someone else may hold links to files outside it: the
// import replaces the links by its files and leaves their targets alone, and
// a linked folder inside the world is refused before anything is written.
TEST_F(HostileInputTest, ImportReplacesLinksAndNeverWritesThroughThem)
{
    SavePicture("tile.png", Diamond(64, 32, 0x336699));
    WriteText("m.tmx", IsoMap(2, 2, 64, 32, Sheet + CsvLayer("l", 2, 2, {1, 1, 1, 1})));
    fs::create_directories("outside");
    fs::create_directories("w");
    for (const char* name : {"test.map", "SpriteList.txt", "t.spr"}) {
        WriteText(std::string("outside/") + name, "precious");
        fs::create_symlink(fs::absolute(std::string("outside/") + name), std::string("w/") + name);
    }
    std::string error;
    ASSERT_TRUE(Convert("m.tmx", "w", error)) << error;
    for (const auto& [name, text] : Tree("outside")) EXPECT_EQ(text, "precious") << name;
    for (const char* name : {"test.map", "SpriteList.txt", "t.spr"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(std::string("w/") + name))) << name;
    }
    EXPECT_TRUE(Load("w").loaded);
    // Nor does a file ever take a folder's place.
    EXPECT_FALSE(WriteFileBytes("outside", {1}));
    EXPECT_EQ(Tree("outside").size(), 3u);

    WriteSmallWorld("world", "art/t.spr");
    ASSERT_TRUE(Export("world", "e.tmx", error)) << error;
    fs::create_directories("back");
    fs::create_symlink(fs::absolute("outside"), "back/art");
    const auto before = Tree("outside");
    EXPECT_FALSE(Convert("e.tmx", "back", error));
    EXPECT_NE(error.find("back/art is a link"), std::string::npos) << error;
    EXPECT_EQ(Tree("outside"), before);
}

// What is not a regular file, or larger than its reader takes, is refused at
// once with its name: a pipe would block the read, a device feed it for
// ever, and an 8 GiB file be read whole; a name the file system cannot take
// is refused with its reason.
TEST_F(HostileInputTest, FilesThatAreNotRegularOrTooLargeAreRefusedAtOnce)
{
    SavePicture("tile.png", Diamond(64, 32, 0x336699));
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    fs::create_directories("folder.tsx");
    const std::string layer = CsvLayer("l", 2, 2, {1, 1, 1, 1});
    const std::string collection = " <tileset firstgid=\"1\" name=\"c\" tilewidth=\"64\" tileheight=\"32\">\n"
                                   "  <tile id=\"0\"><image source=\"pipe\"/></tile>\n </tileset>\n";
    WriteText("pipe-tileset.tmx", IsoMap(2, 2, 64, 32, " <tileset firstgid=\"1\" source=\"pipe\"/>\n" + layer));
    WriteText("folder-tileset.tmx", IsoMap(2, 2, 64, 32, " <tileset firstgid=\"1\" source=\"folder.tsx\"/>\n" + layer));
    WriteText("pipe-picture.tmx", IsoMap(2, 2, 64, 32, collection + layer));
    WriteText("m.tmx", IsoMap(2, 2, 64, 32, Sheet + layer));
    const std::pair<ImportOptions, const char*> imports[] = {
        {{"pipe", "w", ""}, "cannot open the file: it is not a regular file but a device or a pipe"},
        {{"pipe-tileset.tmx", "w", ""}, "cannot open \"pipe\": it is not a regular file"},
        {{"folder-tileset.tmx", "w", ""}, "cannot open \"folder.tsx\": it is not a file but a folder"},
        {{"pipe-picture.tmx", "w", ""}, "cannot read the PNG picture \"pipe\": it is not a regular file"},
        {{"m.tmx", "w", "/dev/zero"}, "cannot read the walker sprite \"/dev/zero\": it is not a regular file"},
        {{"m.tmx", "w", "pipe"}, "cannot read the walker sprite \"pipe\": it is not a regular file"},
    };
    for (const auto& [options, said] : imports) {
        ImportSummary summary;
        std::string error;
        EXPECT_FALSE(ImportTmx(options, summary, error)) << options.mapPath;
        EXPECT_NE(error.find(said), std::string::npos) << error;
        EXPECT_FALSE(fs::exists("w"));
    }

    WriteSmallWorld("world");
    fs::rename("world/t.spr", "t.spr");
    ASSERT_EQ(mkfifo("world/t.spr", 0600), 0);
    std::string error;
    EXPECT_FALSE(Export("world", "e.tmx", error));
    EXPECT_NE(error.find("world/t.spr: is not a regular file but a device or a pipe"), std::string::npos) << error;
    fs::remove("world/t.spr");
    const std::string longName(300, 'n');
    WriteText("world/SpriteList.txt", "1\n10 " + longName + ".spr\n");
    EXPECT_FALSE(Export("world", "e.tmx", error));
    EXPECT_NE(error.find(longName + ".spr: cannot be read: File name too long"), std::string::npos) << error;
    fs::resize_file("world/test.map", uint64_t(8) << 30);  // sparse: no disk is taken
    EXPECT_FALSE(Export("world", "e.tmx", error));
    EXPECT_NE(error.find("world/test.map: cannot be read: it is larger than 512 MiB"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists("e.tmx"));
}

// A write that fails half way (here a file size limit, as a full disk would)
// leaves the old world as it was, and nothing of the new one.
TEST_F(HostileInputTest, AFailedImportLeavesTheOldWorldWhole)
{
    SavePicture("tile.png", Diamond(64, 32, 0x336699));
    SavePicture("other.png", Solid(64, 32, 0x993366));
    WriteText("small.tmx", IsoMap(2, 2, 64, 32, Sheet + CsvLayer("l", 2, 2, {1, 1, 1, 1})));
    std::string sheets = Sheet;
    sheets += " <tileset firstgid=\"2\" name=\"u\" tilewidth=\"64\" tileheight=\"32\">\n"
              "  <image source=\"other.png\"/>\n </tileset>\n";
    WriteText("large.tmx", IsoMap(100, 100, 64, 32, sheets + CsvLayer("l", 100, 100, std::vector<uint32_t>(10000, 2))));
    std::string error;
    ASSERT_TRUE(Convert("small.tmx", "w", error)) << error;
    const auto before = Tree("w");

    // The sprite files fit; the map of 10,000 tiles does not.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small = {64 << 10, saved.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool converted = Convert("large.tmx", "w", error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(converted);
    EXPECT_NE(error.find("cannot write w/test.map: File too large"), std::string::npos) << error;
    EXPECT_EQ(Tree("w"), before);
}

// The names that a map made by tmxexport carries are held to the rules of
// the importer's own: a restored sprite file or listed name that leaves the
// folder, or would replace the world's list or map, is refused, and nothing
// is written.
TEST_F(HostileInputTest, RestoredNamesStayInsideTheWorld)
{
    WriteSmallWorld("world");
    std::string error;
    ASSERT_TRUE(Export("world", "e.tmx", error)) << error;
    const std::string tileset = "e.tilesets/0-t.spr.tsx";
    const std::string map = ReadText("e.tmx"), sprites = ReadText(tileset);
    const struct {
        bool inList;
        const char* name;
        const char* said;
    } names[] = {
        {false, "test.map", "the sprite file name \"test.map\" is the name of the world's own test.map"},
        {false, "SpriteList.TXT", "is the name of the world's own SpriteList.txt"},
        {false, "/etc/passwd", "the sprite file name \"/etc/passwd\" leaves the world folder"},
        {false, "art/../../outside.spr", "leaves the world folder"},
        {true, "../../outside.spr", "the sprite list names \"../../outside.spr\", which leaves the world folder"},
        {true, "/etc/passwd", "the sprite list names \"/etc/passwd\""},
        {true, "test.map", "the sprite list names the world's own test.map as a sprite file"},
    };
    for (const auto& name : names) {
        if (name.inList) {
            WriteText("e.tmx", std::regex_replace(map, std::regex("10 t.spr"), std::string("10 ") + name.name));
        } else {
            WriteText(tileset, std::regex_replace(sprites, std::regex("value=\"t.spr\""),
                                                  std::string("value=\"") + name.name + "\""));
        }
        EXPECT_FALSE(Convert("e.tmx", "back", error)) << name.name;
        EXPECT_NE(error.find(name.said), std::string::npos) << error;
        EXPECT_FALSE(fs::exists("back"));
        WriteText("e.tmx", map);
        WriteText(tileset, sprites);
    }
    EXPECT_TRUE(Convert("e.tmx", "back", error)) << error;
}

// Each limit of TiledLimits.h, passed by a small file that would claim far
// more memory: tmximport refuses it by name, and (outside the sanitizers)
// within an address space of 1 GiB, so before it takes the memory. What lies
// inside the limits converts: a sheet of 8192 x 8192 pixels, counted once.
TEST_F(HostileInputTest, EachLimitIsRefusedBeforeItsMemoryIsTaken)
{
    SavePicture("tile.png", Diamond(64, 32, 0x336699));
    SavePicture("dot.png", Solid(1, 1, 0x336699));
    WriteBlankPng("big.png", 8192, 8192);
    WriteBlankPng("other.png", 8192, 8192);
    const std::string empty = PackedIds(2048 * 2048, 0);
    std::string layers;
    for (int i = 0; i < 9; ++i) layers += ZlibLayer("l" + std::to_string(i), empty, 2048, 2048);
    WriteText("cells.tmx", IsoMap(2048, 2048, 64, 32, Sheet + layers));
    WriteText("placed.tmx",
              IsoMap(2048, 2049, 64, 32, Sheet + ZlibLayer("l", PackedIds(2048 * 2049, 2048 * 2049), 2048, 2049)));
    std::string tiles, frames, references, opacities, objects, parallax;
    for (int i = 0; i < 20000; ++i)
        tiles += "<tile id=\"" + std::to_string(i) +
                 "\"><properties><property name=\"p\" value=\"v\"/></properties></tile>\n";
    for (int i = 0; i < 100000; ++i) frames += "<frame tileid=\"0\" duration=\"1\"/>";
    WriteText("many.tsx", "<tileset name=\"many\" tilewidth=\"64\" tileheight=\"32\" tilecount=\"20000\" columns=\"1\">"
                          "<image source=\"tile.png\"/>" +
                              tiles + "</tileset>\n");
    WriteText("long.tsx", "<tileset name=\"long\" tilewidth=\"1\" tileheight=\"1\" tilecount=\"1\" columns=\"1\">"
                          "<image source=\"dot.png\"/><tile id=\"0\"><animation>" +
                              frames + "</animation></tile></tileset>\n");
    for (int i = 0; i < 2000; ++i)
        references += " <tileset firstgid=\"" + std::to_string(1 + i * 20000) + "\" source=\"many.tsx\"/>\n";
    WriteText("tilesets.tmx", IsoMap(2, 2, 64, 32, references + CsvLayer("l", 2, 2, {1, 1, 1, 1})));
    references.clear();
    for (int i = 0; i < 50; ++i)
        references += " <tileset firstgid=\"" + std::to_string(1 + i) + "\" source=\"long.tsx\"/>\n";
    WriteText("described.tmx", IsoMap(2, 2, 64, 32, references + CsvLayer("l", 2, 2, {1, 1, 1, 1})));
    for (int i = 0; i < 200; ++i)
        opacities += CsvLayer("l", 2, 2, {1, 0, 0, 0}, " opacity=\"" + std::to_string(0.3 + i / 1000.0) + "\"");
    WriteText("frames.tmx", IsoMap(2, 2, 64, 32, " <tileset firstgid=\"1\" source=\"long.tsx\"/>\n" + opacities));
    WriteText("pictures.tmx", IsoMap(2, 2, 64, 32,
                                     " <tileset firstgid=\"1\" name=\"a\" tilewidth=\"64\" tileheight=\"32\"><image "
                                     "source=\"big.png\"/></tileset>\n"
                                     " <tileset firstgid=\"40000\" name=\"b\" tilewidth=\"64\" "
                                     "tileheight=\"32\"><image source=\"other.png\"/></tileset>\n" +
                                         CsvLayer("l", 2, 2, {1, 40000, 0, 0})));
    std::string exported =
        "<properties><property name=\"world\" type=\"int\" value=\"1\"/></properties>\n"
        " <tileset firstgid=\"1\" name=\"s\"><properties><property name=\"sprite file\" value=\"s.spr\"/>"
        "</properties>\n";
    for (int i = 0; i < 64; ++i) {
        exported += "<tile id=\"" + std::to_string(i) +
                    "\"><properties><property name=\"animation\" value=\"0\"/>"
                    "<property name=\"frame\" value=\"" +
                    std::to_string(i) + "\"/></properties><image source=\"big.png\"/></tile>\n";
    }
    WriteText("exported.tmx", IsoMap(1, 1, 40, 20, exported + " </tileset>\n"));
    for (uint64_t i = 0; i <= MaxObjects; ++i) objects += "<object/>";
    WriteText("objects.tmx", IsoMap(2, 2, 64, 32, "<objectgroup>" + objects + "</objectgroup>\n"));
    for (int i = 0; i < 20000; ++i) parallax += "<objectgroup parallaxx=\"2\"/>";
    WriteText("notes.tmx",
              IsoMap(2, 2, 64, 32, "<group name=\"" + std::string(100000, 'g') + "\">" + parallax + "</group>\n"));
    WriteBlankPng("tiny.png", 1024, 1024);
    std::vector<uint32_t> distinct(1024 * 1024);
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = uint32_t(1 + i);
    WriteText("shown.tmx", IsoMap(1024, 1024, 64, 32,
                                  " <tileset firstgid=\"1\" name=\"dots\" tilewidth=\"1\" tileheight=\"1\">"
                                  "<image source=\"tiny.png\"/></tileset>\n" +
                                      ZlibLayer("l", Base64(Deflate(IdBytes(distinct), false)), 1024, 1024)));
    std::string chunks;
    for (int i = 0; i < 20; ++i) {
        const std::string at = std::to_string(i % 2 ? 4000 : 0);
        chunks += "<layer name=\"c" + std::to_string(i) +
                  "\" width=\"1\" height=\"1\"><data encoding=\"csv\"><chunk x=\"" + at + "\" y=\"" + at +
                  "\" width=\"1\" height=\"1\">1</chunk></data></layer>\n";
    }
    std::string infinite = IsoMap(1, 1, 64, 32, Sheet + chunks);
    infinite.replace(infinite.find("infinite=\"0\""), 12, "infinite=\"1\"");
    WriteText("lattice.tmx", infinite);
    WriteText("sheet.tmx", IsoMap(2, 2, 64, 32,
                                  " <tileset firstgid=\"1\" name=\"a\" tilewidth=\"64\" tileheight=\"32\">"
                                  "<image source=\"big.png\"/></tileset>\n" +
                                      CsvLayer("l", 2, 2, {1, 2, 3, 32768})));

    const std::pair<const char*, std::string> cases[] = {
        {"cells.tmx", "cells in all its tile layers together"},
        {"lattice.tmx", "cells in all its tile layers together"},
        {"placed.tmx", "floor tiles and objects"},
        {"tilesets.tmx", "tiles described by its tilesets"},
        {"described.tmx", "animation frames described by its tilesets"},
        {"frames.tmx", "frames in its sprites"},
        {"pictures.tmx", "pixels in the pictures it reads"},
        {"shown.tmx", "different tiles shown by its tile layers"},
        {"exported.tmx", "pixels in its sprites' frames"},
        {"objects.tmx", "objects in all its object layers together"},
        {"notes.tmx", "the notes on what the map leaves out take more than"},
        {"sheet.tmx", ""},
    };
    for (const auto& [map, said] : cases) {
        const std::string cap = Sanitized ? "" : "ulimit -v 1048576; ";
        const std::string command = cap + TMXIMPORT + std::string(" ") + map + " w-" + map + " >out.txt 2>&1";
        const int status = std::system(command.c_str());
        const std::string out = ReadText("out.txt");
        if (said.empty()) {
            EXPECT_EQ(status, 0) << map << ": " << out;
            continue;
        }
        EXPECT_NE(status, 0) << map;
        EXPECT_NE(out.find("the most that tmximport"), std::string::npos) << map << ": " << out;
        EXPECT_NE(out.find(said), std::string::npos) << map << ": " << out;
        EXPECT_FALSE(fs::exists("w-" + std::string(map)));
    }
}

// What a Tiled map cannot carry back to the world is refused at export, with
// the reason: a frame wider than tmximport's tiles, a map file beyond its 64
// MiB. What it can carry comes back, 2,000 floor tiles on one cell of a
// 1024 x 1024 map among them: its tile layers stop at half of tmximport's
// cells, and the tiles beyond go into an object layer.
TEST_F(HostileInputTest, WorldsAMapCannotCarryBackAreRefusedAtExport)
{
    WriteSmallWorld("wide");
    SpriteSource source;
    FrameSource frame;
    frame.width = 4097;
    frame.height = 1;
    frame.pixels.assign(4097, 0x336699);
    source.animations = {{"t0", 0, {frame}}};
    ASSERT_TRUE(WriteFileBytes("wide/t.spr", EncodeSpriteFile(source)));
    std::string error;
    EXPECT_FALSE(Export("wide", "wide.tmx", error));
    EXPECT_NE(error.find("wide/t.spr: the frame 0 of \"t0\" is 4097 x 1 pixels; a Tiled map carries frames of at "
                         "most 4096 pixels a side"),
              std::string::npos)
        << error;

    WriteSmallWorld("huge");
    MapSource map;
    map.width = map.height = 2;
    map.cells.resize(4);
    map.cells[0].data.assign(50 << 20, 7);
    ASSERT_TRUE(WriteFileBytes("huge/test.map", EncodeMapFile(map)));
    EXPECT_FALSE(Export("huge", "huge.tmx", error));
    EXPECT_NE(error.find("the map would take"), std::string::npos) << error;
    EXPECT_NE(error.find("tmximport reads map and tileset files of at most 64 MiB"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists("wide.tmx") || fs::exists("huge.tmx"));

    WriteSmallWorld("stacked");
    map.width = map.height = 1024;
    map.cells.assign(1024 * 1024, {});
    map.floorTiles.assign(2000, {0, 0, 0, 10, "t0", 0});
    ASSERT_TRUE(WriteFileBytes("stacked/test.map", EncodeMapFile(map)));
    ExportSummary summary;
    ASSERT_TRUE(ExportWorld("stacked", "stacked.tmx", summary, error)) << error;
    EXPECT_EQ(summary.floorLayers, 16u);  // 15 tile layers, one object layer
    ASSERT_TRUE(Convert("stacked.tmx", "back", error)) << error;
    EXPECT_EQ(Tree("back"), Tree("stacked"));

    const auto square = CoverOf(Solid(10, 10, 0x336699));
    const FloorPiece same = {0, 0, square.get(), true, 1, 1, 0}, beside = {100, 0, square.get(), true, 2, 2, 0};
    const FloorLayout layout = LayOutFloor({same, same, beside, same}, 4, 1);
    EXPECT_EQ(layout.layerOf, (std::vector<uint32_t>{0, 1, 0, 1}));
    EXPECT_TRUE(layout.layers[0].tiles);
    EXPECT_FALSE(layout.layers[1].tiles);
}

}  // namespace
