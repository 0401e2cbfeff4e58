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
           world without "SpriteList.txt", a damaged zip, zip bombs and a
           file too large to read say so; a good world opened after each of
           them shows; the world of tests/world/mistakes.txt runs with the
           world check's findings in the panel beside the canvas, as
           maptool check says them
  tiled    a Tiled map dropped as a folder and as a zip equals native
           tmximport + maptool render, with the tool's notes; its saved zip
           holds the tool's files; a refused map shows the tool's refusal;
           the demo walker walks on it as on tmximport --walker's world
  live     serve.py --live: a map rewritten on disk shows within a second,
           the view kept; a broken one says so and recovers; the server
           refuses ".." and absolute paths

Pictures that differ are kept in the scratch folder.
"""
import base64
import gzip
import http.client
import os
import shutil
import subprocess
import struct
import sys
import tempfile
import time
import zipfile
import zlib

import numpy
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "world"))
from browser import Browser, PageServer  # noqa: E402
from mistakes import FINDINGS, make_mistakes_world  # noqa: E402

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
    def __init__(self, browser, url, url_folder):
        self.browser, self.url, self.url_folder = browser, url, url_folder

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

    def drop(self, paths):
        self.browser.evaluate("viewer.opening = null")
        self.browser.drop(paths)
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
    native_walker_shots(tools, demo, script, scratch)
    invisible = invisible_walker_world(tools, scratch)
    for kernels in KERNELS:
        page.load(kernels)
        replay(page, script, scratch, kernels)
        expect_camera_follows(page, tools, invisible, scratch, kernels)


def native_walker_shots(tools, world, script, scratch):
    """page-passes' frames of `script` on `world`, checked to show steps."""
    page_passes(tools, world, ["pass %d%s" % (tick, " " + key if key else "") if kind == "pass" else "shot " + tick
                               for kind, tick, key in script], scratch)
    for key in ("Right", "D"):
        first, last = (without_rate(Image.open(os.path.join(scratch, "%s-%d.png" % (key, i)))) for i in (0, 11))
        if not numpy.any(first != last):
            raise Failure("the native step under %s changed nothing: the test would prove nothing" % key)


def replay(page, script, scratch, kernels):
    """The passes of `script` in the page, each shot held to page-passes'."""
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


def make_tiled_map(folder, orientation="isometric", stones_every=5):
    """A 10 x 10 isometric Tiled map of the tools' test pictures: a sheet
    tileset in the map (an animated, blocked tile; flips), a collection and a
    .tsx tileset in a sub-folder, a palette picture with a transparent
    index; layers in CSV, base64 with zlib and with gzip; a tile object; an
    image layer, drawn in pieces of cells."""
    assets = os.path.join(SOURCE, "tests/tools/fuzz-assets")
    os.makedirs(os.path.join(folder, "tiles"))
    shutil.copy(os.path.join(assets, "sheet.png"), folder)
    for name in ("tree.png", "external.tsx"):
        shutil.copy(os.path.join(assets, name), os.path.join(folder, "tiles"))
    stones = Image.new("P", (64, 32), 0)
    stones.putpalette([0, 0, 0, 90, 90, 100, 150, 140, 120] + [0] * 759)
    for y in range(32):
        half = 32 - abs(2 * y - 31)
        for x in range(32 - half, 32 + half):
            stones.putpixel((x, y), 1 + (x // 8 + y // 4) % 2)
    stones.save(os.path.join(folder, "stones.png"), transparency=0)
    side = 10
    ground = [1 + (x * 7 + y * 3) % 4 if (x + y) % stones_every else 20 for y in range(side) for x in range(side)]
    path = [(3 | 0x80000000) if x == y else 0 for y in range(side) for x in range(side)]
    trees = [9 if (x * y) % 7 == 3 else 0 for y in range(side) for x in range(side)]
    packed = lambda gids: struct.pack("<%dI" % len(gids), *gids)
    text = f"""<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="{orientation}" width="{side}" height="{side}" tilewidth="64" tileheight="32" infinite="0">
 <tileset firstgid="1" name="sheet" tilewidth="64" tileheight="32" spacing="2" margin="1" tilecount="4" columns="2">
  <image source="sheet.png" trans="ff00ff" width="132" height="68"/>
  <tile id="1"><properties><property name="blocked" type="bool" value="true"/></properties>
   <animation><frame tileid="0" duration="100"/><frame tileid="1" duration="200"/></animation></tile>
 </tileset>
 <tileset firstgid="5" name="collection" tilewidth="64" tileheight="64">
  <tile id="0"><image source="tiles/tree.png" width="64" height="64"/></tile>
 </tileset>
 <tileset firstgid="9" source="tiles/external.tsx"/>
 <tileset firstgid="20" name="stones" tilewidth="64" tileheight="32" tilecount="1" columns="1">
  <image source="stones.png" width="64" height="32"/>
 </tileset>
 <layer name="ground" width="{side}" height="{side}"><data encoding="csv">{",".join(map(str, ground))}</data></layer>
 <layer name="path" width="{side}" height="{side}"><properties><property name="floor" type="bool" value="true"/></properties>
  <data encoding="base64" compression="zlib">{base64.b64encode(zlib.compress(packed(path))).decode()}</data></layer>
 <layer name="trees" width="{side}" height="{side}" opacity="0.7">
  <data encoding="base64" compression="gzip">{base64.b64encode(gzip.compress(packed(trees), mtime=0)).decode()}</data></layer>
 <objectgroup name="things"><object id="1" gid="5" x="160" y="96" width="64" height="64"/></objectgroup>
 <imagelayer name="sky"><image source="sheet.png" width="132" height="68"/></imagelayer>
</map>
"""
    with open(os.path.join(folder, "town.tmx"), "w") as f:
        f.write(text)
    return folder


def tmximport(tools, folder, world, *options):
    """Native tmximport run from the map's folder, as a user would: its exit
    code and every line it printed, standard error first."""
    result = subprocess.run([os.path.join(tools, "tools/tmximport/tmximport"), "town.tmx", world, *options],
                            cwd=folder, capture_output=True, text=True)
    return result.returncode, (result.stderr + result.stdout).strip()


def native_tiled_world(tools, folder, world, *options):
    """The world and picture that native tmximport and maptool render make
    of the map in `folder`, and what tmximport printed."""
    code, printed = tmximport(tools, folder, world, *options)
    if code != 0:
        raise Failure("native tmximport refused the test map: " + printed)
    return render(tools, world, world + ".png"), printed


def page_prints_as_tool(page, printed, what):
    """The notes the page shows are the tool's lines; its summary names the
    page's own folder ("/world") where the tool names the one it was given."""
    notes = page.browser.evaluate("document.getElementById('notes').textContent")
    tool = printed.splitlines()
    shown = notes.splitlines()
    if len(tool) != len(shown) or tool[:-1] != shown[:-1] or \
            tool[-1].split(": ", 1)[1] != shown[-1].split(": ", 1)[1] or not shown[-1].startswith("/world: "):
        raise Failure("%s: the page shows\n%s\nwhere tmximport prints\n%s" % (what, notes, printed))


def expect_saved_world(page, world, scratch):
    """Save as a world downloads a zip whose files are, byte for byte, those
    native tmximport wrote."""
    downloads = os.path.join(scratch, "downloads")
    os.makedirs(downloads, exist_ok=True)
    page.browser.save_downloads(downloads)
    page.browser.evaluate("document.getElementById('save-world').click()")
    saved = os.path.join(downloads, "town.zip")
    deadline = time.time() + 30
    while not os.path.exists(saved) and time.time() < deadline:
        time.sleep(0.05)
    if not os.path.exists(saved):
        raise Failure("Save as a world downloaded no town.zip (found: %s)" % os.listdir(downloads))
    with zipfile.ZipFile(saved) as z:
        if z.testzip() is not None:
            raise Failure("the saved zip is damaged")
        saved_files = {name: z.read(name) for name in z.namelist()}
    native = {}
    for base, _, names in os.walk(world):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                native[os.path.relpath(path, world)] = f.read()
    if saved_files.keys() != native.keys():
        raise Failure("the saved zip holds %s, tmximport wrote %s" % (sorted(saved_files), sorted(native)))
    differ = [name for name in native if saved_files[name] != native[name]]
    if differ:
        raise Failure("saved files differ from tmximport's: %s" % differ)


def scenario_tiled(page, tools, scratch):
    """A Tiled map dropped as a folder (SIMD) and as a zip (reference
    kernels): the canvas is native tmximport + maptool render, the notes
    are the tool's, the saved world its files. A refused map shows the
    tool's refusal, and the next map opens. The demo walker walks on it as
    on the native tmximport --walker world."""
    town = make_tiled_map(os.path.join(scratch, "town"))
    world = os.path.join(scratch, "native-world")
    expected, printed = native_tiled_world(tools, town, world)
    archive = os.path.join(scratch, "town.zip")
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for base, _, names in os.walk(town):
            for name in names:
                z.write(os.path.join(base, name), os.path.relpath(os.path.join(base, name), scratch))
    refused = make_tiled_map(os.path.join(scratch, "refused"), orientation="orthogonal")
    code, refusal = tmximport(tools, refused, os.path.join(scratch, "refused-world"))
    if code == 0:
        raise Failure("native tmximport took the orthogonal map")

    page.load("simd")
    page.drop([town])
    page.expect_running("the Tiled map as a folder")
    page.pass_(0)
    expect_same(page.canvas(), expected, "Tiled map as a folder, simd", scratch)
    page_prints_as_tool(page, printed, "the Tiled map as a folder")
    expect_saved_world(page, world, scratch)

    page.open_files([refused], "#open-folder")
    state, message = page.state()
    if state != "failed" or message != refusal:
        raise Failure("the orthogonal map: the page is %s with '%s', tmximport printed '%s'" % (state, message, refusal))

    for kernels in KERNELS:
        if kernels != "simd":
            page.load(kernels)
        page.drop([archive])
        page.expect_running("the Tiled map as a zip")
        page.pass_(0)
        expect_same(page.canvas(), expected, "Tiled map as a zip, " + kernels, scratch)

    # The demo world's walker on the map, as tmximport --walker adds it.
    walker_world = os.path.join(scratch, "walker-world")
    native_tiled_world(tools, town, walker_world, "--walker", os.path.join(tools, "demo-world/walker.spr"))
    script = walker_script()
    native_walker_shots(tools, walker_world, script, scratch)
    page.browser.evaluate("viewer.opening = null; document.getElementById('walker').click()")
    page.settle()
    page.expect_running("the Tiled map with the walker")
    replay(page, script, scratch, "plain")


def bomb_zip(path, name, body, declared, entries=1):
    """A zip whose `entries` entries (name-1, name-2, ...) all point at one
    local header and its raw deflate `body`, each declaring `declared` bytes."""
    local = struct.pack("<IHHHHHIIIHH", 0x04034b50, 20, 0, 8, 0, 0x21, 0, len(body), declared, len(name), 0)
    directory = b""
    for i in range(entries):
        entry = ("%s-%d" % (name, i + 1) if entries > 1 else name).encode()
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 20, 20, 0, 8, 0, 0x21, 0, len(body), declared,
                                 len(entry), 0, 0, 0, 0, 0, 0) + entry
    offset = len(local) + len(name) + len(body)
    end = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, entries, entries, len(directory), offset, 0)
    with open(path, "wb") as f:
        f.write(local + name.encode() + body + directory + end)
    return path


def zeros_deflated(mib):
    """Raw deflate of `mib` MiB of zeros, made fast: one MiB deflated and
    fully flushed (so it refers to nothing before it), repeated."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    piece = packer.compress(bytes(1 << 20)) + packer.flush(zlib.Z_FULL_FLUSH)
    return piece * mib + b"\x03\x00"  # an empty final block


def hostile_files(scratch):
    """Zip bombs and a file too large to read, each with the limit the page
    must name: a 4 MB entry inflating to 4 GiB, declared honestly (4 GiB - 1)
    and as 1 MiB; 200 entries sharing one compressed body of 68 MB (270 kB)
    and of 1 MiB; a sparse 300 MiB file."""
    four_gib, shared = zeros_deflated(4096), zeros_deflated(68)
    huge = os.path.join(scratch, "huge.spr")
    with open(huge, "wb") as f:
        f.truncate(300 << 20)
    return [
        (bomb_zip(os.path.join(scratch, "bomb.zip"), "test.map", four_gib, 0xFFFFFFFF),
         "test.map would inflate to 4294967295 bytes, more than the limit of 268435456 bytes a file"),
        (bomb_zip(os.path.join(scratch, "lying-bomb.zip"), "test.map", four_gib, 1 << 20),
         "test.map inflates to more than the 1048576 bytes its entry says"),
        (bomb_zip(os.path.join(scratch, "shared.zip"), "sprite", shared, 68 << 20, 200),
         "its files would inflate to more than the limit of 536870912 bytes in all"),
        (bomb_zip(os.path.join(scratch, "overlapping.zip"), "sprite", zeros_deflated(1), 1 << 20, 200),
         "sprite-1 and sprite-2 overlap"),
        (huge, "huge.spr is 314572800 bytes, more than the limit of 268435456 bytes a file"),
    ]


def start_live_server(page_folder, target):
    """web/serve.py --live on a free port; the process and the page's address."""
    server = subprocess.Popen(["/usr/bin/python3", os.path.join(SOURCE, "web/serve.py"), page_folder, "--live", target, "0"],
                              stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    if "http://" not in line:
        server.kill()
        raise Failure("serve.py --live did not start: %s" % line)
    return server, line.split()[2]


def expect_refused_paths(address, outside):
    """The server serves no path with "..", no absolute path, nothing outside
    the page and the map's tree (`outside` is a file beside the tree)."""
    host, port = address.split("/")[2].split(":")
    name = os.path.basename(outside)
    for path in ("/live/files/../" + name, "/live/files/%2e%2e/" + name, "/../" + name,
                 "/live/files/" + outside, "/live/files/%2F" + outside.lstrip("/").replace("/", "%2F"),
                 outside, "/live/files/tiles/../../" + name, "/live/files/..%5C" + name):
        connection = http.client.HTTPConnection(host, int(port), timeout=10)
        connection.putrequest("GET", path, skip_accept_encoding=True)
        connection.endheaders()
        answer = connection.getresponse()
        body = answer.read()
        connection.close()
        if answer.status < 400 or b"secret" in body:
            raise Failure("the server answered %s with %d: %r" % (path, answer.status, body[:80]))


def scenario_live(page, tools, scratch):
    """./run.sh --web <map.tmx>: the page shows the map that serve.py --live
    serves; a rewritten file shows within a second, the view kept; a map
    made unreadable is said so and shows again once fixed. The server
    refuses ".." and absolute paths."""
    town = make_tiled_map(os.path.join(scratch, "live", "town"))
    secret = os.path.join(scratch, "live", "secret.txt")
    with open(secret, "w") as f:
        f.write("secret\n")
    expected, _ = native_tiled_world(tools, town, os.path.join(scratch, "first-world"))
    edited = make_tiled_map(os.path.join(scratch, "edited"), stones_every=3)
    native_tiled_world(tools, edited, os.path.join(scratch, "edited-world"))
    server, address = start_live_server(page.url_folder, os.path.join(town, "town.tmx"))
    try:
        expect_refused_paths(address, secret)
        page.browser.open(address + "&held-clock")
        page.settle()
        page.expect_running("the live map")
        page.pass_(0)
        expect_same(page.canvas(), expected, "live map", scratch)

        def rewrite(source, wanted_state):
            before = page.browser.evaluate("viewer.liveVersion")
            with open(source) as f:
                text = f.read()
            start = time.time()
            with open(os.path.join(town, "town.tmx"), "w") as f:
                f.write(text)
            page.browser.wait_for("viewer.liveVersion > %d && viewer.state === '%s'" % (before, wanted_state), 10)
            return time.time() - start

        # Walk one step first, so that keeping the view shows.
        page.browser.evaluate("viewer.opening = null; document.getElementById('walker').click()")
        page.settle()
        page.pass_(0)
        page.browser.key("ArrowRight", KEY_CODES["Right"], True)
        page.pass_(100)
        page.browser.key("ArrowRight", KEY_CODES["Right"], False)
        for tick in range(200, 1000, 100):
            page.pass_(tick)
        view = page.browser.evaluate("viewer.view()")
        if (view[2], view[4]) == (1, 1):  # walker 1's cell
            raise Failure("the walker did not step on the live map: the view test would prove nothing")
        seconds = rewrite(os.path.join(edited, "town.tmx"), "running")
        if seconds > 1.0:
            raise Failure("the rewritten map showed after %.2f s, not within a second" % seconds)
        print("the rewritten map showed after %.2f s" % seconds)
        if page.browser.evaluate("viewer.view()") != view:
            raise Failure("the view was not kept: %s before, %s after" % (view, page.browser.evaluate("viewer.view()")))

        page.browser.evaluate("document.getElementById('walker').click()")
        page.settle()
        page.pass_(0)
        picture = os.path.join(scratch, "edited-view.png")
        run(os.path.join(tools, "tools/maptool/maptool"), "render", os.path.join(scratch, "edited-world"), picture,
            str(view[0]), str(view[1]))
        expect_same(page.canvas(), picture, "live map rewritten", scratch)

        broken = os.path.join(scratch, "broken.tmx")
        with open(broken, "w") as f:
            f.write('<?xml version="1.0"?>\n<map orientation="isometric"')
        rewrite(broken, "failed")
        if not page.browser.evaluate("viewer.message").startswith("tmximport: town.tmx"):
            raise Failure("the unreadable map says: %s" % page.browser.evaluate("viewer.message"))
        rewrite(os.path.join(edited, "town.tmx"), "running")
    finally:
        server.terminate()
        server.wait()


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

    for path, limit in hostile_files(scratch):
        page.open_files([path])
        expect_message("failed", limit, os.path.basename(path))
        expect_good_after(os.path.basename(path))

    expect_findings(page, make_mistakes_world(tools, os.path.join(scratch, "mistakes"), scratch))
    expect_good_after("the world of mistakes")
    if "Crate.spr" in page.browser.evaluate("document.getElementById('findings').textContent"):
        raise Failure("the findings of the world of mistakes are still shown beside the good world")


def expect_findings(page, world):
    """The world runs, and the panel beside the canvas names it and lists
    the world check's findings, those of maptool check, one line each."""
    page.open_files([world], "#open-folder")
    page.expect_running("the world of mistakes")
    shown = page.browser.evaluate("[...document.querySelectorAll('#findings li')].map((li) => li.textContent)")
    title = page.browser.evaluate("document.getElementById('findings-title').textContent")
    hidden = page.browser.evaluate("document.getElementById('findings').hidden")
    if hidden or shown != FINDINGS or not title.startswith(os.path.basename(world) + ": %d findings" % len(FINDINGS)):
        raise Failure("the findings panel (hidden: %s) is titled '%s' and shows\n  %s\nwhere maptool check says\n  %s"
                      % (hidden, title, "\n  ".join(shown), "\n  ".join(FINDINGS)))
    box = page.browser.element_box("#findings")
    frame = page.browser.element_box("#frame")
    if box[0] < frame[0] + frame[2]:
        raise Failure("the findings panel %s is not beside the canvas %s" % (box, frame))


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    scenario, page_folder, tools, keep = sys.argv[1:]
    tests = {"demo": scenario_demo, "worlds": scenario_worlds, "walkers": scenario_walkers,
             "faults": scenario_faults, "tiled": scenario_tiled, "live": scenario_live}
    if scenario not in tests:
        sys.exit("unknown scenario %s" % scenario)
    shutil.rmtree(keep, ignore_errors=True)
    os.makedirs(keep)
    scratch = tempfile.mkdtemp(prefix="page-test-")
    try:
        with PageServer(page_folder) as server, Browser() as browser:
            tests[scenario](Page(browser, server.url, page_folder), os.path.abspath(tools), scratch)
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
