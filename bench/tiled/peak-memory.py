#!/usr/bin/python3
"""peak-memory.py [--tools <folder>] [--work <folder>] [--cap-mib N] [--timeout S] [<case>...]

Peak resident memory and time of tmximport and tmxexport, each run in a
process of its own: the largest maps and worlds within the tools' limits
(docs/tiled-import.md, docs/tiled-export.md), and the hostile shapes that
once took gigabytes or hung. Google Benchmark (client_bench) times the tools
in its own process and cannot tell one run's peak memory, so this script
makes the files, runs the tools built in --tools (build/native/tools by
default) with an address-space cap (--cap-mib, 4096) and a time limit
(--timeout, 120 s), and reads each run's peak from wait4. It prints one row
per run: the peak in MiB, the wall time, the bytes the run wrote, its exit
code and the first line of its message. Runs stopped by the cap or the time
limit say so.

The inputs are made once into --work (/tmp/client-peak-memory) and reused;
the largest ones take about 2 GB of disk space there.
"""
import argparse
import base64
import json
import os
import resource
import shutil
import signal
import struct
import subprocess
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))

# --- Files the tools read -------------------------------------------------


def png(path, width, height, pixel=None, grey1=False):
    """Writes a PNG: 1-bit grey zeros (grey1), or RGBA rows from pixel(x, y)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    if grey1:
        header = struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0)
        row = b"\0" + bytes((width + 7) // 8)
        packer = zlib.compressobj(9)
        body = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
    else:
        header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
        rows = b"".join(b"\0" + b"".join(pixel(x, y) for x in range(width)) for y in range(height))
        body = zlib.compress(rows, 9)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", body) + chunk(b"IEND", b""))


def opaque(r, g, b):
    return lambda x, y: bytes((r, g, b, 255))


def iso_map(width, height, body, tile=(64, 32), extra=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<map version="1.8" orientation="isometric" '
            'renderorder="right-down" width="%d" height="%d" tilewidth="%d" tileheight="%d" infinite="0"%s>\n'
            % (width, height, tile[0], tile[1], extra) + body + "</map>\n")


def sheet(first_gid, name, image, tile=(64, 32), count=1, columns=1, extra=""):
    return (' <tileset firstgid="%d" name="%s" tilewidth="%d" tileheight="%d" tilecount="%d" columns="%d"%s>\n'
            '  <image source="%s"/>\n </tileset>\n' % (first_gid, name, tile[0], tile[1], count, columns, extra, image))


def zlib_layer(name, ids, width, height, extra=""):
    data = zlib.compress(struct.pack("<%dI" % len(ids), *ids) if isinstance(ids, list) else ids, 9)
    return (' <layer name="%s" width="%d" height="%d"%s>\n  <data encoding="base64" compression="zlib">%s</data>\n'
            ' </layer>\n' % (name, width, height, extra, base64.b64encode(data).decode()))


def ids_bytes(count, filled, gid=1):
    """`count` little-endian ids, the first `filled` of them `gid`, the rest 0."""
    return struct.pack("<I", gid) * filled + bytes(4 * (count - filled))


def map_file(path, width, height, floor=(), objects=(), cell_data=b""):
    """test.map: open cells (the first carries `cell_data`), then the records."""
    with open(path, "wb") as out:
        out.write(b"MAP" + struct.pack("<iHH", 0, width, height))
        out.write(struct.pack("<Bhi", 0, 0, len(cell_data)) + cell_data)
        empty = struct.pack("<Bhi", 0, 0, 0)
        left = width * height - 1
        while left:
            step = min(left, 1 << 20)
            out.write(empty * step)
            left -= step
        out.write(struct.pack("<i", len(floor)))
        for x, y, sprite, name in floor:
            out.write(struct.pack("<hhhi33si", x, y, 0, sprite, name.encode(), 0))
        out.write(struct.pack("<i", len(objects)))
        for x, y, sprite, name in objects:
            out.write(struct.pack("<hhhhhi33si", x, y, x, y, 0, sprite, name.encode(), 0))


def sprite_file(path, animations, sprite_id=10):
    """A 24-bit sprite file: animations [(name, [(width, height, rgb)])], anchored at their centre."""
    with open(path, "wb") as out:
        out.write(b"SPRITE" + struct.pack("<iBBi", sprite_id, 1, 0, len(animations)))
        for name, frames in animations:
            out.write(struct.pack("<33sii", name.encode(), 0, len(frames)))
            for width, height, rgb in frames:
                out.write(struct.pack("<i4Bi6hHHi", 100, 255, 0, 255, 0, 0, width // 2, height // 2, 0, 0, 0, 0,
                                      width, height, 1))
                out.write(bytes((rgb & 255, rgb >> 8 & 255, rgb >> 16)) * (width * height))
                out.write(struct.pack("<ii", 0, 0))


def world(folder, width, height, floor=(), objects=(), frame=(40, 20), cell_data=b"", list_text=None):
    os.makedirs(folder, exist_ok=True)
    sprite_file(os.path.join(folder, "t.spr"), [("t0", [(frame[0], frame[1], 0x228B22)])])
    with open(os.path.join(folder, "SpriteList.txt"), "w") as out:
        out.write(list_text or "1\n10 t.spr\n")
    map_file(os.path.join(folder, "test.map"), width, height, floor, objects, cell_data)


# --- The cases ------------------------------------------------------------
# Each makes its inputs in `at` (a folder of its own) and returns the runs:
# [(label, tool, arguments, output)], `output` the file or folder whose size
# is reported.


def largest_import(at):
    """The largest map tmximport converts: 4096 x 4096 cells, 4,194,304 floor tiles placed, a second layer empty."""
    png(os.path.join(at, "tiles.png"), 256, 32, lambda x, y: bytes((x, y * 8, 90, 255)))
    cells = 4096 * 4096
    body = sheet(1, "tiles", "tiles.png", count=4, columns=4)
    body += zlib_layer("ground", ids_bytes(cells, 1 << 22), 4096, 4096)
    body += zlib_layer("empty", bytes(4 * cells), 4096, 4096)
    write(at, "largest.tmx", iso_map(4096, 4096, body))
    return [("import", "tmximport", ["largest.tmx", "world"], "world")]


def largest_export(at):
    """The largest world tmxexport writes as a map that tmximport reads back: 2896 x 2896 cells,
    4,194,304 floor tiles, then that map imported back."""
    png(os.path.join(at, "tiles.png"), 64, 32, opaque(40, 140, 40))
    cells = 2896 * 2896
    body = sheet(1, "tiles", "tiles.png") + zlib_layer("ground", ids_bytes(cells, 1 << 22), 2896, 2896)
    write(at, "source.tmx", iso_map(2896, 2896, body))
    return [("import the source", "tmximport", ["source.tmx", "world"], "world"),
            ("export", "tmxexport", ["world", "export/big.tmx"], "export"),
            ("import the export", "tmximport", ["export/big.tmx", "back"], "back")]


def largest_pictures(at):
    """Pictures and frames at their budgets: an 8192 x 8192 sheet cut into 16,384 tiles, each on a cell."""
    png(os.path.join(at, "sheet.png"), 8192, 8192, grey1=True)
    body = sheet(1, "sheet", "sheet.png", tile=(64, 64), count=16384, columns=128)
    body += zlib_layer("ground", list(range(1, 16385)), 128, 128)
    write(at, "pictures.tmx", iso_map(128, 128, body, tile=(64, 64)))
    return [("import", "tmximport", ["pictures.tmx", "world"], "world")]


def largest_objects(at):
    """The most objects: 1,048,576 shapes in one object layer, left out with a note."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    objects = "".join('<object id="%d" x="%d" y="%d"/>' % (i + 1, i % 1000, i // 1000) for i in range(1 << 20))
    write(at, "objects.tmx", iso_map(64, 64, sheet(1, "t", "tile.png") + ' <objectgroup name="o">' + objects +
                                     '</objectgroup>\n'))
    return [("import", "tmximport", ["objects.tmx", "world"], "world")]


def largest_tilesets(at):
    """The most tiles described: a tileset of 65,536 tiles with a property each, named 4 times."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    tiles = "".join('  <tile id="%d"><properties><property name="blocked" type="bool" value="true"/></properties>'
                    '</tile>\n' % i for i in range(65536))
    write(at, "big.tsx", '<?xml version="1.0"?>\n<tileset name="big" tilewidth="64" tileheight="32" '
          'tilecount="65536" columns="1">\n <image source="tile.png"/>\n' + tiles + '</tileset>\n')
    refs = "".join(' <tileset firstgid="%d" source="big.tsx"/>\n' % (1 + i * 65536) for i in range(4))
    write(at, "tilesets.tmx", iso_map(2, 2, refs + zlib_layer("l", [1, 1, 1, 1], 2, 2)))
    return [("import", "tmximport", ["tilesets.tmx", "world"], "world")]


def layers_700(at):
    """Issue 23: 700 zlib layers of 4096 x 4096 cells in a 60 MB map."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    layer = zlib_layer("l", bytes(4 * 4096 * 4096), 4096, 4096)
    write(at, "layers.tmx", iso_map(4096, 4096, sheet(1, "t", "tile.png") + layer * 700))
    return [("import", "tmximport", ["layers.tmx", "world"], "world")]


def tileset_2000(at):
    """Issue 23: one 4 MB tileset named by 2,000 <tileset> lines."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    tiles = "".join('  <tile id="%d"><properties><property name="p" value="%s"/></properties></tile>\n'
                    % (i, "v" * 20) for i in range(50000))
    write(at, "big.tsx", '<?xml version="1.0"?>\n<tileset name="big" tilewidth="64" tileheight="32" '
          'tilecount="50000" columns="1">\n <image source="tile.png"/>\n' + tiles + '</tileset>\n')
    refs = "".join(' <tileset firstgid="%d" source="big.tsx"/>\n' % (1 + i * 50000) for i in range(2000))
    write(at, "refs.tmx", iso_map(2, 2, refs + zlib_layer("l", [1, 1, 1, 1], 2, 2)))
    return [("import", "tmximport", ["refs.tmx", "world"], "world")]


def frames_1e6(at):
    """Issue 23: an animation of 10^6 tiny frames drawn at 60 opacities."""
    png(os.path.join(at, "dot.png"), 1, 1, opaque(200, 0, 0))
    frames = '<frame tileid="0" duration="1"/>' * 1000000
    body = (' <tileset firstgid="1" name="dots" tilewidth="1" tileheight="1" tilecount="1" columns="1">\n'
            '  <image source="dot.png"/>\n  <tile id="0"><animation>' + frames + '</animation></tile>\n </tileset>\n')
    body += "".join(zlib_layer("l%d" % i, [1], 1, 1, ' opacity="%.2f"' % ((i + 1) / 100)) for i in range(60))
    write(at, "frames.tmx", iso_map(1, 1, body))
    return [("import", "tmximport", ["frames.tmx", "world"], "world")]


def shapes_long_name(at):
    """Issue 23: 20,000 shape objects in a layer whose name is 1 MiB long."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    objects = '<object x="1" y="1"/>' * 20000
    body = sheet(1, "t", "tile.png") + ' <objectgroup name="%s">%s</objectgroup>\n' % ("n" * (1 << 20), objects)
    write(at, "shapes.tmx", iso_map(2, 2, body))
    return [("import", "tmximport", ["shapes.tmx", "world"], "world")]


def image_layers_long_name(at):
    """Issue 23: 20,000 image layers in a group whose name is 1 MiB long."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    body = sheet(1, "t", "tile.png") + ' <group name="%s">%s</group>\n' % ("n" * (1 << 20), "<imagelayer/>" * 20000)
    write(at, "images.tmx", iso_map(2, 2, body))
    return [("import", "tmximport", ["images.tmx", "world"], "world")]


def exported_big_png(at):
    """Issue 23: a map in tmxexport's form whose 64 frame tiles name one 8192 x 8192 PNG of a few kB."""
    png(os.path.join(at, "big.png"), 8192, 8192, grey1=True)
    tiles = "".join('  <tile id="%d"><properties><property name="animation" type="int" value="0"/>'
                    '<property name="frame" type="int" value="%d"/>%s</properties>'
                    '<image width="8192" height="8192" source="big.png"/></tile>\n'
                    % (i, i, '<property name="name" value="a"/>' if i == 0 else "") for i in range(64))
    body = (' <tileset firstgid="1" name="s" tilewidth="40" tileheight="20" tilecount="64" columns="0">\n'
            '  <properties><property name="sprite file" value="s.spr"/><property name="sprite id" type="int" '
            'value="10"/></properties>\n' + tiles + ' </tileset>\n')
    props = ('<properties><property name="world" type="int" value="1"/>'
             '<property name="sprite list" value="1%0A10 s.spr%0A"/></properties>\n')
    write(at, "exported.tmx", iso_map(1, 1, props + body, tile=(40, 20)))
    return [("import", "tmximport", ["exported.tmx", "world"], "world")]


def stacked(at, count, width):
    world(os.path.join(at, "world"), width, width, floor=[(0, 0, 10, "t0")] * count)
    return [("export", "tmxexport", ["world", "export/stacked.tmx"], "export"),
            ("import the export", "tmximport", ["export/stacked.tmx", "back"], "back")]


def stacked_2000(at):
    """Issue 23: tmxexport of 2,000 floor tiles stacked on one cell of a 1024 x 1024 map (7 MB)."""
    return stacked(at, 2000, 1024)


def stacked_100k(at):
    """Issue 25: tmxexport of 100,000 floor tiles stacked on one cell (of a 16 x 16 map)."""
    return stacked(at, 100000, 16)


def legal_3163(at):
    """Issue 23: a 3163 x 3163 map of 10^7 tiles (legal before the limit on tiles placed)."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    cells = 3163 * 3163
    write(at, "ten-million.tmx", iso_map(3163, 3163, sheet(1, "t", "tile.png") +
                                         zlib_layer("l", ids_bytes(cells, cells), 3163, 3163)))
    return [("import", "tmximport", ["ten-million.tmx", "world"], "world")]


def distinct_tiles(at):
    """16,777,216 different tiles of 1 x 1 pixels, one on each cell of a 4096 x 4096 map."""
    png(os.path.join(at, "tiny.png"), 4096, 4096, grey1=True)
    ids = struct.pack("<%dI" % (4096 * 4096), *range(1, 4096 * 4096 + 1))
    body = ' <tileset firstgid="1" name="dots" tilewidth="1" tileheight="1"><image source="tiny.png"/></tileset>\n'
    write(at, "shown.tmx", iso_map(4096, 4096, body + zlib_layer("l", ids, 4096, 4096)))
    return [("import", "tmximport", ["shown.tmx", "world"], "world")]


def fifo_tileset(at):
    """Issue 23: a tileset path that names a FIFO."""
    fifo = os.path.join(at, "pipe.tsx")
    if not os.path.exists(fifo):
        os.mkfifo(fifo)
    write(at, "fifo.tmx", iso_map(1, 1, ' <tileset firstgid="1" source="pipe.tsx"/>\n' + zlib_layer("l", [1], 1, 1)))
    return [("import", "tmximport", ["fifo.tmx", "world"], "world")]


def animation_offset(at):
    """Issues 23 and 25: an animated tile with a tile offset, its 20,000 frames of two sizes, on a 256 x 256 map."""
    png(os.path.join(at, "a.png"), 64, 32, opaque(0, 100, 0))
    png(os.path.join(at, "b.png"), 64, 48, opaque(0, 0, 100))
    frames = "".join('<frame tileid="%d" duration="10"/>' % (1 + i % 2) for i in range(20000))
    body = (' <tileset firstgid="1" name="c" tilewidth="64" tileheight="48" tilecount="3" columns="0">\n'
            '  <tileoffset x="4096" y="2048"/>\n'
            '  <tile id="0"><image source="a.png"/><animation>' + frames + '</animation></tile>\n'
            '  <tile id="1"><image source="a.png"/></tile>\n  <tile id="2"><image source="b.png"/></tile>\n'
            ' </tileset>\n')
    write(at, "offset.tmx", iso_map(256, 256, body + zlib_layer("l", ids_bytes(65536, 65536), 256, 256)))
    return [("import", "tmximport", ["offset.tmx", "world"], "world")]


def sparse_map(at):
    """Issue 25: tmxexport of a world whose test.map is a sparse 8 GiB file."""
    world(os.path.join(at, "world"), 1, 1)
    with open(os.path.join(at, "world", "test.map"), "r+b") as out:
        out.truncate(8 << 30)
    return [("export", "tmxexport", ["world", "export/sparse.tmx"], "export")]


def walker_dev_zero(at):
    """Issue 25: tmximport --walker /dev/zero."""
    png(os.path.join(at, "tile.png"), 64, 32, opaque(0, 0, 200))
    write(at, "small.tmx", iso_map(1, 1, sheet(1, "t", "tile.png") + zlib_layer("l", [1], 1, 1)))
    return [("import", "tmximport", ["small.tmx", "world", "--walker", "/dev/zero"], "world")]


def long_sprite_name(at):
    """Issue 25: a 300-character file name in "SpriteList.txt"."""
    world(os.path.join(at, "world"), 1, 1, list_text="1\n10 %s.spr\n" % ("n" * 300))
    return [("export", "tmxexport", ["world", "export/long.tmx"], "export")]


def sheet_8192(at):
    """Issue 25: an 8192 x 8192 tileset sheet, inside the picture limit."""
    png(os.path.join(at, "sheet.png"), 8192, 8192, grey1=True)
    body = sheet(1, "sheet", "sheet.png", tile=(64, 32), count=32768, columns=128)
    write(at, "sheet.tmx", iso_map(2, 2, body + zlib_layer("l", [1, 2, 3, 4], 2, 2)))
    return [("import", "tmximport", ["sheet.tmx", "world"], "world")]


def wide_frame(at):
    """Issue 25: a world with a frame 4,097 pixels wide (tmximport reads tiles of at most 4096)."""
    world(os.path.join(at, "world"), 2, 2, floor=[(0, 0, 10, "t0")], frame=(4097, 1))
    return [("export", "tmxexport", ["world", "export/wide.tmx"], "export"),
            ("import the export", "tmximport", ["export/wide.tmx", "back"], "back")]


def map_over_64mib(at):
    """Issue 25: a world whose map would take more than 64 MiB (70 MB of cell data)."""
    world(os.path.join(at, "world"), 2, 2, cell_data=bytes(range(256)) * (70000000 // 256))
    return [("export", "tmxexport", ["world", "export/huge.tmx"], "export"),
            ("import the export", "tmximport", ["export/huge.tmx", "back"], "back")]


CASES = [largest_import, largest_export, largest_pictures, largest_objects, largest_tilesets, layers_700, tileset_2000, frames_1e6, shapes_long_name,
         image_layers_long_name, exported_big_png, stacked_2000, legal_3163, distinct_tiles, fifo_tileset, animation_offset,
         stacked_100k, sparse_map, walker_dev_zero, long_sprite_name, sheet_8192, wide_frame, map_over_64mib]

# --- Running --------------------------------------------------------------


def write(at, name, text):
    with open(os.path.join(at, name), "w") as out:
        out.write(text)


def size_of(path):
    if os.path.isfile(path):
        return os.path.getsize(path)
    total = 0
    for root, _, files in os.walk(path):
        total += sum(os.path.getsize(os.path.join(root, f)) for f in files)
    return total


def run(command, at, cap, timeout):
    """Runs `command` in `at`; returns (peak MiB, seconds, exit code or what stopped it, first line said)."""
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (cap << 20, cap << 20))
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=at, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, preexec_fn=limit)
    os.set_blocking(process.stdout.fileno(), False)
    said = b""
    stopped = None
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        said += process.stdout.read() or b""
        if pid:
            break
        if time.monotonic() - start > timeout:
            os.kill(process.pid, signal.SIGKILL)
            stopped = "stopped after %d s" % timeout
        time.sleep(0.02)
    seconds = time.monotonic() - start
    process.returncode = 0  # reaped by wait4
    if stopped is None:
        stopped = str(os.waitstatus_to_exitcode(status))
    line = next((l for l in said.decode(errors="replace").splitlines() if not l.startswith("tmximport: note")), "")
    if "bad_alloc" in said.decode(errors="replace") or "more memory than there is" in line:
        stopped += " (the cap)"
    return usage.ru_maxrss / 1024, seconds, stopped, line[:150]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[1], formatter_class=argparse.RawTextHelpFormatter)
    parser.add_argument("--tools", default=os.path.join(SOURCE, "build", "native", "tools"))
    parser.add_argument("--work", default="/tmp/client-peak-memory")
    parser.add_argument("--cap-mib", type=int, default=4096)
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("cases", nargs="*", help="names of cases (all by default): " +
                        ", ".join(case.__name__ for case in CASES))
    options = parser.parse_args()
    chosen = [case for case in CASES if not options.cases or case.__name__ in options.cases]
    tools = os.path.abspath(options.tools)
    print("%-24s %-18s %9s %8s %12s  %-10s %s" % ("case", "run", "peak MiB", "seconds", "bytes out", "exit", "said"))
    for case in chosen:
        at = os.path.join(options.work, case.__name__)
        made = os.path.join(at, "runs.json")  # the inputs are made: the runs on them
        if not os.path.exists(made):
            shutil.rmtree(at, ignore_errors=True)
            os.makedirs(at)
            runs = case(at)
            with open(made, "w") as out:
                json.dump(runs, out)
        with open(made) as saved:
            runs = json.load(saved)
        for label, tool, arguments, output in runs:
            shutil.rmtree(os.path.join(at, output), ignore_errors=True)
            binary = os.path.join(tools, tool, tool)
            if not os.path.exists(binary):
                binary = os.path.join(tools, tool)
            peak, seconds, code, line = run([binary] + arguments, at, options.cap_mib, options.timeout)
            out = os.path.join(at, output)
            written = size_of(out) if os.path.exists(out) else 0
            print("%-24s %-18s %9.0f %8.2f %12d  %-10s %s" % (case.__name__, label, peak, seconds, written, code, line),
                  flush=True)


if __name__ == "__main__":
    main()
