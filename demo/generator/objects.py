"""The scene objects of the demo world, built from solids. Every builder
returns its solids placed around the object's anchor cell, whose centre is the
world origin; multi-cell things spread towards -X and +Y from there (the
anchor is the cell nearest the viewer, the one the map's ordering compares)."""
import numpy as np

from raytrace import (Capsule, Cone, Cylinder, Ellipsoid, Material, box, cell_noise, faceted, gable,
                      value_noise, Convex)

# ---------------------------------------------------------------- palette

BARK = (104, 76, 54)
WOOD = (158, 118, 76)
WOOD_DARK = (104, 74, 50)
STONE = (156, 150, 138)
STONE_DARK = (118, 112, 106)
PLASTER = (226, 212, 182)
TIMBER = (92, 64, 46)
ROOF_RED = (178, 82, 60)
ROOF_SLATE = (92, 102, 124)
IRON = (58, 58, 66)
GLASS = (62, 84, 112)
LEAF_OAK = (78, 134, 58)
LEAF_BIRCH = (118, 156, 64)
LEAF_PINE = (44, 100, 76)


def grain(scale, amount, seed):
    return lambda p, lp, n: 1.0 - amount + amount * 2 * value_noise(lp * [scale, 1.5, 1.5], 1.0, seed)


def mottled(scale, amount, seed):
    return lambda p, lp, n: 1.0 - amount + 2 * amount * value_noise(p, scale, seed)


def leaves(seed, top=0.18):
    def pattern(p, lp, n):
        clumps = cell_noise(p + [0.0, 0.0, 0.05 * seed], 11.0, seed)
        fine = cell_noise(p, 23.0, seed + 1)
        return 0.62 + 0.42 * clumps + 0.12 * fine + top * np.clip(n[..., 2], 0, 1)
    return pattern


def stones(scale, seed, mortar=0.62):
    """Blocks of masonry on any face: rows in z, joints staggered by row."""
    def pattern(p, lp, n):
        row = np.floor(lp[..., 2] * scale * 2.0)
        along = (lp[..., 0] + lp[..., 1]) * scale + 0.5 * (row % 2)
        joint_h = np.abs(lp[..., 2] * scale * 2.0 - np.round(lp[..., 2] * scale * 2.0)) < 0.09
        joint_v = np.abs(along - np.round(along)) < 0.05
        block = cell_noise(np.stack([np.floor(along), row, 0 * row], -1), 1.0, seed)
        f = 0.82 + 0.3 * block
        top = n[..., 2] > 0.7
        return np.where(top, 0.9 + 0.2 * block, np.where(joint_h | joint_v, mortar, f))
    return pattern


# ---------------------------------------------------------------- plants

def oak(seed, size=1.0, leaf=LEAF_OAK, bark_colour=BARK):
    rng = np.random.default_rng(seed)
    bark = Material(bark_colour, grain(9, 0.18, seed))
    foliage = Material(leaf, leaves(seed))
    s = size
    prims = [Capsule(bark, (0, 0, 0), (0, 0, -0.05), (0.02, -0.02, 1.25 * s), 0.11 * s)]
    prims.append(Capsule(bark, (0, 0, 0), (0, 0, 0.75 * s), (-0.28 * s, 0.18 * s, 1.35 * s), 0.06 * s))
    prims.append(Capsule(bark, (0, 0, 0), (0, 0, 0.85 * s), (0.25 * s, -0.1 * s, 1.4 * s), 0.055 * s))
    centre = np.array([0, 0, 1.85 * s])
    for _ in range(26):
        v = rng.normal(size=3)
        v /= np.linalg.norm(v)
        r = rng.uniform(0.45, 0.95)
        pos = centre + v * r * np.array([0.62, 0.62, 0.5]) * s
        rad = rng.uniform(0.28, 0.4) * s
        prims.append(Ellipsoid(foliage, pos, (rad, rad, rad * 0.9)))
    return prims


def birch(seed):
    """A slender tree with a pale trunk and light leaves."""
    bark = Material((226, 222, 210), lambda p, lp, n: np.where(cell_noise(p * [3, 3, 1], 7, seed) > 0.8, 0.35, 1.0))
    prims = oak(seed, 0.85, LEAF_BIRCH, (226, 222, 210))
    for p in prims:
        if isinstance(p, Capsule):
            p.material = bark
    return prims


def pine(seed, size=1.0):
    rng = np.random.default_rng(seed)
    bark = Material(BARK, grain(9, 0.18, seed))
    needles = Material(LEAF_PINE, leaves(seed, top=0.1))
    s = size
    prims = [Cylinder(bark, (0, 0, 0), 0.09 * s, -0.05, 0.7 * s)]
    z, r = 0.45 * s, 0.72 * s
    for tier in range(4):
        h = (1.05 - 0.12 * tier) * s
        off = rng.normal(size=2) * 0.03 * s
        prims.append(Cone(needles, (off[0], off[1], 0), r, z, h, yaw=rng.uniform(0, 6.28)))
        z += h * 0.5
        r *= 0.74
    return prims


def bush(seed, flowers=None, size=1.0):
    rng = np.random.default_rng(seed)
    base = Material(LEAF_OAK if flowers is None else (84, 128, 60), leaves(seed, top=0.22))
    prims = []
    for _ in range(7):
        a = rng.uniform(0, 6.28)
        d = rng.uniform(0.0, 0.22) * size
        rad = rng.uniform(0.17, 0.26) * size
        prims.append(Ellipsoid(base, (np.cos(a) * d, np.sin(a) * d, rad * 0.9 + rng.uniform(0, 0.12)),
                               (rad, rad, rad * 0.85)))
    if flowers is not None:
        bloom = Material(flowers, lambda p, lp, n: 0.9 + 0.25 * cell_noise(p, 30, seed))
        for _ in range(16):
            v = rng.normal(size=3)
            v[2] = abs(v[2]) + 0.4
            v /= np.linalg.norm(v)
            pos = np.array([0, 0, 0.22]) * size + v * np.array([0.34, 0.34, 0.3]) * size
            prims.append(Ellipsoid(bloom, pos, (0.045, 0.045, 0.04)))
    return prims


def flowers(seed, colours):
    rng = np.random.default_rng(seed)
    stem = Material((70, 120, 50))
    leaf = Material((86, 140, 60), leaves(seed))
    prims = []
    for _ in range(5):
        x, y = rng.uniform(-0.22, 0.22, size=2)
        prims.append(Ellipsoid(leaf, (x, y, 0.04), (0.14, 0.09, 0.07), yaw=rng.uniform(0, 3)))
    for i in range(14):
        a, r = rng.uniform(0, 6.28), np.sqrt(rng.uniform(0, 1)) * 0.3
        x, y = np.cos(a) * r, np.sin(a) * r
        h = rng.uniform(0.14, 0.3)
        prims.append(Capsule(stem, (x, y, 0), (0, 0, 0), (0, 0, h), 0.016))
        c = colours[i % len(colours)]
        prims.append(Ellipsoid(Material(c, lambda p, lp, n: 0.92 + 0.16 * np.clip(n[..., 2], 0, 1)), (x, y, h + 0.03),
                               (0.07, 0.07, 0.045)))
    return prims


def stump(seed):
    bark = Material(BARK, grain(9, 0.2, seed))
    rings = Material((196, 160, 112), lambda p, lp, n: np.where(
        n[..., 2] > 0.8, 0.85 + 0.15 * np.cos(np.hypot(lp[..., 0], lp[..., 1]) * 90), 0.55))
    return [Cylinder(bark, (0, 0, 0), 0.2, 0.0, 0.3), Cylinder(rings, (0, 0, 0), 0.17, 0.0, 0.305),
            Capsule(bark, (0, 0, 0), (0.1, 0.05, 0.04), (0.32, 0.16, 0.0), 0.05),
            Capsule(bark, (0, 0, 0), (-0.05, -0.12, 0.04), (-0.14, -0.34, 0.0), 0.045)]


def rock(seed, size=1.0, moss=False):
    rng = np.random.default_rng(seed)
    grey = Material(STONE, lambda p, lp, n: (0.82 + 0.3 * value_noise(p, 7, seed)) *
                    np.where(moss & (n[..., 2] > 0.75), 1.0, 1.0))
    if moss:
        def pattern(p, lp, n):
            base = np.array(STONE) / 255.0 * (0.82 + 0.3 * value_noise(p, 7, seed))[..., None]
            green = np.array([96, 132, 62]) / 255.0 * (0.8 + 0.3 * cell_noise(p, 20, seed))[..., None]
            top = np.clip((n[..., 2] - 0.55) * 4 + (value_noise(p, 5, seed + 3) - 0.5) * 2, 0, 1)[..., None]
            return base * (1 - top) + green * top
        grey = Material(STONE, pattern)
    radii = np.array([0.36, 0.3, 0.3]) * size * rng.uniform(0.85, 1.1, size=3)
    return [faceted(grey, (0, 0, 0), radii, 14, rng, yaw=rng.uniform(0, 6.28))]


# ---------------------------------------------------------------- wood and stone work

def fence(along_y=False, seed=0):
    """One cell of fence through the cell's middle, posts at both ends."""
    wood = Material(WOOD, grain(10, 0.22, seed))
    post = Material(WOOD_DARK, grain(14, 0.2, seed + 1))
    yaw = np.pi / 2 if along_y else 0.0
    prims = []
    for x in (-0.5, 0.5):
        prims.append(box(post, (x - 0.05, -0.05, 0), (x + 0.05, 0.05, 0.62), yaw=yaw))
        prims.append(Convex(post, (0, 0, 0), [[0, 0, -1], [1, 0, 1], [-1, 0, 1], [0, 1, 1], [0, -1, 1]],
                            [-0.62, x + 0.05 + 0.62 + 0.07, -(x - 0.05) + 0.62 + 0.07, 0.05 + 0.62 + 0.07,
                             0.05 + 0.62 + 0.07], ([x - 0.05, -0.05, 0.62], [x + 0.05, 0.05, 0.7]), yaw=yaw))
    for z in (0.22, 0.46):
        prims.append(box(wood, (-0.5, -0.03, z), (0.5, 0.03, z + 0.07), yaw=yaw))
    return prims


def wall(along_y=False, seed=0, broken=False):
    """A dry-stone wall one cell long: courses of uneven stones."""
    rng = np.random.default_rng(seed)
    yaw = np.pi / 2 if along_y else 0.0
    prims = []
    z = 0.0
    courses = 2 if broken else 3
    for course in range(courses):
        h = rng.uniform(0.17, 0.22)
        x = -0.5
        while x < 0.5 - 1e-6:
            w = min(rng.uniform(0.22, 0.36), 0.5 - x)
            shade = rng.uniform(0.85, 1.1)
            m = Material(tuple(np.array(STONE) * shade), mottled(9, 0.1, seed + course))
            th = 0.16 - 0.02 * course
            prims.append(box(m, (x + 0.01, -th, z), (x + w - 0.01, th, z + h - 0.015), yaw=yaw))
            x += w
        z += h
    return prims


def well():
    ring = Material(STONE, stones(3.2, 11))
    water = Material((40, 66, 92), lambda p, lp, n: 0.8 + 0.4 * value_noise(p, 14, 2))
    post = Material(WOOD_DARK, grain(12, 0.2, 4))
    roof = Material(ROOF_RED, lambda p, lp, n: np.where(
        np.abs(lp[..., 1] * 14 - np.round(lp[..., 1] * 14)) < 0.12, 0.7, 1.0) * (0.9 + 0.2 * cell_noise(p, 12, 5)))
    rope = Material((200, 180, 130))
    return [
        Cylinder(ring, (0, 0, 0), 0.4, 0.0, 0.48),
        Cylinder(water, (0, 0, 0), 0.3, 0.0, 0.485),
        box(post, (-0.05, -0.42, 0), (0.05, -0.32, 1.3)),
        box(post, (-0.05, 0.32, 0), (0.05, 0.42, 1.3)),
        Capsule(post, (0, 0, 0), (0, -0.34, 1.0), (0, 0.34, 1.0), 0.035),
        Capsule(rope, (0, 0, 0), (0, 0.0, 1.0), (0, 0.0, 0.72), 0.012),
        Cylinder(Material(WOOD, grain(10, 0.2, 6)), (0, 0, 0), 0.08, 0.58, 0.72),
        gable(roof, 0.5, 0.42, 1.22, 0.38, yaw=np.pi / 2),
    ]


def lamp():
    iron = Material(IRON, shine=0.5)
    glass = Material((255, 222, 140), lambda p, lp, n: 0.85 + 0.15 * (1 - np.abs(lp[..., 2] - 1.52) * 6), glow=True)
    return [
        box(iron, (-0.09, -0.09, 0), (0.09, 0.09, 0.12)),
        Capsule(iron, (0, 0, 0), (0, 0, 0.1), (0, 0, 1.4), 0.035),
        box(iron, (-0.1, -0.1, 1.38), (0.1, 0.1, 1.42)),
        box(glass, (-0.075, -0.075, 1.42), (0.075, 0.075, 1.64)),
        Cone(iron, (0, 0, 0), 0.13, 1.63, 0.14),
        Ellipsoid(iron, (0, 0, 1.8), (0.03, 0.03, 0.03)),
    ]


def crate(seed=0):
    def planks(p, lp, n):
        a = np.abs(n)
        u = np.where(a[..., 2] > 0.5, lp[..., 0], lp[..., 2])
        edge = np.max(np.abs(lp) > 0.205, axis=-1) & (np.sum(np.abs(lp) > 0.205, axis=-1) >= 2)
        line = np.abs(u * 10 - np.round(u * 10)) < 0.08
        return np.where(edge, 0.62, np.where(line, 0.7, 0.95 + 0.1 * value_noise(lp * [30, 3, 3], 1, seed)))
    return [box(Material(WOOD, planks), (-0.24, -0.24, 0), (0.24, 0.24, 0.48), yaw=0.0)]


def crates(seed=0):
    prims = [p for p in crate(seed)]
    b = crate(seed + 1)[0]
    b.c = np.array([-0.05, 0.02, 0.48])
    b.r = np.array([[np.cos(0.3), -np.sin(0.3), 0], [np.sin(0.3), np.cos(0.3), 0], [0, 0, 1]])
    prims.append(b)
    return prims


def barrel(seed=0):
    def staves(p, lp, n):
        angle = np.arctan2(lp[..., 1], lp[..., 0])
        stave = np.abs(angle * 14 / np.pi - np.round(angle * 14 / np.pi)) < 0.06
        hoop = (np.abs(lp[..., 2] - 0.1) < 0.035) | (np.abs(lp[..., 2] - 0.5) < 0.035)
        top = n[..., 2] > 0.8
        return np.where(hoop & ~top, 0.45, np.where(stave & ~top, 0.72, np.where(top, 0.8, 1.0)))
    return [Cylinder(Material(WOOD, staves), (0, 0, 0), 0.2, 0.0, 0.6),
            Cylinder(Material(WOOD, staves), (0, 0, 0), 0.215, 0.16, 0.44)]


def sign_posts():
    post = Material(WOOD_DARK, grain(14, 0.2, 7))
    return [box(post, (-0.05, -0.05, 0), (0.05, 0.05, 1.22), centre=(0.45, 0.45, 0)),
            box(post, (-0.05, -0.05, 0), (0.05, 0.05, 1.22), centre=(-0.45, -0.45, 0))]


# ---------------------------------------------------------------- buildings

def _walls_pattern(kind, door_face, door_at, windows, seed):
    """Plaster with timber, or masonry; a door and windows on the faces.
    Faces are named by their outward axis: '-y', '+x' (the two in view)."""
    def pattern(p, lp, n):
        if kind == "stone":
            f = stones(3.0, seed)(p, lp, n)
            base = np.array(STONE) / 255 * f[..., None]
        else:
            base = np.array(PLASTER) / 255 * (0.94 + 0.08 * value_noise(p, 6, seed))[..., None]
        out = base.copy()
        z = lp[..., 2]
        face_y = np.abs(n[..., 1]) > 0.7
        face_x = np.abs(n[..., 0]) > 0.7
        u = np.where(face_y, lp[..., 0], lp[..., 1])
        timber = np.array(TIMBER) / 255
        if kind == "timber":
            beam = (z < 0.09) | (np.abs(z - 0.85) < 0.045)
            posts = np.abs(u * 1.25 - np.round(u * 1.25)) < 0.05
            brace = np.abs(((u * 1.25) % 1.0) - (z % 0.85) / 0.85) < 0.06
            brace &= z < 0.85
            out = np.where((beam | posts | brace)[..., None], timber * 1.05, out)
        for face, centre, width, height, bottom in windows + [(door_face, door_at, 0.36, 0.78, 0.0)]:
            on = face_y if face in ("-y", "+y") else face_x
            sign = -1 if face[0] == "-" else 1
            axis = 1 if face in ("-y", "+y") else 0
            on = on & (np.sign(n[..., axis]) == sign)
            inside = on & (np.abs(u - centre) < width / 2) & (z > bottom) & (z < bottom + height)
            frame = on & (np.abs(u - centre) < width / 2 + 0.05) & (z > bottom - 0.05) & (z < bottom + height + 0.05)
            is_door = bottom == 0.0
            if is_door:
                plank = np.abs(((u - centre) * 9) % 1.0 - 0.5) > 0.42
                door = np.array([118, 74, 46]) / 255 * np.where(plank, 0.7, 1.0)[..., None]
                out = np.where(frame[..., None], timber * 0.9, out)
                out = np.where(inside[..., None], door, out)
            else:
                cross = (np.abs(u - centre) < 0.018) | (np.abs(z - bottom - height / 2) < 0.018)
                pane = np.array(GLASS) / 255 * (1.0 + 0.5 * (z - bottom) / height)[..., None]
                out = np.where(frame[..., None], np.array([236, 228, 210]) / 255 if kind == "stone" else timber, out)
                out = np.where((inside & ~cross)[..., None], pane, out)
                sill = on & (np.abs(u - centre) < width / 2 + 0.08) & (np.abs(z - bottom + 0.06) < 0.03)
                out = np.where(sill[..., None], np.array(WOOD) / 255, out)
        return out
    return pattern


def _roof_pattern(colour, seed, rows=9.0):
    def pattern(p, lp, n):
        slope = np.abs(lp[..., 1]) * rows
        row = np.floor(slope)
        seam = (slope - row) > 0.82
        col = np.floor(lp[..., 0] * 6 + 0.5 * (row % 2))
        tile = cell_noise(np.stack([col, row, 0 * row], -1), 1.0, seed)
        joint = np.abs(lp[..., 0] * 6 + 0.5 * (row % 2) - np.round(lp[..., 0] * 6 + 0.5 * (row % 2))) < 0.05
        f = np.where(seam, 0.62, np.where(joint, 0.8, 0.88 + 0.2 * tile))
        return np.array(colour) / 255 * f[..., None]
    return pattern


def _roof(colour, half_x, half_y, eave, rise, centre, yaw, seed, thickness=0.07):
    """Two sloped slabs meeting at a ridge along local x, and nothing under them."""
    m = Material(colour, _roof_pattern(colour, seed))
    prims = []
    for side in (1, -1):
        n_top = np.array([0, side * rise, half_y])
        d_top = rise * half_y + half_y * eave
        length = np.linalg.norm(n_top)
        normals = [n_top, -n_top, [1, 0, 0], [-1, 0, 0], [0, -side, 0], [0, side, 0]]
        offsets = [d_top, -(d_top - thickness * length), half_x, half_x, 0.0, half_y]
        lo = [-half_x, min(0, side * half_y), eave - thickness * 2]
        hi = [half_x, max(0, side * half_y), eave + rise]
        prims.append(Convex(m, centre, normals, offsets, (lo, hi), yaw=yaw))
    return prims


def house(width, depth, kind, roof_colour, seed, ridge_along_y=False, door_face="-y", door_at=None,
          windows=(), chimney=None, wall_height=1.55, rise=0.9):
    """A house on width (along -X) by depth (along +Y) cells."""
    cx = -(width - 1) / 2.0
    cy = (depth - 1) / 2.0
    hx, hy = width / 2.0 - 0.12, depth / 2.0 - 0.12
    walls = Material(PLASTER, _walls_pattern(kind, door_face, door_at if door_at is not None else 0.0,
                                             list(windows), seed))
    prims = [box(walls, (-hx, -hy, 0), (hx, hy, wall_height), centre=(cx, cy, 0))]
    yaw = np.pi / 2 if ridge_along_y else 0.0
    rx, ry = (hy, hx) if ridge_along_y else (hx, hy)
    over = 0.2
    # The roof's underside rests on the wall tops; the gables follow it up to the ridge.
    eave = wall_height + 0.08 - rise * over / (ry + over)
    prims.append(gable(walls, rx, ry, wall_height, rise * ry / (ry + over), centre=(cx, cy, 0), yaw=yaw))
    prims += _roof(roof_colour, rx + 0.16, ry + over, eave, rise, (cx, cy, 0), yaw, seed)
    if chimney is not None:
        brick = Material((150, 88, 70), stones(5.0, seed + 9, mortar=0.7))
        x, y = chimney
        prims.append(box(brick, (-0.14, -0.14, wall_height), (0.14, 0.14, wall_height + rise + 0.45),
                         centre=(cx + x, cy + y, 0)))
        prims.append(box(Material((60, 50, 48)), (-0.165, -0.165, wall_height + rise + 0.45),
                         (0.165, 0.165, wall_height + rise + 0.52), centre=(cx + x, cy + y, 0)))
    return prims


def cottage():
    """3 x 2 cells, timber-framed, red tiles, the door on the side in view."""
    return house(3, 2, "timber", ROOF_RED, 21, door_face="-y", door_at=-0.25,
                 windows=[("-y", -1.0 + 0.15, 0.34, 0.42, 0.7), ("-y", 0.55 + 0.15, 0.34, 0.42, 0.7),
                          ("+x", 0.0, 0.34, 0.42, 0.7)],
                 chimney=(-0.9, 0.35))


def stone_house():
    """2 x 2 cells, masonry, slate roof with its ridge the other way."""
    return house(2, 2, "stone", ROOF_SLATE, 33, ridge_along_y=True, door_face="+x", door_at=0.1,
                 windows=[("-y", 0.0, 0.32, 0.4, 0.72), ("+x", -0.5, 0.26, 0.36, 0.95)],
                 chimney=(0.3, 0.5), wall_height=1.45, rise=0.85)


def shed():
    """2 x 1 cells of boards under a low roof."""
    boards = Material(WOOD, lambda p, lp, n: np.where(
        np.abs(((lp[..., 0] + lp[..., 1]) * 9) % 1.0 - 0.5) > 0.44, 0.68, 0.92 + 0.1 * value_noise(p * [2, 2, 20], 1, 3)))
    prims = [box(boards, (-0.85, -0.36, 0), (0.85, 0.36, 1.05), centre=(-0.5, 0, 0))]
    prims.append(box(Material((60, 42, 34)), (-0.22, -0.37, 0), (0.22, -0.34, 0.8), centre=(-0.5, 0, 0)))
    prims += _roof((120, 92, 70), 1.0, 0.55, 0.98, 0.45, (-0.5, 0, 0), 0.0, 44)
    prims.append(gable(boards, 0.85, 0.36, 1.05, 0.25, centre=(-0.5, 0, 0)))
    return prims
