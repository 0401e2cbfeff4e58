#!/usr/bin/python3
"""Draws the demo world's art and writes its sources: a folder per sprite
under demo/art/ (PNG frames and the manifest the sprite tool reads) and the
map description demo/world.txt. The build only runs the project's tools on
these files; run this again after changing it:

    /usr/bin/python3 demo/generator/generate.py

It needs Python 3 with numpy and PIL (Debian: python3-numpy, python3-pil).
"""
import os
import shutil
import sys

import numpy as np
from PIL import Image

sys.dont_write_bytecode = True  # nothing but sources in the repository
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import ground  # noqa: E402
import objects as ob  # noqa: E402
import walker  # noqa: E402
import world  # noqa: E402
from raytrace import Picture, outlined, render, shadow_decal  # noqa: E402

DEMO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(DEMO, "art")


class SpriteOut:
    """One sprite: its folder, its file name in the world, and its manifest."""

    def __init__(self, folder, sprite_id, fmt, transparency, note):
        self.folder, self.id = folder, sprite_id
        self.file = folder + ".spr"
        self.lines = ["# " + note, "id %d" % sprite_id, "format %s" % fmt, "transparency %s" % transparency]
        self.transparency = transparency
        os.makedirs(os.path.join(ART, folder), exist_ok=True)

    def save(self, name, pic):
        a = np.clip(pic.rgba, 0, 1)
        out = (a * 255 + 0.5).astype(np.uint8)
        if self.transparency == "key":
            out[..., 3] = np.where(a[..., 3] >= 0.5, 255, 0)
            out[out[..., 3] == 0] = 0
        elif self.transparency == "opaque":
            out[..., 3] = 255
        Image.fromarray(out, "RGBA").save(os.path.join(ART, self.folder, name), optimize=True)

    def write(self):
        with open(os.path.join(ART, self.folder, "sprite.txt"), "w") as f:
            f.write("\n".join(self.lines) + "\n")


# ---------------------------------------------------------------- objects

# kind -> (sprite folder, direction of variant 0, builder of variant v)
KINDS = {
    "oak": ("trees", 0, lambda v: ob.oak(10 + v, (1.0, 0.9, 1.1)[v])),
    "birch": ("trees", 3, lambda v: ob.birch(20 + v)),
    "pine": ("trees", 4, lambda v: ob.pine(30 + v, (1.0, 1.2)[v])),
    "bush": ("bushes", 0, lambda v: ob.bush(40 + v, (None, (234, 122, 160), (240, 240, 236))[v])),
    "flowers": ("bushes", 3, lambda v: ob.flowers(50 + v, ([(244, 214, 80), (250, 250, 244)],
                                                            [(226, 90, 110), (244, 180, 200)],
                                                            [(140, 120, 220), (250, 250, 244)])[v])),
    "rock": ("rocks", 0, lambda v: ob.rock(60 + v, (0.9, 0.6, 1.35)[v], moss=v != 1)),
    "fence": ("fence", 0, lambda v: ob.fence(v == 1, 70 + v)),
    "wall": ("walls", 0, lambda v: ob.wall(v % 2 == 1, 80 + v, broken=v >= 2)),
    "well": ("well", 0, lambda v: ob.well()),
    "lamp": ("lamp", 0, lambda v: ob.lamp()),
    "cottage": ("houses", 0, lambda v: ob.cottage()),
    "stone_house": ("houses", 1, lambda v: ob.stone_house()),
    "shed": ("houses", 2, lambda v: ob.shed()),
    "sign_posts": ("signposts", 0, lambda v: ob.sign_posts()),
    "crate": ("props", 0, lambda v: ob.crate(90)),
    "crates": ("props", 1, lambda v: ob.crates(91)),
    "barrel": ("props", 2, lambda v: ob.barrel(92)),
    "stump": ("props", 3, lambda v: ob.stump(93)),
}

# folder -> (sprite id, stored format, transparency, what it holds)
SPRITES = {
    "walker": (2, "888", "alpha", "the walking figure: walk in directions 0-7, eight frames a step"),
    "grass": (10, "565", "key", "grass floor tiles, and grass spilling over their edges"),
    "sand": (11, "565", "key", "sand floor tiles"),
    "path": (12, "565", "key", "dirt path floor tiles"),
    "paving": (13, "565", "key", "stone paving floor tiles"),
    "water": (14, "565", "key", "shallow and deep water floor tiles"),
    "sea": (15, "565", "key", "deep water in blocks of 8 x 8 cells, for the lake around the map"),
    "jetty": (16, "888", "key", "the planks of the jetty, laid over the water tiles"),
    "shadows": (17, "888", "alpha", "the shadows the objects cast, laid on the floor"),
    "trees": (20, "888", "alpha", "oaks, a birch and pines, with soft contours"),
    "bushes": (21, "565", "key", "bushes and flower clumps"),
    "rocks": (22, "565", "key", "rocks"),
    "fence": (23, "565", "key", "fence pieces along x and along y"),
    "walls": (24, "888", "key", "dry-stone walls along x and along y, whole and fallen"),
    "well": (25, "888", "alpha", "the village well"),
    "lamp": (26, "565", "key", "a lamp post"),
    "houses": (27, "888", "key", "a cottage (3 x 2 cells), a stone house (2 x 2), a shed (2 x 1)"),
    "signposts": (28, "565", "key", "the posts of a signboard"),
    "signboards": (29, "888", "opaque", "signboards: whole rectangles drawn without colour key"),
    "props": (30, "565", "key", "a crate, stacked crates, a barrel, a stump"),
}


def object_sprites(used, sprites):
    """Renders every (kind, variant) the map uses. Returns their directions
    and their shadows' pictures."""
    placed, shadows = {}, {}
    for kind, variant in sorted(used):
        folder, first, builder = KINDS[kind]
        out = sprites[folder]
        prims = builder(variant)
        soft = out.transparency == "alpha"
        pic = outlined(render(prims), soft=soft, keyed=not soft)
        name = "%s%d.png" % (kind, variant)
        out.save(name, pic)
        direction = first + variant
        placed[(kind, variant)] = (out.id, direction)
        out.lines += ["animation idle direction %d" % direction,
                      "frame %s anchor=%d,%d" % (name, pic.anchor[0], pic.anchor[1])]
        strength = 0.34 if kind in ("flowers", "fence") else 0.42
        shadows[(kind, variant)] = shadow_decal(prims, strength=strength)
    return placed, shadows


FONT = {
    "W": ["10001", "10001", "10101", "10101", "01010"], "M": ["10001", "11011", "10101", "10001", "10001"],
    "E": ["111", "100", "110", "100", "111"], "L": ["100", "100", "100", "100", "111"],
    "C": ["011", "100", "100", "100", "011"], "O": ["010", "101", "101", "101", "010"],
    ">": ["100", "110", "111", "110", "100"],
}


def signboard(text):
    """A painted board facing the viewer, a whole rectangle."""
    w, h = 38, 17
    wood = np.array([176, 134, 86]) / 255
    img = np.ones((h, w, 3)) * wood
    rng = np.random.default_rng(len(text))
    for y in range(h):
        img[y] *= (0.94 + 0.06 * np.sin(np.arange(w) * 0.9 + y * 2.1) * rng.uniform(0.5, 1))[:, None]
    img[5::5] *= 0.82
    dark = np.array([92, 62, 42]) / 255
    img[0, :], img[-1, :], img[:, 0], img[:, -1] = dark, dark * 0.8, dark, dark * 0.8
    img[1, 1:-1] = wood * 1.15
    img[-2, 1:-1] *= 0.8
    glyphs = [FONT[c] for c in text]
    width = sum(len(g[0]) for g in glyphs) + len(glyphs) - 1
    x = (w - width) // 2
    paint = np.array([60, 40, 30]) / 255
    for g in glyphs:
        for gy, row in enumerate(g):
            for gx, bit in enumerate(row):
                if bit == "1":
                    img[6 + gy, x + gx] = paint
                    img[7 + gy, x + gx] = np.maximum(img[7 + gy, x + gx], wood * 0.9)
        x += len(g[0]) + 1
    rgba = np.concatenate([img, np.ones((h, w, 1))], -1)
    return Picture(rgba, (19, 29))


# ---------------------------------------------------------------- the floor

def neighbours_of(w, x, y):
    return {d: (w.t(x + d[0], y + d[1]) if world.LO <= x + d[0] < world.HI and world.LO <= y + d[1] < world.HI
                else w.t(x, y)) for d in ground.NEIGHBOURS}


def tile_key(w, x, y):
    t = w.t(x, y)
    near = neighbours_of(w, x, y)
    if t == ground.PAVING:
        near = {d: (v == ground.PAVING) for d, v in near.items() if not (d[0] and d[1])}
    else:
        near = {d: v for d, v in near.items() if v > t and v != ground.PAVING}
    plain = not near
    if t == ground.GRASS:
        variant = world.grass_variant(x, y) if plain else world.grass_variant(x, y) % 2
    else:
        variant = (x * 3 + y * 5) % (3 if plain else 2)
    return (t, variant, tuple(sorted(near.items())))


GROUND_SPRITE = {ground.GRASS: "grass", ground.SAND: "sand", ground.PATH: "path", ground.PAVING: "paving",
                 ground.SHALLOW: "water", ground.DEEP: "water"}


def floor_tiles(w, sprites):
    """Floor lines: every cell of the map and of the margin, the margin's
    open lake in blocks of 8 x 8 cells."""
    keys = {}
    for x in range(world.LO, world.HI):
        for y in range(world.LO, world.HI):
            keys[(x, y)] = tile_key(w, x, y)
    deep_plain = {k for k in set(keys.values()) if k[0] == ground.DEEP and not k[2]}
    covered = set()
    blocks = []
    for bx in range(world.LO, world.HI, 8):
        for by in range(world.LO, world.HI, 8):
            cells = [(bx + i, by + j) for i in range(8) for j in range(8)]
            if all(keys[c] in deep_plain for c in cells) and not any(world.in_map(*c) for c in cells):
                blocks.append((bx, by))
                covered.update(cells)
    # Tile pictures, one direction of their terrain's sprite each.
    index = {}
    sheets = {}
    for cell in sorted(keys, key=lambda c: (c[0] - c[1], c[0])):
        if cell in covered:
            continue
        key = keys[cell]
        if key not in index:
            folder = GROUND_SPRITE[key[0]]
            sheet = sheets.setdefault(folder, [])
            index[key] = (folder, len(sheet))
            near = dict(neighbours_of(w, *cell))
            sheet.append(ground.rgba(ground.tile(key[0], key[1], near)))
    lines = []
    for cell in sorted(keys, key=lambda c: (c[0] - c[1], c[0])):
        if cell in covered:
            continue
        folder, direction = index[keys[cell]]
        lines.append("floor %d %d 0 %d floor %d" % (cell[0], cell[1], sprites[folder].id, direction))
    for folder, tiles in sheets.items():
        write_sheet(sprites[folder], tiles)
    # The lake block: 8 x 8 plain deep tiles in their usual variants.
    block = np.zeros((160, 320, 4))
    for i in range(8):
        for j in range(8):
            key = (ground.DEEP, ((i * 3 + j * 5) % 3), ())
            t = ground.rgba(ground.tile(ground.DEEP, key[1], {d: ground.DEEP for d in ground.NEIGHBOURS}))
            ox, oy = 20 * (i + j), 70 + 10 * (i - j)
            region = block[oy:oy + 20, ox:ox + 40]
            region[t[..., 3] > 0] = t[t[..., 3] > 0]
    sea = sprites["sea"]
    sea.save("block.png", Picture(block, (20, 80)))
    sea.lines += ["animation floor direction 0", "frame block.png anchor=20,80"]
    for bx, by in blocks:
        lines.append("floor %d %d 0 %d floor 0" % (bx, by, sea.id))
    return lines, len(index), len(blocks)


def write_sheet(out, tiles):
    columns = 16
    rows = (len(tiles) + columns - 1) // columns
    sheet = np.zeros((rows * ground.HGT, columns * ground.W, 4))
    for i, t in enumerate(tiles):
        r, c = divmod(i, columns)
        sheet[r * ground.HGT:(r + 1) * ground.HGT, c * ground.W:(c + 1) * ground.W] = t
    out.save("tiles.png", Picture(sheet, (0, 0)))
    out.lines.append("anchor 20 10")
    for i in range(len(tiles)):
        r, c = divmod(i, columns)
        out.lines += ["animation floor direction %d" % i, "sheet tiles.png 40x20 row %d columns %d-%d" % (r, c, c)]


def jetty(sprites):
    """Planks a little above the water, their posts going down into it."""
    from raytrace import Material, box
    plank = Material(ob.WOOD, lambda p, lp, n: np.where(
        np.abs((lp[..., 0] * 5) % 1.0 - 0.5) > 0.45, 0.62, 0.92 + 0.12 * ob.value_noise(p * [2, 20, 2], 1, 4)))
    post = Material(ob.WOOD_DARK)
    prims = [box(plank, (-0.5, -0.36, 0.1), (0.5, 0.36, 0.17))]
    for x in (-0.4, 0.4):
        for y in (-0.36, 0.36):
            prims.append(box(post, (x - 0.05, y - 0.05, -0.25), (x + 0.05, y + 0.05, 0.2)))
    pic = outlined(render(prims), keyed=True)
    out = sprites["jetty"]
    out.save("planks.png", pic)
    out.lines += ["animation floor direction 0", "frame planks.png anchor=%d,%d" % pic.anchor]
    return ["floor %d %d 0 %d floor 0" % (x, y, out.id) for x, y in sorted(world.JETTY, key=lambda c: c[1] - c[0])]


# ---------------------------------------------------------------- the walker

def walker_sprite(out):
    frames = walker.walker_frames()
    h, w = frames[0][0].rgba.shape[:2]
    sheet = np.zeros((8 * h, walker.FRAMES * w, 4))
    for d in range(8):
        for f in range(walker.FRAMES):
            sheet[d * h:(d + 1) * h, f * w:(f + 1) * w] = frames[d][f].rgba
    out.save("walk.png", Picture(sheet, (0, 0)))
    ax, ay = frames[0][0].anchor
    # The step line gives frame f of each direction f/8 of the cell's screen
    # vector as its offset, and an eighth of the step's time.
    out.lines += ["anchor %d %d" % (ax, ay), "animation walk directions 0-7",
                  "sheet walk.png %dx%d" % (w, h), "step %d" % walker.STEP_MS]


# ---------------------------------------------------------------- the map

LETTERS = {(ground.GRASS, False): ".", (ground.GRASS, True): "T", (ground.SAND, False): ",",
           (ground.SAND, True): "R", (ground.PATH, False): ":", (ground.PATH, True): "P",
           (ground.PAVING, False): "o", (ground.PAVING, True): "O", (ground.SHALLOW, True): "~",
           (ground.DEEP, True): "=", (ground.SHALLOW, False): "j", (ground.DEEP, False): "j"}
LEGEND = [(".", "open", "grass"), ("T", "blocked", "grass under a tree, a house, a rock..."),
          (",", "open", "sand"), ("R", "blocked", "sand under a rock"), (":", "open", "dirt path"),
          ("P", "blocked", "path under something"), ("o", "open", "paving"),
          ("O", "blocked", "paving under the well or a lamp"), ("~", "blocked", "shallow water"),
          ("=", "blocked", "deep water"), ("j", "open", "the jetty's planks over the water")]


def world_text(w, sprites, floors, placed, shadow_dirs):
    out = ["# The demo world, written by demo/generator/generate.py: change that, not this.",
           "# %d x %d cells; floor tiles cover the map and the lake around it." % (world.SIZE, world.SIZE),
           "header 0", ""]
    for folder in sorted(sprites, key=lambda f: sprites[f].id):
        out.append("sprite %d %s" % (sprites[folder].id, sprites[folder].file))
    out.append("")
    for letter, state, note in LEGEND:
        out.append("legend %s %s    # %s" % (letter, state, note))
    out += ["", "# Row y = 0 first; a step along a row goes down and right on the screen.", "grid"]
    for y in range(world.SIZE):
        out.append("  " + "".join(LETTERS[(w.t(x, y), bool(w.blocked[x, y]))] for x in range(world.SIZE)))
    out += ["end", "", "# Floor tiles: the ground, the lake's blocks, the jetty, then the shadows."]
    out += floors
    everything = sorted(w.objects + w.decor, key=lambda o: (o[0] - o[1], o[0]))
    for x0, y0, x1, y1, kind, variant in everything:
        if (kind, variant) in shadow_dirs:
            out.append("floor %d %d 0 %d shadow %d" % (x0, y0, sprites["shadows"].id, shadow_dirs[(kind, variant)]))
    out += ["", "# Objects, back to front: x0 y0 x1 y1 z sprite animation direction."]
    for x0, y0, x1, y1, kind, variant in everything:
        if kind == "signboard":
            out.append("object %d %d %d %d 0 %d board %d" % (x0, y0, x1, y1, sprites["signboards"].id, variant))
        else:
            sid, direction = placed[(kind, variant)]
            out.append("object %d %d %d %d 0 %d idle %d" % (x0, y0, x1, y1, sid, direction))
    return "\n".join(out) + "\n"


def main():
    if os.path.isdir(ART):
        shutil.rmtree(ART)
    sprites = {f: SpriteOut(f, *SPRITES[f]) for f in SPRITES}
    w = world.build()
    walker_sprite(sprites["walker"])
    floors, tile_count, block_count = floor_tiles(w, sprites)
    floors += jetty(sprites)
    used = {(k, v) for _, _, _, _, k, v in w.objects + w.decor if k != "signboard"}
    placed, shadow_pics = object_sprites(used, sprites)
    shadow_dirs = {}
    for i, key in enumerate(sorted(k for k in shadow_pics if k[0] != "flowers")):
        name = "%s%d.png" % key
        sprites["shadows"].save(name, shadow_pics[key])
        sprites["shadows"].lines += ["animation shadow direction %d" % i,
                                     "frame %s anchor=%d,%d" % (name, *shadow_pics[key].anchor)]
        shadow_dirs[key] = i
    boards = sprites["signboards"]
    for i, text in enumerate(("WELCOME", ">WELL")):
        boards.save("board%d.png" % i, signboard(text))
        boards.lines += ["animation board direction %d" % i, "frame board%d.png anchor=19,29" % i]
    for s in sprites.values():
        s.write()
    with open(os.path.join(DEMO, "world.txt"), "w") as f:
        f.write(world_text(w, sprites, floors, placed, shadow_dirs))
    print("%d objects in the map, %d outside; %d ground tile pictures, %d lake blocks; %d open cells sealed"
          % (len(w.objects), len(w.decor), tile_count, block_count, w.sealed))


if __name__ == "__main__":
    main()
