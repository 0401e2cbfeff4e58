// What the importer refuses: each refusal names the file, the element and
// the reason, and writes nothing.
#include "TmxFixtures.h"

#include "tools/tmximport/LayerData.h"
#include "tools/tmximport/TmxImport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace tmxtest;

namespace {

const std::string Sheet =
    " <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\" tilecount=\"1\" columns=\"1\">\n"
    "  <image source=\"tile.png\"/>\n"
    " </tileset>\n";

std::string Layer(const std::string& data, const std::string& size = "width=\"2\" height=\"2\"")
{
    return " <layer id=\"1\" name=\"l\" " + size + ">\n  " + data + "\n </layer>\n";
}

const std::string Csv4 = "<data encoding=\"csv\">1,1,1,1</data>";

std::string Map(const std::string& body, const std::string& orientation = "isometric", const std::string& extra = "")
{
    std::string text = IsoMap(2, 2, 64, 32, body, extra);
    return text.replace(text.find("isometric"), 9, orientation);
}

std::string Infinite(const std::string& body)
{
    std::string text = Map(body);
    return text.replace(text.find("infinite=\"0\""), 12, "infinite=\"1\"");
}

std::string Chunk(int x, int y, const std::string& csv)
{
    return "<chunk x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"2\" height=\"2\">" + csv +
           "</chunk>";
}

std::string ObjectLayer(const std::string& object)
{
    return " <objectgroup id=\"2\" name=\"o\">\n  " + object + "\n </objectgroup>\n";
}

struct RefusalCase {
    const char* name;
    std::string map;
    std::vector<std::pair<std::string, std::string>> files;  // more files: name, text
    std::vector<std::string> said;                           // every part must be in the message
};

std::vector<RefusalCase> Cases()
{
    const std::string plain = Sheet + Layer(Csv4);
    const std::vector<uint32_t> three = {1, 1, 1};
    // clang-format off
    return {
        {"orthogonal", Map(plain, "orthogonal"), {},
         {"m.tmx:2: <map>: orthogonal maps are not supported: only isometric (diamond) maps convert"}},
        {"staggered without an axis", Map(plain, "staggered", " staggeraxis=\"z\""), {},
         {"m.tmx:2: <map>: a staggered map needs staggeraxis \"x\" or \"y\" and staggerindex \"odd\" or \"even\""}},
        {"hexagonal", Map(plain, "hexagonal"), {}, {"m.tmx:2: <map>: hexagonal maps are not supported"}},
        {"unknown orientation", Map(plain, "oblique"), {}, {"<map>: the orientation \"oblique\" is not supported"}},
        // Two chunks 40000 cells apart: more than the program's map holds.
        {"infinite map too wide", Infinite(Sheet + Layer("<data encoding=\"csv\">" + Chunk(0, 0, "1,1,1,1") +
                                                         Chunk(40000, 0, "1,1,1,1") + "</data>")), {},
         {"m.tmx:2: <map>: the map's tiles span 40002 x 2 cells of the isometric grid; at most 32767 a side"}},
        {"chunk without a size", Infinite(Sheet + Layer("<data encoding=\"csv\"><chunk x=\"0\" y=\"0\">1</chunk>"
                                                        "</data>")), {},
         {"<chunk> in <data> in <layer name=\"l\">: the attribute width is missing"}},
        {"short chunk", Infinite(Sheet + Layer("<data encoding=\"csv\">" + Chunk(-16, 0, "1,1,1") + "</data>")), {},
         {"<chunk> in <data> in <layer name=\"l\">: the CSV data holds 3 tile ids"}},
        {"chunks", Map(Sheet + Layer("<data encoding=\"csv\"><chunk x=\"0\" y=\"0\" width=\"2\" height=\"2\">1,1,1,1"
                                     "</chunk></data>")), {},
         {"m.tmx:7: <data> in <layer name=\"l\">: layer data in chunks belongs to infinite maps, and this map is "
          "not"}},
        {"zstd", Map(Sheet + Layer("<data encoding=\"base64\" compression=\"zstd\">KLUv/SAQgQAAAQAAAAEAAAA=</data>")), {},
         {"<data> in <layer name=\"l\">: the compression \"zstd\" is not supported"}},
        {"unknown encoding", Map(Sheet + Layer("<data encoding=\"hex\">01</data>")), {},
         {"the encoding \"hex\" is not supported"}},
        {"flipped tile beyond the tileset", Map(Sheet + Layer("<data encoding=\"csv\">1,536870914,1,1</data>")), {},
         {"<layer name=\"l\"> at column 1, row 0: the tileset \"t\" has no tile 1"}},
        {"hexagonal rotation", Map(Sheet + Layer("<data encoding=\"csv\">268435457,1,1,1</data>")), {},
         {"the tile id 1 carries the hexagonal rotation flag"}},
        {"tile beyond the tileset", Map(Sheet + Layer("<data encoding=\"csv\">1,1,1,5</data>")), {},
         {"<layer name=\"l\"> at column 1, row 1: the tileset \"t\" has no tile 4 (its picture holds 1)"}},
        {"tile below every firstgid",
         Map(" <tileset firstgid=\"5\" name=\"t\" tilewidth=\"64\" tileheight=\"32\">\n  <image source=\"tile.png\"/>\n"
             " </tileset>\n" + Layer(Csv4)), {},
         {"the tile id 1 belongs to no tileset"}},
        {"sheet smaller than its tile count",
         Map(" <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\" tilecount=\"8\">\n"
             "  <image source=\"tile.png\"/>\n </tileset>\n" + Layer("<data encoding=\"csv\">1,1,1,4</data>")), {},
         {"the tileset \"t\" has no tile 3 (its picture holds 1)"}},
        {"missing tileset file", Map(" <tileset firstgid=\"1\" source=\"gone.tsx\"/>\n" + Layer(Csv4)), {},
         {"m.tmx:3: <tileset> in <map>: cannot open \"gone.tsx\""}},
        {"tileset file of another kind", Map(" <tileset firstgid=\"1\" source=\"other.tsx\"/>\n" + Layer(Csv4)),
         {{"other.tsx", "<?xml version=\"1.0\"?>\n<template/>\n"}},
         {"<tileset> in <map>: \"other.tsx\" is not a tileset file (.tsx)"}},
        {"broken tileset file", Map(" <tileset firstgid=\"1\" source=\"broken.tsx\"/>\n" + Layer(Csv4)),
         {{"broken.tsx", "<?xml version=\"1.0\"?>\n<tileset name=\"x\">\n <tile id=\"0\">\n</tileset>\n"}},
         {"broken.tsx:4: not a readable XML file"}},
        {"missing picture", Map(plain).replace(Map(plain).find("tile.png"), 8, "gone.png"), {},
         {"m.tmx:4: <image> in <tileset name=\"t\">: cannot read the PNG picture \"gone.png\""}},
        {"picture that is no PNG", Map(plain).replace(Map(plain).find("tile.png"), 8, "fake.png"),
         {{"fake.png", "GIF89a this is not a PNG"}},
         {"<image> in <tileset name=\"t\">: cannot read the PNG picture \"fake.png\""}},
        {"embedded picture",
         Map(" <tileset firstgid=\"1\" name=\"t\" tilewidth=\"64\" tileheight=\"32\">\n  <image format=\"png\">"
             "<data encoding=\"base64\">iVBORw0KGgo=</data></image>\n </tileset>\n" + Layer(Csv4)), {},
         {"<image> in <tileset name=\"t\">: pictures embedded in the file are not supported"}},
        {"collection tile without a picture",
         Map(" <tileset firstgid=\"1\" name=\"c\" tilewidth=\"64\" tileheight=\"32\">\n  <tile id=\"0\"/>\n"
             " </tileset>\n" + Layer(Csv4)), {},
         {"the tileset \"c\" has no tile 0"}},
        {"animation frame without a tile",
         Map(" <tileset firstgid=\"1\" name=\"c\" tilewidth=\"64\" tileheight=\"32\">\n  <tile id=\"0\">"
             "<image source=\"tile.png\"/><animation><frame tileid=\"7\" duration=\"100\"/></animation></tile>\n"
             " </tileset>\n" + Layer(Csv4)), {},
         {"<tile id=\"0\">: the tileset \"c\" has no tile 7"}},
        {"broken XML", Map(plain).replace(Map(plain).find("</layer>"), 8, "</layr>"), {},
         {"m.tmx:", "not a readable XML file"}},
        {"a JSON map", "{ \"orientation\": \"isometric\", \"layers\": [] }", {}, {"m.tmx:1: not a readable XML file"}},
        {"a tileset given as the map", "<?xml version=\"1.0\"?>\n<tileset name=\"t\"/>\n", {},
         {"m.tmx:2: <tileset name=\"t\">: this is a tileset file: convert the map (.tmx) that uses it"}},
        {"short CSV", Map(Sheet + Layer("<data encoding=\"csv\">1,1,1</data>")), {},
         {"<data> in <layer name=\"l\">: the CSV data holds 3 tile ids; the layer has 4 cells"}},
        {"long CSV", Map(Sheet + Layer("<data encoding=\"csv\">1,1,1,1,1</data>")), {},
         {"the CSV data holds more than the layer's 4 cells"}},
        {"CSV with a word", Map(Sheet + Layer("<data encoding=\"csv\">1,one,1,1</data>")), {},
         {"the CSV data holds 'one,1,1' where a tile id"}},
        {"CSV id too large", Map(Sheet + Layer("<data encoding=\"csv\">1,4294967296,1,1</data>")), {},
         {"where a tile id (a whole number below 2^32) belongs"}},
        {"short base64", Map(Sheet + Layer("<data encoding=\"base64\">" + Base64(IdBytes(three)) + "</data>")), {},
         {"the layer data holds 12 bytes; its 4 cells need 16"}},
        {"broken base64", Map(Sheet + Layer("<data encoding=\"base64\">AQAA*AEAAAA=</data>")), {},
         {"the base64 data is broken"}},
        {"broken zlib", Map(Sheet + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                                          Base64({0x78, 0x9C, 1, 2, 3, 4, 5}) + "</data>")), {},
         {"the zlib data is broken or does not hold the layer's 4 cells"}},
        {"zlib of too few cells", Map(Sheet + Layer("<data encoding=\"base64\" compression=\"zlib\">" +
                                                    Base64(Deflate(IdBytes(three), false)) + "</data>")), {},
         {"the zlib data is broken or does not hold the layer's 4 cells"}},
        {"gzip of too many cells", Map(Sheet + Layer("<data encoding=\"base64\" compression=\"gzip\">" +
                                                     Base64(Deflate(IdBytes({1, 1, 1, 1, 1}), true)) + "</data>")), {},
         {"the gzip data is broken or does not hold the layer's 4 cells"}},
        {"layer of another size", Map(Sheet + Layer("<data encoding=\"csv\">1,1,1,1,1,1</data>",
                                                    "width=\"3\" height=\"2\"")), {},
         {"m.tmx:6: <layer name=\"l\">: the layer is 3 x 2 cells; the map is 2 x 2"}},
        {"layer without data", Map(Sheet + " <layer id=\"1\" name=\"l\" width=\"2\" height=\"2\"/>\n"), {},
         {"the layer has no <data>"}},
        {"rotation not a number", Map(plain + ObjectLayer("<object id=\"4\" gid=\"1\" x=\"0\" y=\"0\" rotation=\"ten\"/>")), {},
         {"<object id=\"4\">: the attribute rotation=\"ten\" must be a number"}},
        {"object template", Map(plain + ObjectLayer("<object id=\"4\" template=\"tree.tx\" x=\"0\" y=\"0\"/>")), {},
         {"m.tmx:10: <object id=\"4\">: cannot open \"tree.tx\""}},
        {"template of another kind", Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<tileset name=\"t\"/>\n"}},
         {"<object id=\"4\">: \"t.tx\" is not a template file (.tx)"}},
        {"template without an object", Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<template/>\n"}},
         {"t.tx:2: <template>: the template holds no <object>"}},
        {"template tile without a tileset", Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<template>\n <object gid=\"1\"/>\n</template>\n"}},
         {"t.tx:3: <object> in <template>: the template's object shows a tile, but it names no tileset"}},
        {"template tile below its firstgid", Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<template>\n <tileset firstgid=\"5\" source=\"s.tsx\"/>\n"
                   " <object gid=\"2\"/>\n</template>\n"},
          {"s.tsx", "<?xml version=\"1.0\"?>\n<tileset name=\"s\" tilewidth=\"64\" tileheight=\"32\">\n"
                    " <image source=\"tile.png\"/>\n</tileset>\n"}},
         {"t.tx:4: <object> in <template>: the tile id 2 lies below the template's firstgid"}},
        // The map names the template, not the tileset the template names.
        {"template's tileset outside the map's folder", Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<template>\n <tileset firstgid=\"1\" source=\"../s.tsx\"/>\n"
                   " <object gid=\"1\"/>\n</template>\n"}},
         {"t.tx:3: <tileset> in <template>: \"../s.tsx\" lies outside the map's folder: a template may only name files "
          "in the map's folder tree, or tilesets the map names itself"}},
        {"template tileset's picture outside the map's folder",
         Map(plain + ObjectLayer("<object id=\"4\" template=\"t.tx\"/>")),
         {{"t.tx", "<?xml version=\"1.0\"?>\n<template>\n <tileset firstgid=\"1\" source=\"s.tsx\"/>\n"
                   " <object gid=\"1\"/>\n</template>\n"},
          {"s.tsx", "<?xml version=\"1.0\"?>\n<tileset name=\"s\" tilewidth=\"64\" tileheight=\"32\">\n"
                    " <image source=\"../tile.png\"/>\n</tileset>\n"}},
         {"s.tsx:3: <image> in <tileset name=\"s\">: \"../tile.png\" lies outside the map's folder"}},
        {"image layer picture embedded",
         Map(plain + " <imagelayer id=\"3\" name=\"i\">\n  <image format=\"png\"><data encoding=\"base64\">iVBORw0KGgo="
                     "</data></image>\n </imagelayer>\n"), {},
         {"<image> in <imagelayer name=\"i\">: pictures embedded in the file are not supported"}},
        {"image layer picture missing",
         Map(plain + " <imagelayer id=\"3\" name=\"i\">\n  <image source=\"gone.png\"/>\n </imagelayer>\n"), {},
         {"<image> in <imagelayer name=\"i\">: cannot read the PNG picture \"gone.png\""}},
        {"tint not a colour", Map(Sheet + Layer(Csv4)).replace(Map(Sheet + Layer(Csv4)).find("name=\"l\""), 8,
                                                               "name=\"l\" tintcolor=\"#12345\""), {},
         {"<layer name=\"l\">: the attribute tintcolor must be a colour #RRGGBB or #AARRGGBB"}},
        // On 2 x 1 cells, a million pixels are a million cells away.
        {"object far outside the map",
         IsoMap(2, 2, 2, 1, plain + ObjectLayer("<object id=\"4\" gid=\"1\" x=\"1000000\" y=\"-1000000\"/>")), {},
         {"<object id=\"4\">: the object lies too far outside the map"}},
        {"not a number", Map(plain).replace(Map(plain).find("width=\"2\""), 9, "width=\"abc\""), {},
         {"m.tmx:2: <map>: the attribute width=\"abc\" must be a whole number from 1 to 32767"}},
        {"map too wide", Map(plain).replace(Map(plain).find("width=\"2\""), 9, "width=\"40000\""), {},
         {"the attribute width=\"40000\" must be a whole number from 1 to 32767"}},
        {"too many cells", Map(plain).replace(Map(plain).find("width=\"2\" height=\"2\""), 20,
                                              "width=\"30000\" height=\"30000\""), {},
         {"<map>: the map has more than 16777216 cells"}},
        {"no tile size", Map(plain).replace(Map(plain).find(" tilewidth=\"64\""), 15, ""), {},
         {"<map>: the attribute tilewidth is missing"}},
        {"blocked neither true nor false",
         Map(Sheet + " <layer id=\"1\" name=\"l\" width=\"2\" height=\"2\">\n  <properties><property name=\"blocked\" "
                     "value=\"maybe\"/></properties>\n  " + Csv4 + "\n </layer>\n"), {},
         {"<property name=\"blocked\">: the property blocked must be true or false, not \"maybe\""}},
        {"two tilesets with one firstgid", Map(Sheet + Sheet + Layer(Csv4)), {},
         {"<tileset name=\"t\">: two tilesets have the firstgid 1"}},
        {"opacity beyond 1", Map(Sheet + Layer(Csv4)).replace(Map(Sheet + Layer(Csv4)).find("name=\"l\""), 8,
                                                              "name=\"l\" opacity=\"2\""), {},
         {"<layer name=\"l\">: the opacity must be from 0 to 1"}},
    };
    // clang-format on
}

class RefusalTest : public TmxImportFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NamesTheFileTheElementAndTheReason)
{
    const RefusalCase& c = GetParam();
    SavePicture("tile.png", Diamond(64, 32, 0x336699));
    WriteText("m.tmx", c.map);
    for (const auto& [name, text] : c.files) WriteText(name, text);
    std::string error;
    ASSERT_FALSE(Convert("m.tmx", "w", error)) << c.name << " converted";
    for (const std::string& part : c.said) EXPECT_NE(error.find(part), std::string::npos) << "said: " << error;
    // The map, or the tileset or template file at fault.
    EXPECT_EQ(error.rfind("m.tmx", 0) == 0 || error.find(".tsx:") != std::string::npos ||
                  error.find(".tx:") != std::string::npos,
              true)
        << error;
    EXPECT_FALSE(std::filesystem::exists("w")) << "a refused map wrote files";
}

INSTANTIATE_TEST_SUITE_P(Maps, RefusalTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<RefusalCase>& param) {
                             std::string name = param.param.name;
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// The fuzzer's seeds and what it once broke: each converts or is refused
// with a message, beside the fuzzer's pictures and tilesets. The map tmxexport
// wrote (exported.tmx, with a floor object and cells added) converts.
TEST(FuzzCorpusTest, EveryInputConvertsOrIsRefusedWithAMessage)
{
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TMX_CORPUS)) {
        if (!entry.is_regular_file()) continue;  // found/ holds what earlier fuzzing found
        ConvertedWorld world;
        std::string error;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        const bool converted = ConvertTmxText(text, FUZZ_ASSETS "/fuzz.tmx", world, error);
        EXPECT_TRUE(converted || !error.empty()) << entry.path();
        if (entry.path().filename() == "exported.tmx") {
            EXPECT_TRUE(converted) << error;
            EXPECT_EQ(world.map.floorTiles.size(), 5u);
            EXPECT_EQ(world.map.Cell(1, 0).value, 5);
        }
        ++inputs;
    }
    EXPECT_GE(inputs, 4u);
}

TEST(LayerDataTest, Base64RejectsWhatIsNotBase64)
{
    const std::vector<std::pair<std::string, bool>> texts = {
        {"AQID", true},       {"AQI=", true},  {"AQ==", true},
        {" A Q\nI D ", true}, {"", true},      {"AQI", true},    // unpadded, as some writers leave it
        {"AQ=I", false},      {"A===", false}, {"AR==", false},  // bits after the last byte
        {"AQ*D", false},
    };
    for (const auto& [text, good] : texts) {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(DecodeBase64(text, bytes), good) << "'" << text << "'";
    }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(DecodeBase64("AQID", bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(LayerDataTest, InflationStopsAtTheExpectedSize)
{
    // A bomb: a million zero bytes where 16 are expected.
    const std::vector<uint8_t> packed = Deflate(std::vector<uint8_t>(1 << 20, 0), false);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(InflateExactly(packed, false, 16, bytes));
    EXPECT_LE(bytes.size(), 17u);
    EXPECT_TRUE(InflateExactly(Deflate(std::vector<uint8_t>(16, 7), true), true, 16, bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>(16, 7));
}

}  // namespace
