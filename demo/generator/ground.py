"""Floor tiles: 40 x 20 diamonds of the terrains, each shaded at its rim so the
grid reads, with the higher terrains of the neighbour cells spilling over its
edges (grass over paths, sand into the shallows...)."""
import numpy as np

from raytrace import value_noise

W, HGT = 40, 20
DEEP, SHALLOW, SAND, PATH, GRASS, PAVING = range(6)
NAMES = {DEEP: "deep", SHALLOW: "shallow", SAND: "sand", PATH: "path", GRASS: "grass", PAVING: "paving"}
WATER = (DEEP, SHALLOW)

# Neighbours in cell steps, and the edge or corner of the diamond they touch,
# in the tile's own axes u (along x) and w (along y).
NEIGHBOURS = [(1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (1, -1), (-1, 1), (-1, -1)]

_ys, _xs = np.mgrid[0:HGT, 0:W]
CX = _xs + 0.5 - W / 2
CY = _ys + 0.5 - HGT / 2
INSIDE = np.abs(CX) / (W / 2) + np.abs(CY) / (HGT / 2) < 1.0
U = (CX / 20 + CY / 10) / 2
V = (CX / 20 - CY / 10) / 2
PIX = np.stack([CX, CY, np.zeros_like(CX)], -1)


def rgb(*c):
    return np.array(c, dtype=np.float64) / 255.0


def _noise(scale, seed, stretch=(1.0, 1.0)):
    return value_noise(PIX * [stretch[0], stretch[1], 0], scale, seed)


def _specks(seed, density):
    r = np.random.default_rng(seed).random((HGT, W))
    return r < density


def texture(terrain, variant):
    seed = terrain * 101 + variant * 7 + 1
    n1 = _noise(0.22, seed)
    n2 = _noise(0.6, seed + 1)
    if terrain == GRASS:
        base = rgb(98, 146, 64) * (0.86 + 0.2 * n1[..., None]) + rgb(10, 12, -8) * (n2[..., None] - 0.5)
        rng = np.random.default_rng(seed)
        blades = rng.random((HGT, W))
        dark = blades < 0.16
        light = blades > 0.9
        base = np.where(dark[..., None], base * 0.8, base)
        base = np.where(light[..., None], base * 1.14 + rgb(8, 10, 0), base)
        if variant == 3:
            for colour, density in ((rgb(250, 246, 226), 0.02), (rgb(246, 210, 80), 0.015)):
                spots = _specks(seed + 3 + int(colour[0] * 10), density)
                base = np.where(spots[..., None], colour, base)
        if variant == 2:
            base = base * (1.0 + 0.08 * (_noise(0.12, seed + 5)[..., None] - 0.5)) + rgb(6, 4, -4)
        return base
    if terrain == SAND:
        base = rgb(226, 204, 152) * (0.93 + 0.1 * n1[..., None] + 0.04 * n2[..., None])
        dots = _specks(seed, 0.03)
        return np.where(dots[..., None], base * 0.86, base)
    if terrain == PATH:
        base = rgb(170, 134, 94) * (0.88 + 0.16 * n1[..., None] + 0.06 * n2[..., None])
        pebbles = _specks(seed, 0.025)
        below = np.roll(pebbles, 1, 0)
        base = np.where(below[..., None], base * 0.78, base)
        return np.where(pebbles[..., None], rgb(196, 184, 164), base)
    if terrain == PAVING:
        return _cobbles(variant)
    if terrain == SHALLOW:
        base = rgb(84, 160, 176) * (0.92 + 0.12 * n1[..., None])
        return _waves(base, seed, 0.05)
    base = rgb(48, 102, 148) * (0.92 + 0.1 * n1[..., None])
    return _waves(base, seed, 0.035)


def _waves(base, seed, density):
    """Short light strokes along the screen's rows, the sun on small waves."""
    rng = np.random.default_rng(seed)
    strokes = np.zeros((HGT, W), dtype=bool)
    for _ in range(int(W * HGT * density / 3)):
        y, x = rng.integers(0, HGT), rng.integers(0, W - 4)
        strokes[y, x:x + rng.integers(2, 5)] = True
    out = np.where(strokes[..., None], base * 1.18 + rgb(22, 26, 26), base)
    shade = np.roll(strokes, 1, 0) & ~strokes
    return np.where(shade[..., None], out * 0.9, out)


def _cobbles(variant):
    """Squared setts along the tile's axes, three by three, each shaded as a
    little cushion lit from the left."""
    rng = np.random.default_rng(500 + variant)
    k = 3.0
    a = (U + 0.5) * k
    row = np.floor((V + 0.5) * k)
    a = a + 0.5 * (row % 2)
    col = np.floor(a)
    fu = a - col
    fv = (V + 0.5) * k - row
    tone = rng.uniform(0.86, 1.08, size=(8, 8))
    hue = rng.uniform(-0.03, 0.03, size=(8, 8))
    t = tone[(col.astype(int) % 8), (row.astype(int) % 8)]
    h = hue[(col.astype(int) % 8), (row.astype(int) % 8)]
    base = rgb(170, 164, 150) * t[..., None] + np.stack([h, h * 0.5, -h], -1)
    edge_u = np.minimum(fu, 1 - fu)
    edge_v = np.minimum(fv, 1 - fv)
    mortar = (edge_u < 0.08) | (edge_v < 0.1)
    lit = (fu < 0.22) | (fv > 0.78)
    dim = (fu > 0.78) | (fv < 0.22)
    base = np.where(lit[..., None], base * 1.07, np.where(dim[..., None], base * 0.9, base))
    base = base * (0.95 + 0.1 * _noise(0.5, 900 + variant)[..., None])
    return np.where(mortar[..., None], rgb(104, 100, 92), base)


def _spill_weight(dirs, seed, depth, amp, soft=0.05):
    """How far a neighbouring terrain reaches into this cell: edges with a
    wavy front that meets the cell's corners at `depth`, corners as rounds."""
    best = np.zeros((HGT, W))
    band = np.zeros((HGT, W))
    wav = _noise(0.28, seed)
    for dx, dy in dirs:
        if dx and dy:
            dist = np.hypot(0.5 - U * dx, 0.5 - V * dy)
            reach = depth
        else:
            dist = 0.5 - U * dx if dx else 0.5 - V * dy
            along = V if dx else U
            reach = depth + amp * (wav - 0.5) * (1 - 4 * along ** 2)
        w = np.clip((reach - dist) / soft + 0.5, 0, 1)
        best = np.maximum(best, w)
        band = np.maximum(band, np.clip(1 - np.abs(dist - reach - 0.06) / 0.05, 0, 1))
    return best, band * (1 - best)


def tile(terrain, variant, neighbours):
    """The picture of one cell as RGB floats, with INSIDE its diamond.
    `neighbours` maps each of NEIGHBOURS to the terrain there."""
    out = texture(terrain, variant)
    higher = sorted({t for t in neighbours.values() if t > terrain and terrain != PAVING and t != PAVING})
    for other in higher:
        dirs = [d for d, t in neighbours.items() if t == other]
        # Corners only round off where neither adjacent edge already spills.
        edges = {d for d in dirs if not (d[0] and d[1])}
        dirs = [d for d in dirs if not (d[0] and d[1]) or ((d[0], 0) not in edges and (0, d[1]) not in edges)]
        water_edge = terrain in WATER and other not in WATER
        depth = 0.2 if other != SHALLOW else 0.5
        weight, band = _spill_weight(dirs, 40 + variant, depth, 0.22 if other == GRASS else 0.14,
                                     soft=0.05 if other != SHALLOW else 0.5)
        out = out * (1 - weight[..., None]) + texture(other, 0) * weight[..., None]
        if water_edge:
            out = out * (1 - 0.7 * band[..., None]) + rgb(236, 244, 240) * (0.7 * band[..., None])
        elif other == GRASS:
            out = out * (1 - 0.25 * band[..., None])
    if terrain == PAVING:
        for (dx, dy), t in neighbours.items():
            if t != PAVING and not (dx and dy):
                dist = 0.5 - U * dx if dx else 0.5 - V * dy
                out = np.where((dist < 0.07)[..., None], rgb(140, 134, 122), out)
    return rim(out, {DEEP: 0.3, SHALLOW: 0.5}.get(terrain, 1.0))


def rim(out, strength):
    """A light upper-left rim and a dark lower-right one: the grid shows, softly."""
    inside = INSIDE
    border = np.zeros_like(inside)
    for dy, dx in ((0, 1), (1, 0), (0, -1), (-1, 0)):
        border |= inside & ~np.pad(inside, 1)[1 + dy:1 + dy + HGT, 1 + dx:1 + dx + W]
    upper, left = CY < 0, CX < 0
    factor = np.ones((HGT, W))
    factor = np.where(border & upper & left, 1.0 + 0.07 * strength, factor)
    factor = np.where(border & upper & ~left, 1.0 + 0.03 * strength, factor)
    factor = np.where(border & ~upper & ~left, 1.0 - 0.1 * strength, factor)
    factor = np.where(border & ~upper & left, 1.0 - 0.05 * strength, factor)
    return np.clip(out * factor[..., None], 0, 1)


def rgba(picture):
    """RGBA floats of a tile: transparent outside the diamond."""
    out = np.zeros((HGT, W, 4))
    out[..., :3] = picture
    out[..., 3] = INSIDE
    return out
