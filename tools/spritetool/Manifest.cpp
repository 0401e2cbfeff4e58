#include "tools/spritetool/Manifest.h"

#include "map/TileProjection.h"
#include "map/Walker.h"
#include "sprite/AnimationName.h"
#include "tools/worldfiles/Files.h"
#include "tools/worldfiles/FrameImage.h"
#include "tools/worldfiles/TextValues.h"
#include "tools/worldfiles/ToolPaths.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>

namespace {

using Words = std::vector<std::string>;

// Splits a line into words separated by white space. "Double quotes" keep
// spaces in a word; a word that starts with '#' and is followed by white space
// or nothing starts a comment ("#FF00FF" is a colour). Returns false, with
// `error` set, for a quote that is not closed.
bool SplitWords(const std::string& line, Words& words, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == '#' && (i + 1 == line.size() || std::isspace(static_cast<unsigned char>(line[i + 1])))) {
            break;
        } else if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                error = "a quote is not closed";
                return false;
            }
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool ParseInteger(const std::string& text, int64_t low, int64_t high, int32_t& value)
{
    int64_t parsed = 0;
    if (!ParseWholeNumber(text, low, high, parsed)) return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

// Parses a frame range, "3-7" or a single "3". Returns false for anything
// else, for numbers out of range, and for a range that runs backwards.
bool ParseRange(const std::string& text, int32_t& first, int32_t& last)
{
    const size_t dash = text.find('-', 1);
    if (dash == std::string::npos) {
        if (!ParseInteger(text, -100000, 100000, first)) return false;
        last = first;
        return true;
    }
    return ParseInteger(text.substr(0, dash), -100000, 100000, first) &&
           ParseInteger(text.substr(dash + 1), -100000, 100000, last) && first <= last;
}

// Parses a colour written "FF00FF", "#FF00FF" or "0xFF00FF". Returns false
// for anything else.
bool ParseColour(const std::string& text, uint32_t& rgb)
{
    std::string hex = text;
    if (!hex.empty() && hex[0] == '#') hex = hex.substr(1);
    else if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex = hex.substr(2);
    return ParseRgbDigits(hex, rgb);
}

std::string Replace(std::string text, const std::string& placeholder, int32_t value)
{
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at)) {
        text.replace(at, placeholder.size(), std::to_string(value));
    }
    return text;
}

class ManifestReader {
public:
    ManifestReader(const std::string& folderName, const std::string& manifestName)
        : folder(folderName), name(manifestName)
    {
    }

    ManifestResult Read(const std::string& text)
    {
        std::istringstream lines(text);
        std::string line;
        // The first mistake ends the reading: what follows it would often
        // fail only because of it.
        while (result.errors.empty() && std::getline(lines, line)) {
            ++lineNumber;
            Words words;
            std::string error;
            if (!SplitWords(line, words, error)) Error(error);
            else if (!words.empty()) Statement(words);
        }
        if (!result.errors.empty()) return std::move(result);
        if (result.sprite.animations.empty()) Error("the manifest names no animation");
        ApplySteps();
        for (size_t i : emptyAnimations) {
            const AnimationSource& animation = result.sprite.animations[i];
            result.warnings.push_back(name + ": animation " + animation.name + " direction " +
                                      std::to_string(animation.direction) + " has no frames");
        }
        return std::move(result);
    }

private:
    void Error(const std::string& message)
    {
        result.errors.push_back(name + ":" + std::to_string(lineNumber) + ": " + message);
    }

    void Warning(const std::string& message)
    {
        result.warnings.push_back(name + ":" + std::to_string(lineNumber) + ": " + message);
    }

    bool InAnimation() const { return !current.empty(); }

    void Statement(const Words& words)
    {
        const std::string& word = words[0];
        if (word == "id") SpriteId(words);
        else if (word == "format") Format(words);
        else if (word == "animation") StartAnimation(words);
        else if (word == "frame") FrameLine(words);
        else if (word == "frames") FramesLine(words);
        else if (word == "sheet") SheetLine(words);
        else if (word == "step") StepLine(words);
        else if (IsSetting(word)) Setting(words);
        else Error("unknown word '" + word + "'");
    }

    void SpriteId(const Words& words)
    {
        if (words.size() != 2 || !ParseInteger(words[1], -2147483647L - 1, 2147483647L, result.sprite.id)) {
            Error("id takes one whole number");
        }
    }

    void Format(const Words& words)
    {
        if (framesWritten) return Error("format must come before the first frame");
        if (words.size() == 2 && (words[1] == "565" || words[1] == "0")) result.sprite.pixelFormat = 0;
        else if (words.size() == 2 && (words[1] == "888" || words[1] == "1")) result.sprite.pixelFormat = 1;
        else Error("format is 565 or 888");
    }

    // ---- settings: before the first animation they are the file's defaults,
    // inside one they hold until the next animation.

    static bool IsSetting(const std::string& word)
    {
        return word == "duration" || word == "anchor" || word == "offset" || word == "key" || word == "transparency";
    }

    void Setting(const Words& words)
    {
        const std::string error = ApplySetting(words[0], Words(words.begin() + 1, words.end()), settings);
        if (!error.empty()) return Error(error);
        if (!InAnimation()) defaults = settings;
    }

    // Empty when the values fit the setting, else what is wrong.
    static std::string ApplySetting(const std::string& setting, const Words& values, FrameSettings& into)
    {
        if (setting == "duration") {
            if (values.size() == 1 && ParseInteger(values[0], 0, 2147483647L, into.duration)) return "";
            return "duration takes milliseconds, a whole number of 0 or more";
        }
        if (setting == "anchor") {
            if (values.size() == 1 && values[0] == "center") into.anchorMode = AnchorMode::Center;
            else if (values.size() == 1 && values[0] == "bottom") into.anchorMode = AnchorMode::Bottom;
            else if (values.size() == 2 && ParseInteger(values[0], -32768, 32767, into.anchorX) &&
                     ParseInteger(values[1], -32768, 32767, into.anchorY))
                into.anchorMode = AnchorMode::Point;
            else return "anchor takes x and y, or center, or bottom";
            return "";
        }
        if (setting == "offset") {
            if (values.size() == 2 && ParseInteger(values[0], -32768, 32767, into.offsetX) &&
                ParseInteger(values[1], -32768, 32767, into.offsetY))
                return "";
            return "offset takes x and y";
        }
        if (setting == "key") {
            if (values.size() == 1 && ParseColour(values[0], into.colorKey)) return "";
            return "key takes a colour such as #FF00FF";
        }
        if (setting == "transparency") {
            static const std::map<std::string, Transparency> modes = {{"auto", Transparency::Auto},
                                                                      {"alpha", Transparency::Alpha},
                                                                      {"key", Transparency::Key},
                                                                      {"opaque", Transparency::Opaque}};
            const auto mode = values.size() == 1 ? modes.find(values[0]) : modes.end();
            if (mode == modes.end()) return "transparency is auto, alpha, key or opaque";
            into.transparency = mode->second;
            return "";
        }
        return "unknown setting '" + setting + "'";
    }

    // name=value words at the end of a frame line change that line only.
    bool LineSettings(const Words& words, size_t first, FrameSettings& line)
    {
        line = settings;
        for (size_t i = first; i < words.size(); ++i) {
            const size_t equals = words[i].find('=');
            if (equals == std::string::npos) {
                Error("unexpected '" + words[i] + "' (a setting for one line is written name=value)");
                return false;
            }
            Words values;
            std::string rest = words[i].substr(equals + 1);
            for (size_t comma; (comma = rest.find(',')) != std::string::npos; rest = rest.substr(comma + 1)) {
                values.push_back(rest.substr(0, comma));
            }
            values.push_back(rest);
            const std::string error = ApplySetting(words[i].substr(0, equals), values, line);
            if (!error.empty()) {
                Error(error);
                return false;
            }
        }
        return true;
    }

    // ---- animations and their frames

    void StartAnimation(const Words& words)
    {
        settings = defaults;
        current.clear();
        int32_t first = 0, last = 0;
        const bool plain = words.size() == 2;
        const bool one = words.size() == 4 && words[2] == "direction" &&
                         ParseInteger(words[3], -2147483647L - 1, 2147483647L, first);
        const bool several = words.size() == 4 && words[2] == "directions" && ParseRange(words[3], first, last);
        if (!plain && !one && !several) {
            return Error("write: animation NAME, animation NAME direction D, or animation NAME directions A-B");
        }
        if (words[1].empty() || words[1].size() > MaxAnimationNameLength) {
            return Error("an animation name has 1 to " + std::to_string(MaxAnimationNameLength) + " characters");
        }
        if (one) last = first;
        for (int32_t direction = first; direction <= last; ++direction) {
            for (const AnimationSource& existing : result.sprite.animations) {
                if (existing.name == words[1] && existing.direction == direction) {
                    Warning("animation " + words[1] + " direction " + std::to_string(direction) +
                            " comes twice; only the first can be found");
                }
            }
            current.push_back(result.sprite.animations.size());
            emptyAnimations.push_back(result.sprite.animations.size());
            result.sprite.animations.push_back({words[1], direction, {}});
        }
    }

    const RgbaImage* LoadImage(const std::string& file)
    {
        const std::string path = folder.empty() || file[0] == '/' ? file : folder + "/" + file;
        auto cached = images.find(path);
        if (cached == images.end()) {
            std::string error;
            RgbaImage loaded;
            if (!LoadPng(path, loaded, error)) {
                Error(error);
                return nullptr;
            }
            cached = images.emplace(path, std::move(loaded)).first;
        }
        return &cached->second;
    }

    void AddFrame(size_t animation, const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                  const FrameSettings& line)
    {
        if (width == 0 || height == 0 || width > 65535 || height > 65535) {
            return Error("a frame is 1 to 65535 pixels wide and high");
        }
        std::vector<std::string> notes;
        result.sprite.animations[animation].frames.push_back(
            MakeFrame(image, x, y, width, height, line, result.sprite.pixelFormat, notes));
        for (const std::string& note : notes) Warning(note);
        framesWritten = true;
        emptyAnimations.erase(std::remove(emptyAnimations.begin(), emptyAnimations.end(), animation),
                              emptyAnimations.end());
    }

    // frame FILE [name=value ...]; "{d}" in FILE is the direction.
    void FrameLine(const Words& words)
    {
        FrameSettings line;
        if (!InAnimation()) return Error("frame comes after an animation line");
        if (words.size() < 2) return Error("frame takes a PNG file");
        if (!LineSettings(words, 2, line)) return;
        for (size_t animation : current) {
            const int32_t direction = result.sprite.animations[animation].direction;
            const RgbaImage* image = LoadImage(Replace(words[1], "{d}", direction));
            if (!image) return;
            AddFrame(animation, *image, 0, 0, image->width, image->height, line);
        }
    }

    // frames PATTERN A-B [name=value ...]; "{f}" is the frame number, "{d}" the direction.
    void FramesLine(const Words& words)
    {
        FrameSettings line;
        int32_t first = 0, last = 0;
        if (!InAnimation()) return Error("frames comes after an animation line");
        if (words.size() < 3 || !ParseRange(words[2], first, last))
            return Error("frames takes a file pattern with {f} and a range such as 0-7");
        if (words[1].find("{f}") == std::string::npos) return Error("the file pattern of frames needs {f}");
        if (!LineSettings(words, 3, line)) return;
        for (size_t animation : current) {
            const int32_t direction = result.sprite.animations[animation].direction;
            for (int32_t f = first; f <= last; ++f) {
                const RgbaImage* image = LoadImage(Replace(Replace(words[1], "{f}", f), "{d}", direction));
                if (!image) return;
                AddFrame(animation, *image, 0, 0, image->width, image->height, line);
            }
        }
    }

    // sheet FILE WxH [row R] [columns A-B] [name=value ...]: cells left to
    // right; each further direction of the animation takes the next row.
    void SheetLine(const Words& words)
    {
        if (!InAnimation()) return Error("sheet comes after an animation line");
        int32_t cellWidth = 0, cellHeight = 0;
        const size_t x = words.size() >= 3 ? words[2].find('x') : std::string::npos;
        if (x == std::string::npos || !ParseInteger(words[2].substr(0, x), 1, 65535, cellWidth) ||
            !ParseInteger(words[2].substr(x + 1), 1, 65535, cellHeight)) {
            return Error("sheet takes a PNG file and a cell size such as 64x32");
        }
        int32_t row = 0, firstColumn = 0, lastColumn = -1;
        size_t next = 3;
        while (next + 1 < words.size() && (words[next] == "row" || words[next] == "columns")) {
            const bool ok = words[next] == "row"
                                ? ParseInteger(words[next + 1], 0, 65535, row)
                                : ParseRange(words[next + 1], firstColumn, lastColumn) && firstColumn >= 0;
            if (!ok) return Error("row takes a number from 0, columns a range such as 0-5");
            next += 2;
        }
        FrameSettings line;
        if (!LineSettings(words, next, line)) return;

        const RgbaImage* image = LoadImage(words[1]);
        if (!image) return;
        const int32_t columns = int32_t(image->width) / cellWidth;
        const int32_t rows = int32_t(image->height) / cellHeight;
        if (lastColumn < 0) lastColumn = columns - 1;
        if (columns == 0 || lastColumn >= columns || row + int32_t(current.size()) > rows) {
            return Error("the sheet has " + std::to_string(columns) + " columns and " + std::to_string(rows) +
                         " rows of " + words[2] + " cells");
        }
        // Cells that do not divide the picture would cut frames short or
        // leave a strip of it out: the size is wrong, or the picture.
        const bool wide = image->width % uint32_t(cellWidth) != 0, high = image->height % uint32_t(cellHeight) != 0;
        if (wide || high) {
            return Error(
                "the sheet " + words[1] + " is " + std::to_string(image->width) + " x " +
                std::to_string(image->height) + " pixels, which " + words[2] + " cells do not divide: its " +
                (wide ? "width " + std::to_string(image->width) + " is not a multiple of " + std::to_string(cellWidth)
                      : "height " + std::to_string(image->height) + " is not a multiple of " +
                            std::to_string(cellHeight)));
        }
        for (size_t k = 0; k < current.size(); ++k) {
            for (int32_t column = firstColumn; column <= lastColumn; ++column) {
                AddFrame(current[k], *image, uint32_t(column * cellWidth), uint32_t((row + int32_t(k)) * cellHeight),
                         uint32_t(cellWidth), uint32_t(cellHeight), line);
            }
        }
    }

    // step MS: the animations of the last animation line carry a walker one
    // cell in their direction over their frames, in MS milliseconds as the
    // walker plays them. Applied once all their frames are known.
    void StepLine(const Words& words)
    {
        if (!InAnimation()) return Error("step comes after an animation line");
        int32_t milliseconds = 0;
        if (words.size() != 2 || !ParseInteger(words[1], 1, 100000000, milliseconds)) {
            return Error("step takes the milliseconds a step lasts, a whole number from 1");
        }
        for (size_t animation : current) {
            const int32_t direction = result.sprite.animations[animation].direction;
            if (direction < 0 || direction > 7) {
                return Error("a step goes in a walker's direction, 0 to 7, not " + std::to_string(direction));
            }
            steps[animation] = {milliseconds, lineNumber};
        }
    }

    // Frame i of n stands i/n of the way to the next cell, rounded half away
    // from zero, and the frames share the step's time, stored as the walker's
    // speed makes it last that long.
    void ApplySteps()
    {
        for (const auto& [index, step] : steps) {
            AnimationSource& animation = result.sprite.animations[index];
            const int64_t frames = int64_t(animation.frames.size());
            if (frames == 0) continue;  // warned as an animation without frames
            const ScreenPoint cell = TileToScreen({0, 0}, int16_t(DirectionDX[animation.direction]),
                                                  int16_t(DirectionDY[animation.direction]));
            const int64_t stored = std::llround(double(step.milliseconds) * WalkerSpeed);
            if (stored > 2147483647LL) {
                lineNumber = step.line;
                return Error("a step of " + std::to_string(step.milliseconds) + " ms is too long to store");
            }
            for (int64_t i = 0; i < frames; ++i) {
                FrameSource& frame = animation.frames[size_t(i)];
                frame.offsetX = int16_t(std::lround(double(cell.x) * double(i) / double(frames)));
                frame.offsetY = int16_t(std::lround(double(cell.y) * double(i) / double(frames)));
                frame.duration = int32_t(stored * (i + 1) / frames - stored * i / frames);
            }
        }
    }

    struct Step {
        int32_t milliseconds = 0;
        int line = 0;
    };

    std::string folder;
    std::string name;
    int lineNumber = 0;
    std::map<size_t, Step> steps;  // by animation
    ManifestResult result;
    FrameSettings defaults;
    FrameSettings settings;
    std::vector<size_t> current;  // the animations the frame lines fill
    std::vector<size_t> emptyAnimations;
    bool framesWritten = false;
    std::map<std::string, RgbaImage> images;
};

}  // namespace

ManifestResult ParseManifest(const std::string& text, const std::string& folder, const std::string& name)
{
    return ManifestReader(folder, name).Read(text);
}

ManifestResult ReadManifest(const std::string& path)
{
    std::vector<uint8_t> text;
    FileFault fault;
    if (!ReadFileWithin(path, MaxTextFileBytes, text, fault)) {
        ManifestResult result;
        result.errors.push_back(path + ": " + WhyUnreadable(path, fault));
        return result;
    }
    const size_t slash = path.find_last_of('/');
    return ParseManifest(std::string(text.begin(), text.end()), slash == std::string::npos ? "" : path.substr(0, slash),
                         path);
}
