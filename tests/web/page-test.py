#!/usr/bin/python3
"""page-test.py <scenario> <page folder> <host build> <scratch folder>

The page (build/web/page) in headless chromium, served from 127.0.0.1, held
to the native code pixel for pixel outside the frame-rate text, with both
modules: the SSE2 kernels as WebAssembly SIMD, and the reference kernels.

  demo     after load the demo world equals the native first pass
           (page-passes); the page's screenshot is kept as page.png
  worlds   worlds the test makes (both stored pixel formats; blended, keyed and
           opaque frames; a missing and an unlisted sprite; objects across
           every edge), opened as a folder, as files and as a zip, each equal to maptool
           render of the same folder after load
  walkers  the demo world with the clock held by the test: a step of Walker1
           under Right and of Walker2 under D, frame for frame as page-passes
           draws the same passes; and with an invisible walker, the view of
           every pass of a step equal to maptool render at the camera the
           program's rule gives
  faults   a map one byte short shows "Wrong map file.", a sprite with a
           wrong magic stops the world with the program's ErrLog line, a
           world without "SpriteList.txt" and a damaged zip say so; a good
           world opened after each of them shows

Pictures that differ are kept in the scratch folder.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import numpy
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, PageServer  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
RATE_BOX = (48, 48, 170, 80)  # the frame-rate text's corner, both ends included
KERNELS = ("simd", "plain")
WRONG_SPRITE_MAGIC = "LoadSprite(SPRITE_ID wrong) failed."
KEY_CODES = {"Left": 0x25, "Up": 0x26, "Right": 0x27, "Down": 0x28, "W": 0x57, "A": 0x41, "S": 0x53, "D": 0x44}
DOM_KEYS = {"Left": "ArrowLeft", "Up": "ArrowUp", "Right": "ArrowRight", "Down": "ArrowDown"}


class Failure(Exception):
    pass


def run(*command, cwd=None):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure("%s failed: %s" % (os.path.basename(command[0]), result.stderr.strip()))


def without_rate(picture):
    pixels = numpy.array(picture.convert("RGB"))
    x0, y0, x1, y1 = RATE_BOX
    pixels[y0:y1 + 1, x0:x1 + 1] = 0
    return pixels


def expect_same(shown, expected_path, what, keep):
    """Fails, keeping both pictures, when `shown` differs from the PNG file."""
    expected = Image.open(expected_path)
    a, b = without_rate(shown), without_rate(expected)
    if a.shape != b.shape:
        raise Failure("%s: the canvas is %s, the native picture %s" % (what, a.shape, b.shape))
    differ = int(numpy.any(a != b, axis=2).sum())
    if differ:
        name = what.replace(" ", "-").replace(",", "")
        shown.save(os.path.join(keep, name + "-page.png"))
        shutil.copy(expected_path, os.path.join(keep, name + "-native.png"))
        raise Failure("%s: %d pixels differ from the native picture (both kept)" % (what, differ))
    lit = int(numpy.any(b != 0, axis=2).sum())
    if lit < 5000:
        raise Failure("%s: the native picture is nearly empty (%d lit pixels)" % (what, lit))


class Page:
    def __init__(self, browser, url):
        self.browser, self.url = browser, url

    def load(self, kernels):
        self.browser.open(self.url + "?held-clock&kernels=" + kernels)
        self.settle()
        wanted = "reference kernels" if kernels == "plain" else "SSE2 kernels as WebAssembly SIMD"
        if self.browser.evaluate("viewer.kernels") != wanted:
            raise Failure("the page runs the %s, not the %s" % (self.browser.evaluate("viewer.kernels"), wanted))

    def settle(self):
        self.browser.wait_for("viewer.opening !== null")
        self.browser.evaluate("viewer.opening")
        self.browser.wait_for("viewer.state !== 'loading'")

    def state(self):
        return self.browser.evaluate("viewer.state"), self.browser.evaluate("viewer.message")

    def expect_running(self, what):
        state, message = self.state()
        if state != "running":
            raise Failure("%s: the world is %s: %s" % (what, state, message))

    def open_files(self, paths, picker="#open-files"):
        self.browser.evaluate("viewer.opening = null")
        self.browser.set_files(picker, paths)
        self.settle()

    def pass_(self, tick):
        return self.browser.evaluate("viewer.pass(%d)" % tick)

    def canvas(self):
        return self.browser.screenshot(self.browser.element_box("#frame"))


def make_world(folder, tools, description):
    os.makedirs(folder)
    run(os.path.join(tools, "tests/e2e/map/make-world-sprites"), folder)
    run(os.path.join(tools, "tools/maptool/maptool"), "build", description,
        os.path.join(folder, "test.map"), os.path.join(folder, "SpriteList.txt"))
    return folder


def world_files(folder):
    return sorted(os.path.join(folder, name) for name in os.listdir(folder))


def render(tools, folder, picture):
    run(os.path.join(tools, "tools/maptool/maptool"), "render", folder, picture)
    return picture


def page_passes(tools, folder, script_lines, scratch):
    script = os.path.join(scratch, "passes.txt")
    with open(script, "w") as f:
        f.write("\n".join(script_lines) + "\n")
    run(os.path.join(tools, "tests/web/page-passes"), folder, script)


def scenario_demo(page, tools, scratch):
    demo = os.path.join(tools, "demo-world")
    page_passes(tools, demo, ["pass 0", "shot demo-native.png"], scratch)
    for kernels in KERNELS:
        page.load(kernels)
        page.expect_running("the demo world")
        if not page.pass_(0):
            raise Failure("the demo world stopped in its first pass: %s" % page.state()[1])
        expect_same(page.canvas(), os.path.join(scratch, "demo-native.png"), "demo world, %s" % kernels, scratch)
        if kernels == "simd":
            page.browser.screenshot().save(os.path.join(scratch, "page.png"))


def scenario_worlds(page, tools, scratch):
    worlds = {
        "e2e world": make_world(os.path.join(scratch, "e2e"), tools, os.path.join(SOURCE, "tests/e2e/map/world.txt")),
        "edges world": make_world(os.path.join(scratch, "edges"), tools, os.path.join(HERE, "edges.txt")),
    }
    archive = os.path.join(scratch, "edges.zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for path in world_files(worlds["edges world"]):
            z.write(path, "edges/" + os.path.basename(path))
    for kernels in KERNELS:
        page.load(kernels)
        for (what, folder), picker in zip(worlds.items(), ("#open-folder", "#open-files")):
            page.open_files([folder] if picker == "#open-folder" else world_files(folder), picker)
            page.expect_running(what)
            page.pass_(0)
            expected = render(tools, folder, os.path.join(scratch, what.split()[0] + "-render.png"))
            expect_same(page.canvas(), expected, "%s, %s" % (what, kernels), scratch)
        page.open_files([archive])
        page.expect_running("the zip")
        page.pass_(0)
        expect_same(page.canvas(), os.path.join(scratch, "edges-render.png"), "zip, %s" % kernels, scratch)


def walker_script():
    """Passes 60 ms apart (a walk frame lasts 50 ms at speed 10): Right held
    for one pass, then D, each followed by passes until its step is done."""
    passes, tick = [("pass", 0, None)], 0
    for key in ("Right", "D"):
        for i in range(12):
            tick += 60
            passes.append(("pass", tick, key if i == 0 else None))
            if i in (0, 3, 11):
                passes.append(("shot", "%s-%d.png" % (key, i), None))
    return passes


def scenario_walkers(page, tools, scratch):
    demo = os.path.join(tools, "demo-world")
    script = walker_script()
    page_passes(tools, demo, ["pass %d%s" % (tick, " " + key if key else "") if kind == "pass" else "shot " + tick
                              for kind, tick, key in script], scratch)
    for key in ("Right", "D"):
        first, last = (without_rate(Image.open(os.path.join(scratch, "%s-%d.png" % (key, i)))) for i in (0, 11))
        if not numpy.any(first != last):
            raise Failure("the native step under %s changed nothing: the test would prove nothing" % key)
    invisible = invisible_walker_world(tools, scratch)
    for kernels in KERNELS:
        page.load(kernels)
        for kind, value, key in script:
            if kind == "shot":
                expect_same(page.canvas(), os.path.join(scratch, value), "%s %s" % (value[:-4], kernels), scratch)
                continue
            if key:
                page.browser.key(DOM_KEYS.get(key, key), KEY_CODES[key], True)
            if not page.pass_(value):
                raise Failure("the world stopped at tick %d: %s" % (value, page.state()[1]))
            if key:
                page.browser.key(DOM_KEYS.get(key, key), KEY_CODES[key], False)
        expect_camera_follows(page, tools, invisible, scratch, kernels)


def invisible_walker_world(tools, scratch):
    """The e2e world with a walker sprite (id 2) whose frames are all key
    colour: the walkers draw nothing, so the frame is maptool render's at
    the camera the walkers leave. Its five walk frames to the right carry the
    figure 8 pixels further each."""
    folder = make_world(os.path.join(scratch, "walker-world"), tools, os.path.join(SOURCE, "tests/e2e/map/world.txt"))
    Image.new("RGB", (8, 12), (255, 0, 255)).save(os.path.join(scratch, "figure.png"))
    lines = ["id 2", "key #FF00FF", "anchor bottom", "duration 1000"]
    for direction in range(8):
        lines.append("animation walk direction %d" % direction)
        lines += ["  frame figure.png offset=%d,0" % (8 * i if direction == 1 else 0) for i in range(5)]
    with open(os.path.join(scratch, "walker.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    run(os.path.join(tools, "tools/spritetool/spritetool"), "build", os.path.join(scratch, "walker.txt"),
        os.path.join(folder, "walker.spr"))
    with open(os.path.join(folder, "SpriteList.txt")) as f:
        words = f.read().split()
    with open(os.path.join(folder, "SpriteList.txt"), "w") as f:
        f.write("%d\n%s\n2 walker.spr\n" % (int(words[0]) + 1, " ".join(words[1:])))
    return folder


def expect_camera_follows(page, tools, folder, scratch, kernels):
    """Walker1's step to the right, 110 ms a pass (a frame lasts 100 ms at
    speed 10). Right is held in pass 1, whose update binds the cursor to the
    new animation at frame 0; passes 2-5 show frames 1-4, the view on tile
    (0, 0) shifted by minus the frame's offset; pass 6 ends the step, the
    view on tile (1, 1), unshifted. maptool render draws each view."""
    page.open_files(world_files(folder))
    page.expect_running("the world of the invisible walker")
    views = [(0, 0, 0, 0), (0, 0, 0, 0)] + [(0, 0, -8 * i, 0) for i in range(1, 5)] + [(1, 1, 0, 0)]
    for number, view in enumerate(views):
        if number == 1:
            page.browser.key("ArrowRight", KEY_CODES["Right"], True)
        page.pass_(110 * number)
        if number == 1:
            page.browser.key("ArrowRight", KEY_CODES["Right"], False)
        picture = os.path.join(scratch, "view-%d.png" % number)
        run(os.path.join(tools, "tools/maptool/maptool"), "render", folder, picture, *map(str, view))
        expect_same(page.canvas(), picture, "camera after pass %d, %s" % (number, kernels), scratch)


def scenario_faults(page, tools, scratch):
    good = make_world(os.path.join(scratch, "good"), tools, os.path.join(SOURCE, "tests/e2e/map/world.txt"))
    expected = render(tools, good, os.path.join(scratch, "good-render.png"))

    short_map = shutil.copytree(good, os.path.join(scratch, "short-map"))
    with open(os.path.join(short_map, "test.map"), "r+b") as f:
        f.truncate(os.path.getsize(f.name) - 1)
    wrong_magic = shutil.copytree(good, os.path.join(scratch, "wrong-magic"))
    with open(os.path.join(wrong_magic, "grass.spr"), "r+b") as f:
        f.write(b"SPRITX")
    no_list = shutil.copytree(good, os.path.join(scratch, "no-list"))
    os.remove(os.path.join(no_list, "SpriteList.txt"))
    damaged = os.path.join(scratch, "damaged.zip")
    with open(damaged, "wb") as f:
        f.write(b"PK\x03\x04 not really a zip")

    def expect_good_after(what):
        page.open_files(world_files(good))
        page.expect_running("the good world after " + what)
        page.pass_(0)
        expect_same(page.canvas(), expected, "good world after " + what, scratch)
        if not page.browser.evaluate("document.getElementById('message').hidden"):
            raise Failure("the message of %s is still shown over the good world" % what)

    def expect_message(state, wanted, what):
        got_state, message = page.state()
        shown = page.browser.evaluate("document.getElementById('message').textContent")
        if got_state != state or wanted not in message or shown != message:
            raise Failure("%s: expected the world %s with '%s', it is %s with '%s' (shown: '%s')"
                          % (what, state, wanted, got_state, message, shown))

    page.load("simd")
    page.open_files(world_files(short_map))
    expect_message("failed", "Wrong map file.", "a map one byte short")
    expect_good_after("a short map")

    page.open_files(world_files(wrong_magic))
    page.expect_running("the world with a wrong sprite magic, at start")
    if page.pass_(0):
        raise Failure("a sprite with a wrong magic did not stop the world")
    expect_message("stopped", WRONG_SPRITE_MAGIC, "a sprite with a wrong magic")
    if page.pass_(10):
        raise Failure("a stopped world ran another pass")
    expect_good_after("a wrong sprite magic")

    page.open_files(world_files(no_list))
    expect_message("failed", '"SpriteList.txt"', "a world without SpriteList.txt")
    page.open_files([damaged])
    expect_message("failed", "not a zip archive", "a damaged zip")
    expect_good_after("a damaged zip")


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    scenario, page_folder, tools, keep = sys.argv[1:]
    tests = {"demo": scenario_demo, "worlds": scenario_worlds, "walkers": scenario_walkers,
             "faults": scenario_faults}
    if scenario not in tests:
        sys.exit("unknown scenario %s" % scenario)
    shutil.rmtree(keep, ignore_errors=True)
    os.makedirs(keep)
    scratch = tempfile.mkdtemp(prefix="page-test-")
    try:
        with PageServer(page_folder) as server, Browser() as browser:
            tests[scenario](Page(browser, server.url), os.path.abspath(tools), scratch)
        for name in os.listdir(scratch):
            if name == "page.png":
                shutil.copy(os.path.join(scratch, name), keep)
    except Exception as failure:  # noqa: BLE001 - every failure is reported the same way
        for name in os.listdir(scratch):
            if name.endswith(".png"):
                shutil.copy(os.path.join(scratch, name), keep)
        print("FAIL (page, %s): %s" % (scenario, failure))
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("ok (page, %s)" % scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
