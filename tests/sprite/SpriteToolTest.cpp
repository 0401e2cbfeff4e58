#include "SpriteFixtures.h"

#include "sprite/FrameBlit.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/spritetool/Manifest.h"
#include "tools/worldfiles/PngImage.h"
#include "tools/spritetool/SpriteContents.h"

#include <cstdlib>
#include <sstream>

namespace {

constexpr uint32_t Magenta = 0xFF00FF;

// An image whose pixel (x, y) has red 8x, green 4y + 64, blue 200, opaque.
RgbaImage Gradient(uint32_t width, uint32_t height)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            image.rgba.insert(image.rgba.end(), {uint8_t(8 * x), uint8_t(4 * y + 64), 200, 255});
        }
    }
    return image;
}

void SetPixel(RgbaImage& image, uint32_t x, uint32_t y, uint32_t rgb, uint8_t alpha)
{
    uint8_t* pixel = &image.rgba[(size_t(y) * image.width + x) * 4];
    pixel[0] = uint8_t(rgb >> 16);
    pixel[1] = uint8_t(rgb >> 8);
    pixel[2] = uint8_t(rgb);
    pixel[3] = alpha;
}

class SpriteToolTest : public InScratchDirectory {
protected:
    void SavePicture(const std::string& path, const RgbaImage& image)
    {
        std::string error;
        ASSERT_TRUE(SavePng(path, image, error)) << error;
    }

    ManifestResult Build(const std::string& text)
    {
        WriteText("sprite.txt", text);
        return ReadManifest("sprite.txt");
    }
};

TEST_F(SpriteToolTest, FramesComeFromPicturesSheetsAndPatterns)
{
    std::filesystem::create_directory("art");
    SavePicture("art/walker.png", Gradient(12, 6));  // 3 columns x 3 rows of 4 x 2 cells
    SavePicture("art/tree.png", Gradient(5, 7));
    SavePicture("art/grass-0.png", Gradient(2, 1));
    SavePicture("art/grass-1.png", Gradient(3, 1));
    const ManifestResult result = Build("# the demo walker\n"
                                        "id 42\n"
                                        "duration 80   # for every frame\n"
                                        "anchor bottom\n"
                                        "animation walk directions 3-4\n"
                                        "  duration 50\n"
                                        "  sheet art/walker.png 4x2 row 1 columns 1-2 offset=0,-3\n"
                                        "animation tree\n"
                                        "  frame art/tree.png anchor=center duration=500\n"
                                        "animation grass direction 2\n"
                                        "  anchor 1 0\n"
                                        "  frames art/grass-{f}.png 0-1\n");
    ASSERT_TRUE(result.errors.empty()) << result.errors.front();
    const SpriteSource& sprite = result.sprite;
    EXPECT_EQ(sprite.id, 42);
    EXPECT_EQ(sprite.pixelFormat, 1);
    ASSERT_EQ(sprite.animations.size(), 4u);

    const RgbaImage sheet = Gradient(12, 6);
    for (int k = 0; k < 2; ++k) {
        const AnimationSource& walk = sprite.animations[k];
        EXPECT_EQ(walk.name, "walk");
        EXPECT_EQ(walk.direction, 3 + k);
        ASSERT_EQ(walk.frames.size(), 2u);
        for (int column = 0; column < 2; ++column) {
            const FrameSource& frame = walk.frames[column];
            EXPECT_EQ(frame.width, 4);
            EXPECT_EQ(frame.height, 2);
            EXPECT_EQ(frame.duration, 50);
            EXPECT_EQ(frame.anchorX, 2);
            EXPECT_EQ(frame.anchorY, 1);
            EXPECT_EQ(frame.offsetY, -3);
            // Direction k takes row 1 + k; columns 1 and 2.
            EXPECT_EQ(frame.pixels[0], sheet.Rgb(4 * (1 + column), 2 * (1 + k)));
            EXPECT_EQ(frame.pixels[7], sheet.Rgb(4 * (1 + column) + 3, 2 * (1 + k) + 1));
        }
    }
    const FrameSource& tree = sprite.animations[2].frames.at(0);
    EXPECT_EQ(tree.duration, 500);
    EXPECT_EQ(tree.anchorX, 2);
    EXPECT_EQ(tree.anchorY, 3);
    EXPECT_EQ(tree.offsetY, 0);  // a line's own settings end with the line

    const AnimationSource& grass = sprite.animations[3];
    EXPECT_EQ(grass.direction, 2);
    ASSERT_EQ(grass.frames.size(), 2u);
    EXPECT_EQ(grass.frames[1].width, 3);
    EXPECT_EQ(grass.frames[0].duration, 80);  // the file's default again after walk's own
    EXPECT_EQ(grass.frames[0].anchorX, 1);
    EXPECT_EQ(grass.frames[0].anchorY, 0);
}

TEST_F(SpriteToolTest, TransparencyFollowsThePicture)
{
    RgbaImage opaque = Gradient(4, 4);
    RgbaImage cutOut = opaque;
    SetPixel(cutOut, 1, 1, 0x123456, 0);
    RgbaImage soft = opaque;
    SetPixel(soft, 2, 2, 0x123456, 100);
    RgbaImage keyBackground = opaque;
    SetPixel(keyBackground, 0, 0, Magenta, 255);

    FrameSettings settings;
    std::vector<std::string> warnings;
    const FrameSource plain = MakeFrame(opaque, 0, 0, 4, 4, settings, 1, warnings);
    EXPECT_EQ(plain.flags, 1);
    EXPECT_TRUE(plain.alphaMask.empty());
    const FrameSource keyed = MakeFrame(cutOut, 0, 0, 4, 4, settings, 1, warnings);
    EXPECT_EQ(keyed.flags, 0);
    EXPECT_TRUE(keyed.alphaMask.empty());
    EXPECT_EQ(keyed.pixels[5], Magenta);
    const FrameSource blended = MakeFrame(soft, 0, 0, 4, 4, settings, 1, warnings);
    ASSERT_EQ(blended.alphaMask.size(), 16u);
    EXPECT_EQ(blended.alphaMask[10], 100);
    EXPECT_EQ(blended.alphaMask[0], 255);
    EXPECT_EQ(blended.pixels[10], 0x123456u);
    const FrameSource background = MakeFrame(keyBackground, 0, 0, 4, 4, settings, 1, warnings);
    EXPECT_EQ(background.flags, 0);
    EXPECT_TRUE(warnings.empty());

    settings.transparency = Transparency::Opaque;
    EXPECT_EQ(MakeFrame(cutOut, 0, 0, 4, 4, settings, 1, warnings).flags, 1);
    settings.transparency = Transparency::Alpha;
    EXPECT_EQ(MakeFrame(opaque, 0, 0, 4, 4, settings, 1, warnings).alphaMask.size(), 16u);

    // Cut-out pixels and visible key-coloured ones in one picture: a mistake.
    RgbaImage both = cutOut;
    SetPixel(both, 3, 3, Magenta, 255);
    settings.transparency = Transparency::Key;
    MakeFrame(both, 0, 0, 4, 4, settings, 1, warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("1 visible pixels have the key colour"), std::string::npos);
}

TEST_F(SpriteToolTest, A565KeyStillMatchesItsPixelsOnceLoaded)
{
    RgbaImage picture = Gradient(4, 2);
    SetPixel(picture, 1, 0, 0, 0);
    SavePicture("cut.png", picture);
    const ManifestResult result = Build("format 565\nkey #FF10FF\nanimation a\nframe cut.png\n");
    ASSERT_TRUE(result.errors.empty()) << result.errors.front();
    const FrameSource& built = result.sprite.animations[0].frames[0];
    EXPECT_EQ(built.colorKey, 0xF810F8u);

    Sprite sprite = {};
    ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(result.sprite), 32));
    const SpriteFrame& frame = sprite.animations[0].frames[0];
    uint32_t cleared;
    std::memcpy(&cleared, frame.pixels + 4, 4);
    EXPECT_EQ(cleared, DisplayColorKey(frame.colorKey, 32));
    sprite.FreeSprite();
}

TEST_F(SpriteToolTest, MistakesNameTheirLine)
{
    SavePicture("small.png", Gradient(4, 4));
    SavePicture("wide.png", Gradient(MaxPictureSide + 1, 1));
    const struct {
        const char* manifest;
        const char* error;
    } cases[] = {
        {"animation a\nframez small.png\n", "sprite.txt:2: unknown word 'framez'"},
        {"frame small.png\n", "sprite.txt:1: frame comes after an animation line"},
        {"animation a\nframe missing.png\n", "sprite.txt:2: cannot read the PNG picture \"missing.png\""},
        {"animation a\nframe wide.png\n", "sprite.txt:2: the picture \"wide.png\" is larger than 16384 pixels a side"},
        {"duration soon\nanimation a\nframe small.png\n", "sprite.txt:1: duration takes milliseconds"},
        {"animation a\nframe small.png duration=-5\n", "sprite.txt:2: duration takes milliseconds"},
        {"animation a\nsheet small.png 3x3 row 1\n", "sprite.txt:2: the sheet has 1 columns and 1 rows"},
        {"animation a\nsheet small.png 5x1\n", "sprite.txt:2: the sheet has 0 columns"},
        {"animation a\nframe small.png\nformat 565\n", "sprite.txt:3: format must come before the first frame"},
        {"animation a-name-that-is-longer-than-32-chars\n", "sprite.txt:1: an animation name has 1 to 32"},
        {"animation a directions 5-2\n", "sprite.txt:1: write: animation NAME"},
        {"key magenta\n", "sprite.txt:1: key takes a colour"},
        {"animation a\nframe \"small.png\n", "sprite.txt:2: a quote is not closed"},
        {"animation a\nframes small-{f}.png 0\n", "sprite.txt:2: cannot read the PNG picture \"small-0.png\""},
        {"# nothing\n", "sprite.txt:1: the manifest names no animation"},
    };
    for (const auto& c : cases) {
        const ManifestResult result = Build(c.manifest);
        ASSERT_FALSE(result.errors.empty()) << c.manifest;
        EXPECT_EQ(result.errors[0].rfind(c.error, 0), 0u) << "got: " << result.errors[0] << "\nwanted: " << c.error;
    }
}

TEST_F(SpriteToolTest, BuiltFilesLoadWithTheirPicturesPixels)
{
    RgbaImage picture = Gradient(6, 3);
    SetPixel(picture, 2, 1, 0x808080, 64);
    SavePicture("soft.png", picture);
    for (uint8_t format : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "format " << int(format));
        const ManifestResult result =
            Build(std::string("format ") + (format ? "888" : "565") + "\nanimation a\nframe soft.png\n");
        ASSERT_TRUE(result.errors.empty());
        Sprite sprite = {};
        ASSERT_TRUE(ReadFromMemory(sprite, EncodeSpriteFile(result.sprite), 32));
        const SpriteFrame& frame = sprite.animations[0].frames[0];
        ASSERT_EQ(frame.alphaMaskSize, 18);
        for (uint32_t i = 0; i < 18; ++i) {
            uint32_t loaded;
            std::memcpy(&loaded, frame.pixels + 4 * i, 4);
            EXPECT_EQ(loaded, StoredColour(picture.Rgb(i % 6, i / 6), format)) << i;
            EXPECT_EQ(frame.alphaMask[i], picture.Pixel(i % 6, i / 6)[3]) << i;
        }
        sprite.FreeSprite();
    }
}

// The command line: build, print, unpack, and build again from what unpack wrote.
TEST_F(SpriteToolTest, TheToolRoundTrips)
{
    RgbaImage cut = Gradient(8, 4);
    SetPixel(cut, 0, 0, 0, 0);
    RgbaImage soft = Gradient(8, 4);
    SetPixel(soft, 7, 3, 0x102030, 7);
    SavePicture("sheet.png", Gradient(16, 8));
    SavePicture("cut.png", cut);
    SavePicture("soft.png", soft);
    WriteText("walker.txt", "id 9\nformat 565\nanchor bottom\n"
                            "animation walk directions 0-1\nsheet sheet.png 8x4 duration=70\n"
                            "animation \"two words\"\nframe cut.png offset=3,-4\nframe soft.png\n");
    const std::string tool = SPRITETOOL;
    ASSERT_EQ(std::system((tool + " build walker.txt walker.spr > built.txt").c_str()), 0);
    EXPECT_EQ(ReadText("built.txt"), "walker.spr: 3 animations, 6 frames, " +
                                         std::to_string(std::filesystem::file_size("walker.spr")) + " bytes\n");

    ASSERT_EQ(std::system((tool + " print walker.spr > printed.txt").c_str()), 0);
    const std::string printed = ReadText("printed.txt");
    for (const char* line :
         {"sprite id 9, stored format 0 (5-6-5), reserved 0, 3 animations\n",
          "animation \"walk\" direction 1: 2 frames\n",
          "  frame 1: 8x4, 70 ms, anchor 4,3, offset 0,0, key #F800F8, flags 1, opaque, mask 0 bytes, extra 0 bytes\n",
          "animation \"two words\" direction 0: 2 frames\n",
          "  frame 0: 8x4, 100 ms, anchor 4,3, offset 3,-4, key #F800F8, flags 0, key,",
          "  frame 1: 8x4, 100 ms, anchor 4,3, offset 0,0, key #F800F8, flags 0, alpha, mask 32 bytes"}) {
        EXPECT_NE(printed.find(line), std::string::npos) << line << "\nin:\n" << printed;
    }

    ASSERT_EQ(std::system((tool + " unpack walker.spr unpacked > unpacked.txt 2>&1").c_str()), 0);
    ASSERT_EQ(std::system((tool + " build unpacked/sprite.txt again.spr > /dev/null").c_str()), 0);
    EXPECT_EQ(ReadText("again.spr"), ReadText("walker.spr"));

    EXPECT_NE(std::system((tool + " print walker.txt > /dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((tool + " build missing.txt out.spr > /dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((tool + " > /dev/null 2>&1").c_str()), 0);
}

TEST_F(SpriteToolTest, PrintNamesWhereADamagedFileBreaks)
{
    std::vector<uint8_t> bytes = EncodeSpriteFile(OneFrameSprite(PatternFrame(2, 2)));
    bytes.resize(bytes.size() - 3);
    ASSERT_TRUE(WriteFileBytes("damaged.spr", bytes));
    Sprite sprite = {};
    std::string error;
    EXPECT_FALSE(ReadSpriteFile("damaged.spr", sprite, error));
    EXPECT_EQ(error, "damaged.spr: damaged: the layout breaks at or before byte " + std::to_string(bytes.size() - 1) +
                         " of " + std::to_string(bytes.size()));
}

}  // namespace
