// The importer held against Tiled's own renderer: maps made here, with every
// feature the import reads, drawn by tmxrasterizer and by `maptool render`.
#include "TiledRenderer.h"
#include "TmxFixtures.h"

#include "tools/tmximport/MapLattice.h"
#include "tools/worldfiles/TextValues.h"

#include <cstdio>

using namespace tmxtest;

namespace {

constexpr uint32_t Magenta = 0xFF00FF;  // the ground sheet's transparent colour
// Pixel art scaled: one pixel of texture is most of a pixel at the program's
// scale, so the editor's smooth scaling and the mean of covered pixels part
// more than on smooth art.
constexpr double PixelArtPsnr = 28;
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

    // Converts and draws `map` both ways, with the camera on the middle of
    // the program's map of `columns` x `rows` cells.
    void DrawBoth(const std::string& map, int columns, int rows, double scale, RgbaImage& program, RgbaImage& editor,
                  ImportSummary* summary = nullptr)
    {
        std::string error;
        ASSERT_TRUE(Convert(map, map + "-world", error, summary)) << error;
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

// --- Staggered and infinite maps --------------------------------------------

// The rectangle of a staggered map's cells that the editor's picture and the
// program's lattice are made from, with the stagger.
struct StaggeredCells {
    bool staggerX = false;
    bool staggerEven = false;
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the cells the tiles use, corners included
    int64_t rasterX0 = 0, rasterY0 = 0;      // the first cells of the editor's picture (its chunks' on infinite maps)

    // The editor puts cell (x, y)'s rectangle at (a w/2, b h/2), a and b as
    // MapLattice.h defines them; its picture starts at the smallest of those
    // over its cells.
    StaggeredGrid Grid() const
    {
        StaggeredGrid grid{staggerX, staggerEven, 0, 0};
        grid.minSum = grid.A(x0, y0) + grid.B(x0, y0);
        grid.minDifference = grid.B(x1, y0) - grid.A(x1, y0);
        return grid;
    }

    // Where the program's picture takes the editor's, drawn at `scale` of
    // w x h tiles, with the camera on tile (cameraX, cameraY) of a lattice
    // `latticeRows` high.
    PictureShift Shift(double w, double h, double scale, int64_t latticeRows, int cameraX, int cameraY) const
    {
        const StaggeredGrid grid = Grid();
        // The first row or column and the next, shifted the other way.
        const int64_t nextX = rasterX0 + (staggerX ? 1 : 0), nextY = rasterY0 + (staggerX ? 0 : 1);
        const int64_t left = std::min(grid.A(rasterX0, rasterY0), grid.A(nextX, nextY));
        const int64_t top = std::min(grid.B(rasterX0, rasterY0), grid.B(nextX, nextY));
        const double x = ((grid.A(x0, y0) - left) * w / 2 + w / 2) * scale;
        const double y = ((grid.B(x0, y0) - top) * h / 2 + h / 2) * scale;
        const EditorCell cell = grid.ToLattice(x0, y0);
        return ShiftOfCell(x, y, cell.column, latticeRows - 1 - cell.row, cameraX, cameraY);
    }
};

// A staggered map's picture is the isometric one's, cell for cell: its zigzag
// rows or columns land on the lattice's diamonds, tall tiles and tile objects
// (placed by their bottom-left corner, as the editor places them on maps
// other than isometric ones) in the editor's order.
TEST_F(TiledRendererTest, StaggeredMapsAreDrawnPixelForPixelOnBothAxesAndIndices)
{
    constexpr int Columns = 5, Rows = 6, Cells = Columns * Rows;
    SavePicture("ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tree.png", Striped(30, 50, 1, 9));
    SavePicture("rock.png", Striped(20, 26, 2, 5));
    const std::string tilesets =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"40\" tileheight=\"20\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"2\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n"
        " <tileset firstgid=\"3\" name=\"props\" tilewidth=\"30\" tileheight=\"50\" tilecount=\"2\">\n"
        "  <tile id=\"0\"><image source=\"tree.png\"/></tile>\n  <tile id=\"1\"><image source=\"rock.png\"/></tile>\n"
        " </tileset>\n";
    std::vector<uint32_t> ground(Cells), props(Cells, 0);
    for (int i = 0; i < Cells; ++i) ground[size_t(i)] = 1 + uint32_t((i * 3 + i / Columns) % 2);
    props[7] = 3;
    props[8] = 4 | FlippedHorizontally;
    props[13] = 3;
    props[21] = 4;
    // The lattice: columns and rows of the sums a + b and b - a.
    const struct {
        bool staggerX, staggerEven;
        int width, height;
    } cases[] = {{false, false, 8, 7}, {false, true, 7, 8}, {true, false, 8, 8}, {true, true, 8, 8}};
    for (const auto& [staggerX, staggerEven, width, height] : cases) {
        const std::string name = std::string("staggered-") + (staggerX ? "x" : "y") + (staggerEven ? "-even" : "-odd");
        const std::string stagger = std::string(" staggeraxis=\"") + (staggerX ? "x" : "y") + "\" staggerindex=\"" +
                                    (staggerEven ? "even" : "odd") + "\"";
        std::string map =
            IsoMap(Columns, Rows, 40, 20,
                   tilesets + CsvLayer("ground", Columns, Rows, ground) + CsvLayer("props", Columns, Rows, props) +
                       ObjectLayer("things", "", {{3, 50, 60, ""}, {4, 83, 41, ""}}),
                   stagger);
        map.replace(map.find("isometric"), 9, "staggered");
        WriteText(name + ".tmx", map);
        ImportSummary summary;
        RgbaImage program, editor;
        DrawBoth(name + ".tmx", width, height, 1, program, editor, &summary);
        EXPECT_EQ(summary.width, width) << name;
        EXPECT_EQ(summary.height, height) << name;
        EXPECT_EQ(summary.floorTiles, size_t(Cells)) << name;  // the lattice's other cells stay empty
        const StaggeredCells cells{staggerX, staggerEven, 0, 0, Columns - 1, Rows - 1, 0, 0};
        const PictureComparison same =
            ComparePictures(program, editor, cells.Shift(40, 20, 1, height, width / 2, height / 2));
        EXPECT_GT(same.compared, size_t(Cells) * 400) << name;
        EXPECT_EQ(same.differing, 0u) << name << ": largest difference " << same.largest;
    }
}

// One 16 x 16 chunk of an infinite map's layer, its cells' ids from
// `gid(x, y)`, in the layer's encoding.
std::string Chunk(int64_t x, int64_t y, const std::string& encoding,
                  const std::function<uint32_t(int64_t, int64_t)>& gid)
{
    std::vector<uint32_t> gids;
    for (int64_t row = y; row < y + 16; ++row) {
        for (int64_t column = x; column < x + 16; ++column) gids.push_back(gid(column, row));
    }
    std::string data;
    if (encoding == "csv") data = Csv(gids);
    if (encoding == "base64") data = Base64(IdBytes(gids));
    if (encoding == "zlib" || encoding == "gzip") data = Base64(Deflate(IdBytes(gids), encoding == "gzip"));
    if (encoding == "xml") {
        for (uint32_t id : gids) data += "<tile gid=\"" + std::to_string(id) + "\"/>";
    }
    return "   <chunk x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"16\" height=\"16\">" +
           data + "</chunk>\n";
}

// An infinite map converts the rectangle its tiles use, wherever its chunks
// lie and whatever their encoding, and keeps the editor's places: its
// staggered rows keep the shift of their own coordinates.
TEST_F(TiledRendererTest, InfiniteMapsConvertTheCellsTheirChunksUseInEveryEncoding)
{
    SavePicture("ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tree.png", Striped(30, 50, 1, 9));
    SavePicture("rock.png", Striped(20, 26, 2, 5));
    const std::string tilesets =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"40\" tileheight=\"20\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"2\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n"
        " <tileset firstgid=\"3\" name=\"props\" tilewidth=\"30\" tileheight=\"50\" tilecount=\"2\">\n"
        "  <tile id=\"0\"><image source=\"tree.png\"/></tile>\n  <tile id=\"1\"><image source=\"rock.png\"/></tile>\n"
        " </tileset>\n";
    // Ground on cells (-5, -3) to (4, 6), across all four chunks.
    const auto ground = [](int64_t x, int64_t y) -> uint32_t {
        return x >= -5 && x <= 4 && y >= -3 && y <= 6 ? 1 + uint32_t((x * 3 + y + 40) % 2) : 0;
    };
    const auto props = [](int64_t x, int64_t y) -> uint32_t {
        if (x == -4 && y == -2) return 3;
        if (x == 0 && y == 0) return 4 | FlippedHorizontally;
        if (x == 3 && y == 5) return 3;
        return 0;
    };
    const auto layer = [&](const std::string& name, const std::string& encoding, const auto& gid) {
        std::string data = encoding == "xml"      ? "<data>\n"
                           : encoding == "csv"    ? "<data encoding=\"csv\">\n"
                           : encoding == "base64" ? "<data encoding=\"base64\">\n"
                                                  : "<data encoding=\"base64\" compression=\"" + encoding + "\">\n";
        for (int64_t y : {-16, 0}) {
            for (int64_t x : {-16, 0}) data += Chunk(x, y, encoding, gid);
        }
        return " <layer name=\"" + name + "\" width=\"10\" height=\"10\">\n  " + data + "  </data>\n </layer>\n";
    };
    const std::vector<std::pair<std::string, std::string>> encodings = {{"csv", "zlib"},
                                                                        {"base64", "gzip"},
                                                                        {"xml", "csv"}};
    const struct {
        const char* name;
        const char* orientation;  // with its stagger
        int width, height;        // of the program's lattice
    } cases[] = {{"isometric", "isometric\"", 10, 10},
                 {"staggered-y-odd", "staggered\" staggeraxis=\"y\" staggerindex=\"odd\"", 14, 15},
                 {"staggered-x-even", "staggered\" staggeraxis=\"x\" staggerindex=\"even\"", 15, 14}};
    for (size_t c = 0; c < std::size(cases); ++c) {
        const auto& [name, orientation, width, height] = cases[c];
        const auto& [groundEncoding, propsEncoding] = encodings[c];
        std::string map =
            IsoMap(10, 10, 40, 20,
                   tilesets + layer("ground", groundEncoding, ground) + layer("props", propsEncoding, props) +
                       ObjectLayer("things", "", {{4, -50, 60, ""}}));
        map.replace(map.find("isometric\""), 10, orientation);
        map.replace(map.find("infinite=\"0\""), 12, "infinite=\"1\"");
        WriteText(std::string(name) + ".tmx", map);
        ImportSummary summary;
        RgbaImage program, editor;
        DrawBoth(std::string(name) + ".tmx", width, height, 1, program, editor, &summary);
        EXPECT_EQ(summary.width, width) << name;
        EXPECT_EQ(summary.height, height) << name;
        EXPECT_EQ(summary.floorTiles, 100u) << name;
        EXPECT_EQ(summary.objects, 4u) << name;
        // The editor's picture is as large as the chunks, cells (-16, -16) to
        // (15, 15). tmxrasterizer 1.8 places an isometric one by the chunks'
        // first cell alone, putting cell (x, y)'s centre at ((x - y + 10 + 32)
        // w/2, (x + y + 32) h/2 + h/2) (10 the map's declared height), and
        // cuts off what falls left of it: this map's tiles all fall inside.
        // The program's cell (0, 9) is the editor's (-5, -3).
        PictureShift shift;
        if (c == 0) {
            shift = ShiftOfCell((-5 + 3 + 42) * 20, (-5 - 3 + 32) * 10 + 10, 0, 9, width / 2, height / 2);
        } else {
            const StaggeredCells cells{c == 2, c == 2, -5, -3, 4, 6, -16, -16};
            shift = cells.Shift(40, 20, 1, height, width / 2, height / 2);
        }
        const PictureComparison same = ComparePictures(program, editor, shift);
        EXPECT_GT(same.compared, 100u * 400) << name;
        EXPECT_EQ(same.differing, 0u) << name << ": largest difference " << same.largest;
    }
}

// --- Templates, tints, image layers, flips and rotations ----------------------

// The props shared by the tests below: a tall tree and a rock, hard-edged.
const char PropsTileset[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<tileset version=\"1.8\" name=\"props\" tilewidth=\"30\" tileheight=\"50\" tilecount=\"2\">\n"
    " <tile id=\"0\"><image source=\"tree.png\"/></tile>\n <tile id=\"1\"><image source=\"rock.png\"/></tile>\n"
    "</tileset>\n";

// A map of 6 x 6 cells of 40 x 20 with a ground layer, tilesets first.
std::string GroundMap(const std::string& tilesets, const std::string& layers)
{
    const std::string ground =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"40\" tileheight=\"20\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"2\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n";
    std::vector<uint32_t> cells(36);
    for (size_t i = 0; i < cells.size(); ++i) cells[i] = 1 + uint32_t((i + i / 6) % 2);
    return IsoMap(6, 6, 40, 20, ground + tilesets + CsvLayer("ground", 6, 6, cells) + layers);
}

// An object from a template takes the template's tile, size and properties,
// its own attributes and properties put over them, as the editor draws it
// once detached. (tmxrasterizer 1.8 draws template instances without their
// tile, so the reference is the same map with the objects detached.)
TEST_F(TiledRendererTest, TemplateInstancesAreDrawnAsTheirDetachedObjects)
{
    std::filesystem::create_directories("maps");
    std::filesystem::create_directories("templates");
    std::filesystem::create_directories("tiles");
    SavePicture("maps/ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tiles/tree.png", Striped(30, 50, 1, 9));
    SavePicture("tiles/rock.png", Striped(20, 26, 2, 5));
    SavePicture("maps/stone.png", Striped(24, 30, 3, 7));
    WriteText("tiles/props.tsx", PropsTileset);
    // A template whose tileset the map names too, and one whose tileset only
    // the template names, beside the map.
    WriteText("templates/tree.tx", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template>\n"
                                   " <tileset firstgid=\"1\" source=\"../tiles/props.tsx\"/>\n"
                                   " <object name=\"tree\" gid=\"1\" width=\"30\" height=\"50\"><properties>"
                                   "<property name=\"blocked\" type=\"bool\" value=\"true\"/></properties></object>\n"
                                   "</template>\n");
    WriteText("maps/stones.tsx", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tileset version=\"1.8\" "
                                 "name=\"stones\" tilewidth=\"24\" tileheight=\"30\" tilecount=\"1\">\n"
                                 " <tile id=\"0\"><image source=\"stone.png\"/></tile>\n</tileset>\n");
    WriteText("maps/stone.tx",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template>\n"
              " <tileset firstgid=\"7\" source=\"stones.tsx\"/>\n"
              " <object name=\"stone\" gid=\"2147483655\" width=\"24\" height=\"30\"/>\n</template>\n");
    const std::string props = " <tileset firstgid=\"3\" source=\"../tiles/props.tsx\"/>\n";
    WriteText("maps/templates.tmx",
              GroundMap(props, " <objectgroup name=\"o\" draworder=\"index\">\n"
                               "  <object id=\"1\" template=\"../templates/tree.tx\" x=\"40\" y=\"40\"/>\n"
                               "  <object id=\"2\" template=\"../templates/tree.tx\" gid=\"2147483652\" x=\"60\" "
                               "y=\"20\" width=\"20\" height=\"26\"><properties><property name=\"blocked\" "
                               "type=\"bool\" value=\"false\"/></properties></object>\n"
                               "  <object id=\"3\" template=\"stone.tx\" x=\"20\" y=\"80\"/>\n"
                               "  <object id=\"4\" template=\"stone.tx\" x=\"100\" y=\"80\" visible=\"0\"/>\n"
                               " </objectgroup>\n"));
    WriteText("maps/detached.tmx",
              GroundMap(props + " <tileset firstgid=\"5\" source=\"stones.tsx\"/>\n",
                        " <objectgroup name=\"o\" draworder=\"index\">\n"
                        "  <object id=\"1\" gid=\"3\" x=\"40\" y=\"40\" width=\"30\" height=\"50\"/>\n"
                        "  <object id=\"2\" gid=\"2147483652\" x=\"60\" y=\"20\" width=\"20\" height=\"26\"/>\n"
                        "  <object id=\"3\" gid=\"2147483653\" x=\"20\" y=\"80\" width=\"24\" height=\"30\"/>\n"
                        " </objectgroup>\n"));
    ImportSummary summary;
    std::string error;
    ASSERT_TRUE(Convert("maps/templates.tmx", "world", error, &summary)) << error;
    EXPECT_EQ(summary.objects, 3u);
    EXPECT_EQ(summary.blockedCells, 1u);  // the first tree: the second one says false
    EXPECT_EQ(summary.sprites, 3u);       // the stones' tileset, which only a template names, too
    const RgbaImage program = Render("world", 3, 3);
    const RgbaImage editor = TiledPicture("maps/detached.tmx", 1, "detached.png");
    const PictureComparison same = ComparePictures(program, editor, 6, 3, 3);
    EXPECT_GT(same.compared, 36u * 400);
    EXPECT_EQ(same.differing, 0u) << "largest difference " << same.largest;
}

// Image layers below, between and above the others, repeated or not, and
// tints of tile layers, object layers, image layers and groups (multiplied
// down): drawn as the editor draws them, within the map's area, which a
// repeated picture fills (tmxrasterizer fills the whole of its picture,
// widened by the layers' offsets).
TEST_F(TiledRendererTest, ImageLayersAndTintsAreDrawnInTheEditorsOrder)
{
    SavePicture("ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tree.png", Striped(30, 50, 1, 9));
    SavePicture("rock.png", Striped(20, 26, 2, 5));
    // A picture with a clear hole and a colour made clear by `trans`.
    RgbaImage back = Striped(70, 45, 5, 0);
    for (uint32_t y = 10; y < 20; ++y) {
        for (uint32_t x = 10; x < 30; ++x) back.rgba[(size_t(y) * back.width + x) * 4 + 3] = 0;
    }
    SavePicture("back.png", back);
    WriteText("props.tsx", PropsTileset);
    std::vector<uint32_t> props(36, 0);
    props[7] = 3;
    props[20] = 4 | FlippedVertically;
    const std::string map = GroundMap(
        " <tileset firstgid=\"3\" source=\"props.tsx\"/>\n",
        " <imagelayer name=\"mid\" offsetx=\"100\" offsety=\"30\" tintcolor=\"#80ffc0\">\n"
        "  <image source=\"back.png\" trans=\"" +
            FormatRgb(back.Rgb(40, 30)).substr(1) + "\"/>\n </imagelayer>\n" +
            " <group name=\"tinted\" tintcolor=\"#ff8080\">\n" +
            CsvLayer("props", 6, 6, props, " tintcolor=\"#80ff80\"") + " </group>\n" +
            ObjectLayer("things", " tintcolor=\"#ffc040\"", {{3, 60, 50, ""}, {4, 80, 90, ""}}) +
            " <imagelayer name=\"top\" offsetx=\"60\" offsety=\"40\" repeatx=\"1\">\n  <image source=\"rock.png\"/>\n"
            " </imagelayer>\n");
    // The background, repeated both ways, goes first.
    std::string text = map;
    text.insert(text.find(" <layer name=\"ground\""),
                " <imagelayer name=\"back\" offsetx=\"13\" offsety=\"7\" repeatx=\"1\" repeaty=\"1\" "
                "tintcolor=\"#c0e0ff\">\n  <image source=\"back.png\"/>\n </imagelayer>\n");
    WriteText("images.tmx", text);
    ImportSummary summary;
    RgbaImage program, editor;
    DrawBoth("images.tmx", 6, 6, 1, program, editor, &summary);
    EXPECT_GT(summary.floorTiles, 36u + 40u);  // the ground, the background's pieces and the middle's
    EXPECT_GT(summary.objects, 4u + 4u);       // the props and things, then the top's pieces
    const PictureComparison same = ComparePictures(program, editor, IsometricShift(6, 3, 3), {0, 0, 240, 120});
    EXPECT_GT(same.compared, 240u * 120 * 9 / 10);
    EXPECT_EQ(same.differing, 0u) << "largest difference " << same.largest;
}

// Every combination of the flip bits, on a tile layer and on tile objects,
// and tile objects turned by quarter turns, as the editor draws them.
TEST_F(TiledRendererTest, EveryFlipAndQuarterTurnIsDrawnPixelForPixel)
{
    SavePicture("ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tree.png", Striped(30, 50, 1, 9));
    SavePicture("rock.png", Striped(20, 26, 2, 5));
    WriteText("props.tsx", PropsTileset);
    const uint32_t flips[8] = {0,
                               FlippedHorizontally,
                               FlippedVertically,
                               FlippedHorizontally | FlippedVertically,
                               FlippedDiagonally,
                               FlippedDiagonally | FlippedHorizontally,
                               FlippedDiagonally | FlippedVertically,
                               FlippedDiagonally | FlippedHorizontally | FlippedVertically};
    std::vector<uint32_t> props(36, 0);
    std::vector<std::tuple<uint32_t, double, double, std::string>> objects;
    for (int i = 0; i < 8; ++i) {
        props[size_t((i / 3) * 12 + (i % 3) * 2 + 1)] = 3 | flips[i];
        objects.push_back({4 | flips[i], 10.0 + i * 14, 100, ""});
    }
    for (const int degrees : {90, 180, 270, -90, 450}) {
        // x + y even: the object's position is a pixel's corner on the screen.
        objects.push_back({3, 30.0 + objects.size() * 4, 20, " rotation=\"" + std::to_string(degrees) + "\""});
    }
    WriteText("flips.tmx",
              GroundMap(" <tileset firstgid=\"3\" source=\"props.tsx\"/>\n",
                        CsvLayer("props", 6, 6, props) + ObjectLayer("things", " draworder=\"index\"", objects)));
    RgbaImage program, editor;
    DrawBoth("flips.tmx", 6, 6, 1, program, editor);
    const PictureComparison same = ComparePictures(program, editor, 6, 3, 3);
    EXPECT_GT(same.compared, 36u * 400);
    EXPECT_EQ(same.differing, 0u) << "largest difference " << same.largest;
}

// Tile objects turned by any angle: the editor samples the turned picture
// smoothly, as the importer does, so the two come close, and far closer than
// the same objects left unturned.
TEST_F(TiledRendererTest, ObjectsRotatedByAnyAngleComeCloseToTheEditor)
{
    SavePicture("ground.png", Sheet(40, 20, 2, [](int id) { return Diamond(40, 20, Greens[id]); }));
    SavePicture("tree.png", Striped(30, 50, 1, 9));
    SavePicture("rock.png", Striped(20, 26, 2, 5));
    WriteText("props.tsx", PropsTileset);
    const auto map = [this](const std::string& turn) {
        return GroundMap(" <tileset firstgid=\"3\" source=\"props.tsx\"/>\n",
                         ObjectLayer("things", " draworder=\"index\"",
                                     {{3, 30, 40, turn + "30\""},
                                      {4, 60, 50, turn + "-45\""},
                                      {3, 90, 60, turn + "10\""},
                                      {4 | FlippedHorizontally, 70, 100, turn + "200\""}}));
    };
    WriteText("turned.tmx", map(" rotation=\""));
    WriteText("unturned.tmx", map(" name=\""));
    RgbaImage turned, editor, unturned, unused;
    DrawBoth("turned.tmx", 6, 6, 1, turned, editor);
    DrawBoth("unturned.tmx", 6, 6, 1, unturned, unused);
    const PictureComparison close = ComparePictures(turned, editor, 6, 3, 3);
    const PictureComparison wrong = ComparePictures(unturned, editor, 6, 3, 3);
    EXPECT_GE(close.psnr, ScaledPsnr);
    EXPECT_LT(wrong.psnr, ScaledPsnr - 6) << "the objects left unturned";
    std::printf("turned objects: %.1f dB; left unturned %.1f dB\n", close.psnr, wrong.psnr);
}

// --- Pixel-art floors -------------------------------------------------------

// The classic isometric floor tile: a 64 x 32 diamond drawn in rows of whole
// pixels, its top row empty, its tips 4 pixels wide (rows of 4, 8, ... 64,
// then 60, ... 4) or 2 (2, 6, ... 58, 64, 62, ... 6): both cover the plane
// without overlap at the editor's scale.
RgbaImage PixelArtTile(int tip, uint32_t rgb)
{
    return Picture(64, 32, [=](uint32_t x, uint32_t y) {
        const int row = int(y);
        const int width = row == 0    ? 0
                          : tip == 4  ? (row <= 16 ? 4 * row : 4 * (32 - row))
                          : row < 16  ? 4 * row - 2
                          : row == 16 ? 64
                                      : 4 * (32 - row) + 2;
        if (int(x) < 32 - width / 2 || int(x) >= 32 + width / 2) return Transparent;
        // A little texture, as such tiles have.
        return rgb + (((x * 3 + y * 5) % 7) << 8) + ((x ^ y) % 5);
    });
}

// Scaled to the program's grid, such a floor keeps no hole where the
// editor's has none, and comes closer to the editor's picture than the same
// picture one pixel out of place.
TEST_F(TiledRendererTest, PixelArtFloorsHaveNoPinholes)
{
    constexpr int Side = 12;
    for (const int tip : {4, 2}) {
        const std::string name = "tips-" + std::to_string(tip);
        std::string tiles;
        for (int id = 0; id < 4; ++id) {
            SavePicture(name + "-" + std::to_string(id) + ".png", PixelArtTile(tip, Greens[id]));
            tiles += "  <tile id=\"" + std::to_string(id) + "\"><image source=\"" + name + "-" + std::to_string(id) +
                     ".png\"/></tile>\n";
        }
        std::vector<uint32_t> cells(Side * Side);
        for (size_t i = 0; i < cells.size(); ++i) cells[i] = 1 + uint32_t((i * 7 + i / Side * 3) % 4);
        WriteText(name + ".tmx", IsoMap(Side, Side, 64, 32,
                                        " <tileset firstgid=\"1\" name=\"floor\" tilewidth=\"64\" tileheight=\"32\" "
                                        "tilecount=\"4\">\n" +
                                            tiles + " </tileset>\n" + CsvLayer("floor", Side, Side, cells)));
        RgbaImage program, editor;
        DrawBoth(name + ".tmx", Side, Side, 40.0 / 64, program, editor);
        const PictureComparison close = ComparePictures(program, editor, Side, Side / 2, Side / 2);
        const PictureComparison shifted = ComparePictures(program, editor, Side, Side / 2, Side / 2, 1, 0);
        EXPECT_GT(close.compared, size_t(Side * Side) * 390) << name;
        EXPECT_EQ(close.editorPinholes, 0u) << name;
        EXPECT_EQ(close.pinholes, 0u) << name;
        EXPECT_EQ(close.extraPinholes, 0u) << name;
        EXPECT_GE(close.psnr, PixelArtPsnr) << name;
        EXPECT_LT(shifted.psnr, PixelArtPsnr - 1) << name << ": a picture one pixel out of place";
        std::printf("%s: %.1f dB, %zu pinholes (the editor's %zu); one pixel out of place %.1f dB\n", name.c_str(),
                    close.psnr, close.pinholes, close.editorPinholes, shifted.psnr);
    }
}

// The new elements scaled from 64 x 32 tiles: a staggered map with turned
// tiles, a tinted group, a faded image layer repeated across it and tile
// objects turned, all within ScaledPsnr of the editor's picture, which the
// picture one pixel out of place, or without the image layer, is not.
TEST_F(TiledRendererTest, ScaledNewElementsStayCloserToTheEditorThanAnyFaultWould)
{
    constexpr int Columns = 5, Rows = 8, Cells = Columns * Rows;
    SavePicture("ground.png", Sheet(64, 32, 3, [](int id) { return Diamond(64, 32, Greens[id]); }));
    SavePicture("bush.png", SoftDisc(48, 64, 0x336633));
    // Smooth art: a post that darkens towards its foot.
    SavePicture("post.png", Picture(24, 60, [](uint32_t x, uint32_t y) { return 0xC08040 + (x << 16) - (y << 9); }));
    SavePicture("mist.png", SoftDisc(90, 50, 0x8090A0));
    std::vector<uint32_t> ground(Cells), plants(Cells, 0);
    for (int i = 0; i < Cells; ++i) ground[size_t(i)] = 1 + uint32_t(i * 5 % 3);
    plants[6] = 4 | FlippedDiagonally;
    plants[13] = 5 | FlippedDiagonally | FlippedHorizontally;
    plants[22] = 4;
    plants[31] = 5 | FlippedVertically;
    const std::string body =
        " <tileset firstgid=\"1\" name=\"ground\" tilewidth=\"64\" tileheight=\"32\" spacing=\"2\" margin=\"1\" "
        "tilecount=\"3\" columns=\"3\">\n  <image source=\"ground.png\" trans=\"ff00ff\"/>\n </tileset>\n"
        " <tileset firstgid=\"4\" name=\"plants\" tilewidth=\"48\" tileheight=\"64\" tilecount=\"2\">\n"
        "  <tile id=\"0\"><image source=\"bush.png\"/></tile>\n  <tile id=\"1\"><image source=\"post.png\"/></tile>\n"
        " </tileset>\n" +
        CsvLayer("ground", Columns, Rows, ground) + " <group name=\"tinted\" tintcolor=\"#ffd0a0\">\n" +
        CsvLayer("plants", Columns, Rows, plants) + " </group>\n";
    const std::string mist = " <imagelayer name=\"mist\" offsetx=\"20\" offsety=\"10\" opacity=\"0.6\" repeatx=\"1\">\n"
                             "  <image source=\"mist.png\"/>\n </imagelayer>\n";
    const std::string objects =
        ObjectLayer("things", "",
                    {{5, 100, 60, " rotation=\"90\""}, {4, 200, 90, " rotation=\"30\""}, {5, 250, 40, ""}});
    const std::string stagger = " staggeraxis=\"y\" staggerindex=\"odd\"";
    std::string whole = IsoMap(Columns, Rows, 64, 32, body + mist + objects, stagger);
    std::string without = IsoMap(Columns, Rows, 64, 32, body + objects, stagger);
    whole.replace(whole.find("isometric"), 9, "staggered");
    without.replace(without.find("isometric"), 9, "staggered");
    WriteText("scaled.tmx", whole);
    WriteText("without-mist.tmx", without);
    // The lattice: 5 + 8 / 2 columns, 5 + 7 / 2 rows.
    constexpr int Width = 9, Height = 8;
    RgbaImage program, editor, missing, unused;
    DrawBoth("scaled.tmx", Width, Height, 40.0 / 64, program, editor);
    DrawBoth("without-mist.tmx", Width, Height, 40.0 / 64, missing, unused);
    const StaggeredCells cells{false, false, 0, 0, Columns - 1, Rows - 1, 0, 0};
    const PictureShift shift = cells.Shift(64, 32, 40.0 / 64, Height, Width / 2, Height / 2);
    // Within the map's area, (2 x 5 + 1) x 64/2 by (8 + 1) x 32/2, which the
    // repeated picture fills.
    const EditorArea area = {0, 0, 220, 90};
    const PictureComparison good = ComparePictures(program, editor, shift, area);
    const PictureComparison shifted = ComparePictures(program, editor, {shift.x + 1, shift.y}, area);
    const PictureComparison lost = ComparePictures(missing, editor, shift, area);
    EXPECT_GT(good.compared, size_t(Cells) * 400);
    EXPECT_GE(good.psnr, ScaledPsnr);
    EXPECT_EQ(good.extraPinholes, 0u);
    EXPECT_LT(shifted.psnr, ScaledPsnr - 3) << "a picture one pixel out of place";
    EXPECT_LT(lost.psnr, ScaledPsnr - 3) << "the image layer missing";
    std::printf("scaled new elements: %.1f dB; one pixel out of place %.1f dB, the image layer missing %.1f dB\n",
                good.psnr, shifted.psnr, lost.psnr);
}

}  // namespace
