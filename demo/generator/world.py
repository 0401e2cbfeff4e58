"""The demo world's layout: an island with a village square, a cottage and
its garden, a pond, a pine wood, old walls and a jetty, in a lake that fills
the screen around it. Terrain is decided per cell over the map and a margin
outside it (seen, never walked); objects are listed with their cells."""
import numpy as np

from ground import DEEP, GRASS, PATH, PAVING, SAND, SHALLOW, WATER
from raytrace import value_noise

SIZE = 40                 # the map is SIZE x SIZE cells
MARGIN = 24               # terrain is laid this far outside the map too
LO, HI = -MARGIN, SIZE + MARGIN
SPAWN = (1, 1)
JETTY = [(0, 11), (1, 11), (2, 11), (3, 11)]


def smooth_noise(x, y, scale, seed):
    p = np.stack([np.asarray(x, float), np.asarray(y, float), np.zeros(np.shape(x))], -1)
    return value_noise(p, scale, seed)


def in_map(x, y):
    return 0 <= x < SIZE and 0 <= y < SIZE


class Layout:
    def __init__(self):
        n = HI - LO
        self.terrain = np.full((n, n), DEEP, dtype=int)    # [x - LO, y - LO]
        self.blocked = np.zeros((SIZE, SIZE), dtype=bool)  # [x, y]
        self.objects = []   # (x0, y0, x1, y1, kind, variant)
        self.decor = []     # objects outside the map: drawn, never reached
        self.clear = np.zeros((SIZE, SIZE), dtype=bool)  # no scattered things here

    def t(self, x, y):
        return self.terrain[x - LO, y - LO]

    def set(self, x, y, terrain):
        self.terrain[x - LO, y - LO] = terrain


def _distance_to(mask, cells):
    """Chebyshev distance of every cell to the nearest cell of `mask`, up to `cells`."""
    dist = np.where(mask, 0, cells + 1)
    grown = mask.copy()
    for step in range(1, cells + 1):
        g = grown.copy()
        g[1:, :] |= grown[:-1, :]
        g[:-1, :] |= grown[1:, :]
        g[:, 1:] |= grown[:, :-1]
        g[:, :-1] |= grown[:, 1:]
        g[1:, 1:] |= grown[:-1, :-1]
        g[:-1, :-1] |= grown[1:, 1:]
        g[1:, :-1] |= grown[:-1, 1:]
        g[:-1, 1:] |= grown[1:, :-1]
        dist = np.where(g & ~grown, step, dist)
        grown = g
    return dist


def _segments_near(points, width):
    xs, ys = np.mgrid[LO:HI, LO:HI]
    near = np.zeros(xs.shape, dtype=bool)
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        a, b = np.array([ax, ay], float), np.array([bx, by], float)
        ab = b - a
        t = np.clip(((xs - ax) * ab[0] + (ys - ay) * ab[1]) / (ab @ ab), 0, 1)
        d = np.hypot(xs - (ax + t * ab[0]), ys - (ay + t * ab[1]))
        near |= d <= width
    return near


def _euclid_to(mask, reach=4):
    """Distance of every cell to the nearest cell of `mask`, up to `reach`."""
    dist = np.full(mask.shape, reach + 1.0)
    for dx in range(-reach, reach + 1):
        for dy in range(-reach, reach + 1):
            shifted = np.zeros_like(mask)
            src = mask[max(0, -dx):mask.shape[0] - max(0, dx), max(0, -dy):mask.shape[1] - max(0, dy)]
            shifted[max(0, dx):mask.shape[0] - max(0, -dx), max(0, dy):mask.shape[1] - max(0, -dy)] = src
            dist = np.where(shifted, np.minimum(dist, np.hypot(dx, dy)), dist)
    return dist


def lay_terrain(w):
    xs, ys = np.mgrid[LO:HI, LO:HI]
    inside = (xs >= 0) & (ys >= 0) & (xs < SIZE) & (ys < SIZE)
    edge = np.minimum(np.minimum(xs, ys), np.minimum(SIZE - 1 - xs, SIZE - 1 - ys))
    wobble = (smooth_noise(xs, ys, 0.11, 7) - 0.5) * 5.0 + (smooth_noise(xs, ys, 0.3, 8) - 0.5) * 1.6
    land = inside & (edge + wobble >= 2.6)
    land |= inside & (xs + ys <= 13)                                # the beach the walkers start on
    land &= ~((xs <= 3) & (ys >= 8) & (ys <= 13) & (xs + ys >= 9))  # the bay of the jetty
    land |= (xs == 4) & (ys >= 7) & (ys <= 14)
    islet = np.hypot((xs + 7) / 2.2, (ys - 5) / 1.7) <= 1.0        # out in the lake, on the first screen
    islet |= np.hypot((xs + 6) / 2.0, (ys + 9) / 2.6) + (smooth_noise(xs, ys, 0.6, 5) - 0.5) * 0.4 <= 1.0
    land |= islet
    pond_shape = np.hypot((xs - 27) / 4.6, (ys - 23.5) / 3.4) + (smooth_noise(xs, ys, 0.4, 9) - 0.5) * 0.7
    pond = pond_shape <= 1.0
    land &= ~pond
    water_d = _distance_to(~land, 3)
    land_d = _euclid_to(land)
    shallow = land_d + (smooth_noise(xs, ys, 0.35, 4) - 0.5) * 1.6 <= 2.3
    terr = np.where(land, GRASS, np.where((shallow | pond) & ~(pond_shape <= 0.45), SHALLOW, DEEP))
    beach = land & (water_d <= 1)
    beach |= land & (water_d <= 2) & (smooth_noise(xs, ys, 0.3, 3) > 0.45)
    beach |= land & (xs + ys <= 5)
    beach &= ~islet | (water_d <= 1)
    terr = np.where(beach, SAND, terr)
    w.terrain = terr

    square = (xs >= 11) & (xs <= 17) & (ys >= 10) & (ys <= 15) & ~(
        ((xs == 11) | (xs == 17)) & ((ys == 10) | (ys == 15)))
    paths = [
        [(2, 2), (5, 4), (8, 7), (11, 10)],          # from the beach to the square
        [(4, 5), (5, 9), (5, 11)],                   # to the jetty
        [(11, 15), (10, 15), (8, 20), (7, 26), (6, 32), (8, 36)],  # into the wood
        [(17, 13), (21, 16), (22, 18)],             # to the pond
        [(16, 10), (20, 8), (25, 7), (30, 7)],       # to the old walls
        [(17, 15), (20, 20), (22, 27), (20, 32), (24, 35)],
    ]
    path = np.zeros(xs.shape, dtype=bool)
    for points in paths:
        path |= _segments_near(points, 0.85)
    path &= inside & ((terr == GRASS) | (terr == SAND))
    terr = np.where(path, PATH, terr)
    terr = np.where(square, PAVING, terr)
    w.terrain = terr


def grass_variant(x, y):
    h = (x * 7349 + y * 9157 + x * y * 31) % 97
    return 3 if h < 12 else (h % 3)


# ---------------------------------------------------------------- objects

def place(w, x0, y0, kind, variant=0, size=(1, 1), block=True, keep=0):
    """An object whose anchor is cell (x0, y0), spreading size[0] cells
    towards -x and size[1] towards +y; nothing is scattered within `keep`
    cells of it."""
    x1, y1 = x0 - size[0] + 1, y0 + size[1] - 1
    w.clear[max(0, x1 - keep):max(0, x0 + keep + 1), max(0, y0 - keep):max(0, y1 + keep + 1)] = True
    target = w.objects if in_map(x0, y0) else w.decor
    target.append((x0, y0, x1, y1, kind, variant))
    if block:
        for x in range(x1, x0 + 1):
            for y in range(y0, y1 + 1):
                if in_map(x, y):
                    w.blocked[x, y] = True


def free(w, x, y, terrains=(GRASS,), room=0):
    if not in_map(x, y):
        return False
    for dx in range(-room, room + 1):
        for dy in range(-room, room + 1):
            if not in_map(x + dx, y + dy) or w.blocked[x + dx, y + dy] or w.clear[x + dx, y + dy]:
                return False
            if w.t(x + dx, y + dy) not in terrains:
                return False
    return True


def place_objects(w):
    # The village square: the well in the middle, lamps at its corners.
    place(w, 14, 12, "well")
    for x, y in ((12, 11), (16, 11), (12, 14), (16, 14)):
        place(w, x, y, "lamp")
    w.clear[10:19, 9:17] = True
    place(w, 10, 16, "cottage", size=(3, 2), keep=2)
    place(w, 20, 12, "stone_house", size=(2, 2), keep=2)
    place(w, 6, 17, "shed", size=(2, 1), keep=1)
    place(w, 7, 18, "crates")
    place(w, 11, 18, "barrel")
    place(w, 21, 11, "barrel")
    place(w, 21, 14, "crate")

    # Signs: at the beach, and where the path meets the square.
    place(w, 4, 1, "sign_posts", keep=2)
    place(w, 4, 1, "signboard", 0, block=False)
    place(w, 9, 8, "sign_posts", keep=2)
    place(w, 9, 8, "signboard", 1, block=False)

    # The cottage's garden behind a fence, its gate towards the square.
    gx0, gx1, gy0, gy1 = 12, 16, 18, 21
    w.clear[gx0 - 1:gx1 + 2, gy0 - 1:gy1 + 2] = True
    for x in range(gx0, gx1 + 1):
        for y in (gy0, gy1):
            if (x, y) != (14, gy0):
                place(w, x, y, "fence", 0)
    for y in range(gy0 + 1, gy1):
        for x in (gx0, gx1):
            place(w, x, y, "fence", 1)
    for (x, y), colour in zip(((13, 19), (15, 19), (13, 20), (15, 20)), (0, 1, 2, 0)):
        place(w, x, y, "flowers", colour, block=False)
    place(w, 14, 20, "bush", 1)
    w.clear[0:6, 0:6] = True    # the beach around the walkers' start stays open

    # Old walls on the southern meadow, half fallen.
    for x in range(28, 35):
        if x not in (31,):
            place(w, x, 4, "wall", 0 if x % 3 else 2)
        if x not in (29, 30):
            place(w, x, 10, "wall", 0 if x % 2 else 2)
    for y in range(5, 10):
        if y != 7:
            place(w, 34, y, "wall", 1)
        if y not in (6, 7):
            place(w, 27, y, "wall", 1 if y % 2 else 3)
    place(w, 31, 7, "rock", 2)

    # The jetty's end, a few things at the beach.
    place(w, 4, 12, "crate")
    place(w, 2, 4, "flowers", 1, block=False)
    place(w, 4, 3, "bush", 1)
    place(w, 0, 3, "rock", 0)
    place(w, 3, 0, "rock", 1)
    place(w, 7, 1, "oak", 2)
    place(w, 1, 7, "pine", 0)
    place(w, 9, 3, "birch", 0)
    place(w, 6, 0, "bush", 2)
    place(w, 8, 5, "flowers", 1)

    rng = np.random.default_rng(11)

    def scatter(kinds, count, region, room=1, terrains=(GRASS,)):
        placed = 0
        for _ in range(count * 40):
            if placed == count:
                break
            x = int(rng.integers(region[0], region[1] + 1))
            y = int(rng.integers(region[2], region[3] + 1))
            if not free(w, x, y, terrains, room) or max(abs(x - SPAWN[0]), abs(y - SPAWN[1])) < 3:
                continue
            kind, variants = kinds[int(rng.integers(0, len(kinds)))]
            place(w, x, y, kind, int(rng.integers(0, variants)))
            placed += 1

    # The wood in the north, thinning towards the village.
    scatter([("pine", 2), ("pine", 2), ("oak", 3)], 44, (1, 16, 22, 38))
    scatter([("pine", 2), ("oak", 3)], 10, (1, 8, 20, 38))
    scatter([("oak", 3), ("birch", 1), ("pine", 2)], 14, (15, 30, 27, 37))
    scatter([("stump", 1), ("bush", 3), ("rock", 3)], 8, (1, 14, 22, 38))
    # Meadows around.
    scatter([("oak", 3), ("birch", 1)], 9, (5, 36, 2, 22), room=1)
    scatter([("bush", 3), ("rock", 3), ("flowers", 3)], 22, (2, 37, 2, 37), room=1)
    # Rocks along the shore.
    scatter([("rock", 3)], 8, (0, 39, 0, 39), room=0, terrains=(SAND,))

    # Outside the map: rocks in the shallows and a pine on the islet.
    for x, y, kind, variant in ((-7, 5, "pine", 0), (-6, 4, "rock", 1), (-8, 6, "bush", 0),
                                (-3, 9, "rock", 0), (-2, -3, "rock", 2), (6, -2, "rock", 0),
                                (-1, 16, "rock", 1), (-6, -10, "oak", 1), (-5, -8, "oak", 0),
                                (-7, -8, "bush", 2), (-4, -10, "rock", 0), (-6, -7, "flowers", 0),
                                (-11, -1, "rock", 2), (-10, 1, "rock", 1), (2, -5, "rock", 1)):
        place(w, x, y, kind, variant, block=False)


def block_terrain(w):
    for x in range(SIZE):
        for y in range(SIZE):
            if w.t(x, y) in WATER and (x, y) not in JETTY:
                w.blocked[x, y] = True


def seal_unreachable(w):
    """Blocks every open cell a walker cannot reach from the spawn cell, so
    that the open cells are one connected region."""
    seen = np.zeros_like(w.blocked)
    todo = [SPAWN]
    seen[SPAWN] = True
    while todo:
        x, y = todo.pop()
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                nx, ny = x + dx, y + dy
                if in_map(nx, ny) and not seen[nx, ny] and not w.blocked[nx, ny]:
                    seen[nx, ny] = True
                    todo.append((nx, ny))
    sealed = int(np.sum(~w.blocked & ~seen))
    w.blocked |= ~seen
    return sealed


def build():
    w = Layout()
    lay_terrain(w)
    block_terrain(w)
    place_objects(w)
    w.sealed = seal_unreachable(w)
    assert not w.blocked[SPAWN]
    return w
