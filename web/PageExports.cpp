// What the page's script calls: open a world laid out in the module's file
// system, run one pass of the frame loop, hand over the frame and the texts
// to show, and name the keys the walkers are steered with. Every call
// returns at once; the script drives the loop, one pass per animation frame
// of the browser, or one per call when a test holds the clock.
#include "base/PixelFormats.h"
#include "map/ErrorBox.h"
#include "web/PageErrLog.h"
#include "web/PageWorld.h"
#include "world/FrameLayout.h"
#include "world/SceneSteps.h"
#include "world/WorldCheck.h"

#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

static_assert(sizeof(PageView) == 8 * sizeof(int32_t), "page_view hands the view over as eight numbers");

std::unique_ptr<PageWorld> world;
uint8_t keysDown[256];
uint8_t rgba[FrameWidth * FrameHeight * 4];
char message[512];
char rateText[256];

bool clockHeld = false;
uint32_t heldTick = 0;

uint32_t PageTick()
{
    if (clockHeld) return heldTick;
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

void KeepBoxText(const char* text, const char*)
{
    std::snprintf(message, sizeof message, "%s", text);
}

// 0x00RRGGBB words to the canvas's red, green, blue, alpha bytes.
void CopyFrameToRgba()
{
    const std::vector<uint32_t>& frame = world->Frame();
    uint8_t* out = rgba;
    for (const uint32_t pixel : frame) {
        StoreRgbBytes(out, pixel);
        out[3] = 255;
        out += 4;
    }
}

}  // namespace

extern "C" {

// Opens the world in `folder` and draws nothing yet. Returns 1 when it runs;
// 0 when it cannot start, with the map loader's message, if it showed one,
// in page_message (empty otherwise).
EMSCRIPTEN_KEEPALIVE int page_open(const char* folder)
{
    world.reset();
    ClearPageErrLog();
    message[0] = '\0';
    SetErrorBoxHandler(KeepBoxText);
    if (chdir(folder) != 0) return 0;
    world = std::make_unique<PageWorld>();
    if (world->Start()) return 1;
    world.reset();
    return 0;
}

// What the world check (world/WorldCheck.h) finds in the world laid out in
// `folder`: one finding a line, its file named relative to the folder, a
// note starting with "note: ", as maptool check says them. Empty when it
// finds nothing. The script shows them while the world opens and runs.
EMSCRIPTEN_KEEPALIVE const char* page_check(const char* folder)
{
    static std::string text;
    text.clear();
    for (const WorldFinding& finding : CheckWorldFolder(folder)) text += FormatFinding(finding) + "\n";
    return text.c_str();
}

// The key states the pass polls, one byte per virtual-key code; the script
// writes them as keys go down and up.
EMSCRIPTEN_KEEPALIVE uint8_t* page_keys()
{
    return keysDown;
}

// One pass. With `holdClock` non-zero both clock readings of the pass are
// `tick`, otherwise the browser's millisecond clock. Returns 1 while the
// world runs; 0 once it has stopped, after ErrLog, whose line is then in
// page_message; the frame of that pass is not shown.
EMSCRIPTEN_KEEPALIVE int page_pass(int holdClock, uint32_t tick)
{
    if (!world) return 0;
    clockHeld = holdClock != 0;
    heldTick = tick;
    world->Pass(keysDown, PageTick);
    if (const char* line = PageErrLogLine()) {
        std::snprintf(message, sizeof message, "%s", line);
        world.reset();
        return 0;
    }
    CopyFrameToRgba();
    std::snprintf(rateText, sizeof rateText, "%s", world->RateText());
    return 1;
}

// The virtual-key codes that page_keys is read at, in the order they are
// polled, ending with a 0: the script keeps those keys from the browser.
EMSCRIPTEN_KEEPALIVE const uint8_t* page_polled_keys()
{
    static uint8_t codes[std::size(KeyBindings) + 1];
    for (size_t i = 0; i < std::size(KeyBindings); ++i) codes[i] = KeyBindings[i].virtualKey;
    return codes;
}

EMSCRIPTEN_KEEPALIVE const uint8_t* page_frame()
{
    return rgba;
}

EMSCRIPTEN_KEEPALIVE const char* page_rate_text()
{
    return rateText;
}

EMSCRIPTEN_KEEPALIVE const char* page_message()
{
    return message;
}

// The view of the running world (PageView's eight numbers in order), or
// null when no world runs.
EMSCRIPTEN_KEEPALIVE const int32_t* page_view()
{
    static int32_t numbers[8];
    if (!world) return nullptr;
    const PageView view = world->View();
    std::memcpy(numbers, &view, sizeof view);
    return numbers;
}

// Puts the running world's view where `numbers` (eight, as page_view gives
// them) says, as far as the map allows.
EMSCRIPTEN_KEEPALIVE void page_restore_view(const int32_t* numbers)
{
    if (!world) return;
    PageView view;
    std::memcpy(&view, numbers, sizeof view);
    world->RestoreView(view);
}

// Mean microseconds of `repetitions` frames drawn as a pass draws them
// (clear, then DrawMap), with the walkers and the camera where they are.
// 0 when no world runs.
EMSCRIPTEN_KEEPALIVE double page_measure_frame(int repetitions)
{
    if (!world || repetitions <= 0) return 0.0;
    const double start = emscripten_get_now();
    for (int i = 0; i < repetitions; ++i) world->DrawFrame();
    return (emscripten_get_now() - start) * 1000.0 / repetitions;
}

}  // extern "C"
