// The importer held against Tiled's own renderer: maps made here, with every
// feature the import reads, drawn by tmxrasterizer and by `maptool render`.
#include "TiledRenderer.h"
#include "TmxFixtures.h"

#include <cstdio>

using namespace tmxtest;

namespace {

constexpr uint32_t Magenta = 0xFF00FF;  // the ground sheet's transparent colour
const uint32_t Greens[6] = {0x2E8B57, 0x3CB371, 0x556B2F, 0x6B8E23, 0x8FBC8F, 0x228B22};

// A sheet of `count` w x h pictures, 3 to a row, with a margin of 1 and a
// spacing of 2 in the transparent colour.
RgbaImage Sheet(uint32_t width, uint32_t height, int count, const std::function<RgbaImage(int)>& tile)
{
    const uint32_t rows = uint32_t(count + 2) / 3;
    RgbaImage sheet = Solid(2 + 3 * width + 4, 2 + rows * height + (rows - 1) * 2, Magenta);
    for (int id = 0; id < count; ++id) {
        const RgbaImage picture = tile(id);
        const uint32_t left = 1 + uint32_t(id % 3) * (width + 2), top = 1 + uint32_t(id / 3) * (height + 2);
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* p = picture.Pixel(x, y);
                uint8_t* q = &sheet.rgba[(size_t(top + y) * sheet.width + left + x) * 4];
                if (p[3]) std::copy_n(p, 4, q);
            }
        }
    }
    return sheet;
}

// Hard-edged pictures of many colours, so that a pixel out of place shows.
RgbaImage Striped(uint32_t width, uint32_t height, uint32_t seed, uint32_t cut)
{
    return Picture(width, height, [=](uint32_t x, uint32_t y) {
        if (x + y < cut || (x > width - cut && y < cut)) return Transparent;
        return ((x * 7 + seed) & 0xFF) << 16 | ((y * 5 + seed * 3) & 0xFF) << 8 | ((x ^ y) * 11 & 0xFF);
    });
}

class TiledRendererTest : public TmxImportFixture {
protected:
    std::string ObjectLayer(const std::string& name, const std::string& extra,
                            const std::vector<std::tuple<uint32_t, double, double, std::string>>& objects)
    {
        std::string text = " <objectgroup name=\"" + name + "\"" + extra + ">\n";
        for (const auto& [gid, x, y, size] : objects) {
            text += "  <object id=\"" + std::to_string(++objectId) + "\" gid=\"" + std::to_string(gid) + "\" x=\"" +
                    std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"" + size + "/>\n";
        }
        return text + " </objectgroup>\n";
    }

    // Converts and draws `map` both ways, with the camera on (cameraX, cameraY).
    void DrawBoth(const std::string& map, int columns, int rows, double scale, RgbaImage& program, RgbaImage& editor)
    {
        std::string error;
        ASSERT_TRUE(Convert(map, map + "-world", error)) << error;
        program = Render(map + "-world", columns / 2, rows / 2);
        editor = TiledPicture(map, scale, map + "-tiled.png");
        ASSERT_GT(editor.width, 0u);
    }

    int objectId = 0;
};

// On the program's own grid, with pictures only fully opaque or clear,
// nothing is scaled or blended: the two pictures are the same to the pixel.
TEST_F(TiledRendererTest, AMapOnTheProgramsGridIsDrawnPixelForPixelAsTheEditorDrawsIt)
{
    constexpr int Columns = 6, Rows = 5, Cells = Columns * Rows;
    SavePicture("ground.png", Sheet(40, 20, 6, [](int id) { return Diamond(40, 20, Greens[id]); }));
    std::filesystem::create_directories("sets/art");
    SavePicture("sets/art/tree.png", Striped(40, 50, 1, 12));
    SavePicture("sets/art/rock.png", Striped(30, 36, 2, 9));
    SavePicture("sets/art/lamp.png", Striped(20, 20, 3, 4));
    SavePicture("sets/art/sign.png", Striped(16, 24, 4, 5));
    // One colour, so that the editor's smooth stretching keeps it.
    SavePicture("sets/art/lit.png", Solid(14, 26, 0xE0C040));
    // The props: a tile offset, and an animated tile shown by its first frame,
    // of another size: the editor draws every frame at the animated tile's size.
    WriteText(
        "sets/props.tsx",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<tileset version=\"1.8\" name=\"props\" tilewidth=\"40\" tileheight=\"50\" tilecount=\"4\" columns=\"0\">\n"
        " <tileoffset x=\"3\" y=\"-4\"/>\n"
        " <tile id=\"0\"><image width=\"40\" height=\"50\" source=\"art/tree.png\"/></tile>\n"
        " <tile id=\"1\"><image width=\"30\" height=\"36\" source=\"art/rock.png\"/></tile>\n"
        " <tile id=\"2\"><image width=\"20\" height=\"20\" source=\"art/lamp.png\"/>\n"
        "  <animation><frame tileid=\"3\" duration=\"250\"/><frame tileid=\"2\" duration=\"50\"/></animation>\n"
        " </tile>\n"
        " <tile id=\"3\"><image width=\"14\" height=\"26\" source=\"art/lit.png\"/></tile>\n</tileset>\n");
    // Signs are placed by their top-left corner.
    WriteText(
        "sets/signs.tsx",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<tileset version=\"1.8\" name=\"signs\" tilewidth=\"16\" tileheight=\"24\" tilecount=\"1\" columns=\"0\" "
        "objectalignment=\"topleft\">\n"
        " <tile id=\"0\"><image width=\"16\" height=\"24\" source=\"art/sign.png\"/></tile>\n</tileset>\n");
    constexpr uint32_t Tree = 7, Rock = 8, Lamp = 9, Sign = 11;

    std::vector<uint32_t> ground(Cells), walls(Cells, 0), deco(Cells, 0), collision(Cells, 0);
    for (int i = 0; i < Cells; ++i) ground[size_t(i)] = 1 + uint32_t(i * 7 % 6);
    walls[1] = Tree;
    walls[8] = Tree | FlippedHorizontally;
    walls[15] = Rock | FlippedVertically;
    walls[22] = Rock | FlippedHorizontally | FlippedVertically;
    deco[13] = Lamp;
    deco[26] = Tree;
    collision[4] = collision[19] = 1;
    std::string tiles;
    for (uint32_t gid : collision) tiles += "<tile gid=\"" + std::to_string(gid) + "\"/>";

    const std::string body =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"40\" tileheight=\"20\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"6\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n"
        " <tileset firstgid=\"7\" source=\"sets/props.tsx\"/>\n <tileset firstgid=\"11\" "
        "source=\"sets/signs.tsx\"/>\n" +
        CsvLayer("ground", Columns, Rows, ground) +
        " <group name=\"buildings\" offsetx=\"6\" offsety=\"4\">\n"
        "  <layer name=\"walls\" width=\"6\" height=\"5\"><data encoding=\"base64\" compression=\"zlib\">" +
        Base64(Deflate(IdBytes(walls), false)) + "</data></layer>\n </group>\n" +
        " <layer name=\"deco\" width=\"6\" height=\"5\" offsetx=\"5\" offsety=\"3\">"
        "<data encoding=\"base64\" compression=\"gzip\">" +
        Base64(Deflate(IdBytes(deco), true)) + "</data></layer>\n" +
        " <layer name=\"collision\" width=\"6\" height=\"5\" visible=\"0\"><properties><property name=\"blocked\" "
        "type=\"bool\" value=\"true\"/></properties><data>" +
        tiles + "</data></layer>\n" +
        // Overlapping objects, stacked in the file's order.
        ObjectLayer(
            "things", " draworder=\"index\"",
            {{Rock, 60, 60, ""}, {Tree | FlippedHorizontally, 70, 66, ""}, {Sign, 50, 70, ""}, {Rock, 62, 64, ""}}) +
        // Apart from each other, so that how the layer is sorted cannot matter.
        ObjectLayer("far", " offsetx=\"2\" offsety=\"1\"", {{Sign, 10, 90, ""}, {Lamp, 100, 12, ""}});
    WriteText("grid.tmx", IsoMap(Columns, Rows, 40, 20, body));

    RgbaImage program, editor;
    DrawBoth("grid.tmx", Columns, Rows, 1, program, editor);
    const PictureComparison same = ComparePictures(program, editor, Rows, Columns / 2, Rows / 2);
    EXPECT_GT(same.compared, size_t(Cells) * 400);  // the whole floor, at least
    EXPECT_EQ(same.differing, 0u) << "largest difference " << same.largest;
}

// A soft-edged picture: a disc whose rim fades out over a few pixels.
RgbaImage SoftDisc(uint32_t width, uint32_t height, uint32_t rgb)
{
    RgbaImage image = Solid(width, height, rgb);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - width / 2.0) / (width / 2.0), dy = (y + 0.5 - height / 2.0) / (height / 2.0);
            const double fade = std::clamp((1 - std::sqrt(dx * dx + dy * dy)) * 6, 0.0, 1.0);
            uint8_t* p = &image.rgba[(size_t(y) * width + x) * 4];
            p[1] = uint8_t(p[1] + y * 2);
            p[3] = uint8_t(std::lround(fade * 255));
        }
    }
    return image;
}

// Scaled and blended maps come within ScaledPsnr of the editor's picture,
// and a real fault on the same map (the program's picture one pixel out of
// place, a layer missing) falls clearly below it. (Tiles drawn at the grid's
// size are left out: Debian's renderer, 1.8, predates that setting.)
TEST_F(TiledRendererTest, ScaledAndBlendedMapsStayCloserToTheEditorThanAnyFaultWould)
{
    constexpr int Side = 5, Cells = Side * Side;
    SavePicture("ground.png", Sheet(64, 32, 3, [](int id) { return Diamond(64, 32, Greens[id]); }));
    SavePicture("bush.png", SoftDisc(64, 64, 0x336633));
    std::vector<uint32_t> ground(Cells), plants(Cells, 0), glass(Cells, 0);
    for (int i = 0; i < Cells; ++i) ground[size_t(i)] = 1 + uint32_t(i * 5 % 3);
    plants[6] = plants[12] = plants[18] = 4;
    glass[8] = glass[16] = 4;
    const std::string body =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"64\" tileheight=\"32\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"3\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n"
        " <tileset firstgid=\"4\" name=\"bushes\" tilewidth=\"64\" tileheight=\"64\" tilecount=\"1\">\n"
        "  <tileoffset x=\"0\" y=\"16\"/>\n  <tile id=\"0\"><image source=\"bush.png\"/></tile>\n </tileset>\n" +
        CsvLayer("ground", Side, Side, ground);
    const std::string plantsLayer = CsvLayer("plants", Side, Side, plants);
    const std::string rest =
        ObjectLayer("big", " draworder=\"index\"", {{4, 96, 64, " width=\"128\" height=\"128\""}}) +
        CsvLayer("glass", Side, Side, glass, " opacity=\"0.6\"");
    WriteText("scaled.tmx", IsoMap(Side, Side, 64, 32, body + plantsLayer + rest));
    WriteText("without-plants.tmx", IsoMap(Side, Side, 64, 32, body + rest));

    RgbaImage program, editor, missing, unused;
    DrawBoth("scaled.tmx", Side, Side, 40.0 / 64, program, editor);
    DrawBoth("without-plants.tmx", Side, Side, 40.0 / 64, missing, unused);
    const PictureComparison good = ComparePictures(program, editor, Side, Side / 2, Side / 2);
    const PictureComparison shifted = ComparePictures(program, editor, Side, Side / 2, Side / 2, 1, 0);
    const PictureComparison lost = ComparePictures(missing, editor, Side, Side / 2, Side / 2);
    EXPECT_GT(good.compared, size_t(Cells) * 400);
    EXPECT_GE(good.psnr, ScaledPsnr);
    EXPECT_LT(shifted.psnr, ScaledPsnr - 3) << "a picture one pixel out of place";
    EXPECT_LT(lost.psnr, ScaledPsnr - 3) << "a layer missing";
    std::printf("scaled map: %.1f dB; one pixel out of place %.1f dB, a layer missing %.1f dB\n", good.psnr,
                shifted.psnr, lost.psnr);
}

}  // namespace
