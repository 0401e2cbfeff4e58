"""A tiny orthographic ray tracer in the map's projection.

World units are cells: X and Y are the map's tile axes, Z is height. A point
lands on the screen at (20 (X + Y), 10 (X - Y) - H Z) pixels from the tile's
drawing position; with H = sqrt(600) that is a true orthographic view, so the
lighting of the solids matches what the eye expects from the 2:1 diamonds.
"""
import numpy as np

H = float(np.sqrt(600.0))  # pixels per unit of height


def normalize(v):
    v = np.asarray(v, dtype=np.float64)
    return v / np.linalg.norm(v, axis=-1, keepdims=True)


VIEW = normalize([1.0, -1.0, 20.0 / H])   # from the scene towards the eye
LIGHT = normalize([-0.55, -0.85, 1.25])   # towards the sun: from the screen's left, high up
INF = np.inf
EPS = 1e-4


def to_screen(p):
    p = np.asarray(p, dtype=np.float64)
    return 20.0 * (p[..., 0] + p[..., 1]), 10.0 * (p[..., 0] - p[..., 1]) - H * p[..., 2]


def ground_point(sx, sy):
    x = (sx / 20.0 + sy / 10.0) / 2.0
    y = (sx / 20.0 - sy / 10.0) / 2.0
    return np.stack([x, y, np.zeros_like(x)], axis=-1)


def yaw_matrix(angle):
    c, s = np.cos(angle), np.sin(angle)
    return np.array([[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]])


# ---------------------------------------------------------------- primitives

class Prim:
    """A solid placed at `centre`, turned by `yaw` about the vertical axis."""

    def __init__(self, material, centre=(0, 0, 0), yaw=0.0, tag=None):
        self.material = material
        self.c = np.asarray(centre, dtype=np.float64)
        self.r = yaw_matrix(yaw)
        self.tag = tag

    def hit(self, o, d):
        lo = (o - self.c) @ self.r
        ld = d @ self.r
        t, n = self.local_hit(lo, ld)
        return t, n @ self.r.T

    def local_point(self, p):
        return (p - self.c) @ self.r

    def corners(self):
        lo, hi = self.local_box()
        pts = np.array([[x, y, z] for x in (lo[0], hi[0]) for y in (lo[1], hi[1]) for z in (lo[2], hi[2])])
        return pts @ self.r.T + self.c


def _nearest(t0, t1):
    """The first of two roots ahead of the ray, else INF."""
    t = np.where(t0 > EPS, t0, np.where(t1 > EPS, t1, INF))
    return t


class Ellipsoid(Prim):
    def __init__(self, material, centre, radii, yaw=0.0, tag=None):
        super().__init__(material, centre, yaw, tag)
        self.radii = np.asarray(radii, dtype=np.float64)

    def local_hit(self, o, d):
        o2, d2 = o / self.radii, d / self.radii
        a = np.sum(d2 * d2, axis=-1)
        b = 2.0 * np.sum(o2 * d2, axis=-1)
        c = np.sum(o2 * o2, axis=-1) - 1.0
        disc = b * b - 4 * a * c
        ok = disc >= 0
        sq = np.sqrt(np.where(ok, disc, 0.0))
        t = np.where(ok, _nearest((-b - sq) / (2 * a), (-b + sq) / (2 * a)), INF)
        p = o + np.where(np.isfinite(t), t, 0.0)[..., None] * d
        n = normalize(p / (self.radii ** 2) + 1e-12)
        return t, n

    def local_box(self):
        return -self.radii, self.radii


class Capsule(Prim):
    """A rod with round ends from local point a to local point b."""

    def __init__(self, material, centre, a, b, radius, yaw=0.0, tag=None):
        super().__init__(material, centre, yaw, tag)
        self.a = np.asarray(a, dtype=np.float64)
        self.b = np.asarray(b, dtype=np.float64)
        self.radius = radius

    def local_hit(self, o, d):
        ba = self.b - self.a
        oa = o - self.a
        baba = ba @ ba
        bard = d @ ba
        baoa = oa @ ba
        rdoa = np.sum(d * oa, axis=-1)
        oaoa = np.sum(oa * oa, axis=-1)
        dd = np.sum(d * d, axis=-1)
        k2 = baba * dd - bard * bard
        k1 = baba * rdoa - baoa * bard
        k0 = baba * oaoa - baoa * baoa - self.radius ** 2 * baba
        h = k1 * k1 - k2 * k0
        ok = (h >= 0) & (np.abs(k2) > 1e-12)
        sq = np.sqrt(np.where(ok, h, 0.0))
        tb = np.where(ok, (-k1 - sq) / np.where(ok, k2, 1.0), INF)
        y = baoa + np.where(ok, tb, 0.0) * bard
        body = ok & (y > 0) & (y < baba) & (tb > EPS)
        t = np.where(body, tb, INF)
        best_n = (oa + np.where(np.isfinite(t), t, 0.0)[..., None] * d) - ba * (y / baba)[..., None]
        for end in (self.a, self.b):
            oc = o - end
            b2 = np.sum(oc * d, axis=-1)
            c2 = np.sum(oc * oc, axis=-1) - self.radius ** 2
            disc = b2 * b2 - dd * c2
            okc = disc >= 0
            ts = np.where(okc, (-b2 - np.sqrt(np.where(okc, disc, 0))) / dd, INF)
            ts = np.where(ts > EPS, ts, INF)
            closer = ts < t
            t = np.where(closer, ts, t)
            best_n = np.where(closer[..., None], oc + np.where(np.isfinite(ts), ts, 0)[..., None] * d, best_n)
        return t, normalize(best_n + 1e-12)

    def local_box(self):
        lo = np.minimum(self.a, self.b) - self.radius
        hi = np.maximum(self.a, self.b) + self.radius
        return lo, hi


class Cylinder(Prim):
    """Upright, flat-capped: radius r from z0 to z1."""

    def __init__(self, material, centre, radius, z0, z1, yaw=0.0, tag=None):
        super().__init__(material, centre, yaw, tag)
        self.radius, self.z0, self.z1 = radius, z0, z1

    def local_hit(self, o, d):
        a = d[..., 0] ** 2 + d[..., 1] ** 2
        b = 2 * (o[..., 0] * d[..., 0] + o[..., 1] * d[..., 1])
        c = o[..., 0] ** 2 + o[..., 1] ** 2 - self.radius ** 2
        disc = b * b - 4 * a * c
        ok = (disc >= 0) & (a > 1e-12)
        sq = np.sqrt(np.where(ok, disc, 0))
        aa = np.where(ok, a, 1.0)
        t = INF * np.ones(o.shape[:-1])
        n = np.zeros(o.shape)
        for root in ((-b - sq) / (2 * aa), (-b + sq) / (2 * aa)):
            z = o[..., 2] + root * d[..., 2]
            good = ok & (root > EPS) & (z >= self.z0) & (z <= self.z1) & (root < t)
            p = o + root[..., None] * d
            t = np.where(good, root, t)
            n = np.where(good[..., None], np.stack([p[..., 0], p[..., 1], 0 * p[..., 0]], -1), n)
        dz = np.where(np.abs(d[..., 2]) > 1e-12, d[..., 2], 1e-12)
        for zc, nz in ((self.z1, 1.0), (self.z0, -1.0)):
            tc = (zc - o[..., 2]) / dz
            p = o + tc[..., None] * d
            good = (tc > EPS) & (p[..., 0] ** 2 + p[..., 1] ** 2 <= self.radius ** 2) & (tc < t)
            t = np.where(good, tc, t)
            n = np.where(good[..., None], np.array([0, 0, nz]), n)
        return t, normalize(n + 1e-12)

    def local_box(self):
        r = self.radius
        return np.array([-r, -r, self.z0]), np.array([r, r, self.z1])


class Cone(Prim):
    """Upright: base radius r at z0, apex at z0 + h."""

    def __init__(self, material, centre, radius, z0, height, yaw=0.0, tag=None):
        super().__init__(material, centre, yaw, tag)
        self.radius, self.z0, self.height = radius, z0, height

    def local_hit(self, o, d):
        k2 = (self.radius / self.height) ** 2
        p = o - np.array([0, 0, self.z0 + self.height])
        a = d[..., 0] ** 2 + d[..., 1] ** 2 - k2 * d[..., 2] ** 2
        b = 2 * (p[..., 0] * d[..., 0] + p[..., 1] * d[..., 1] - k2 * p[..., 2] * d[..., 2])
        c = p[..., 0] ** 2 + p[..., 1] ** 2 - k2 * p[..., 2] ** 2
        disc = b * b - 4 * a * c
        ok = (disc >= 0) & (np.abs(a) > 1e-12)
        sq = np.sqrt(np.where(ok, disc, 0))
        aa = np.where(ok, a, 1.0)
        t = INF * np.ones(o.shape[:-1])
        n = np.zeros(o.shape)
        for root in ((-b - sq) / (2 * aa), (-b + sq) / (2 * aa)):
            q = p + root[..., None] * d
            good = ok & (root > EPS) & (q[..., 2] <= 0) & (q[..., 2] >= -self.height) & (root < t)
            t = np.where(good, root, t)
            n = np.where(good[..., None], np.stack([q[..., 0], q[..., 1], -k2 * q[..., 2]], -1), n)
        dz = np.where(np.abs(d[..., 2]) > 1e-12, d[..., 2], 1e-12)
        tc = (-self.height - p[..., 2]) / dz
        q = p + tc[..., None] * d
        good = (tc > EPS) & (q[..., 0] ** 2 + q[..., 1] ** 2 <= self.radius ** 2) & (tc < t)
        t = np.where(good, tc, t)
        n = np.where(good[..., None], np.array([0, 0, -1.0]), n)
        return t, normalize(n + 1e-12)

    def local_box(self):
        r = self.radius
        return np.array([-r, -r, self.z0]), np.array([r, r, self.z0 + self.height])


class Convex(Prim):
    """The intersection of half-spaces n . p <= d (local coordinates)."""

    def __init__(self, material, centre, normals, offsets, box, yaw=0.0, tag=None):
        super().__init__(material, centre, yaw, tag)
        self.normals = normalize(np.asarray(normals, dtype=np.float64))
        raw = np.asarray(normals, dtype=np.float64)
        self.offsets = np.asarray(offsets, dtype=np.float64) / np.linalg.norm(raw, axis=-1)
        self.box = (np.asarray(box[0], dtype=np.float64), np.asarray(box[1], dtype=np.float64))

    def local_hit(self, o, d):
        shape = o.shape[:-1]
        t_in = -INF * np.ones(shape)
        t_out = INF * np.ones(shape)
        n = np.zeros(o.shape)
        miss = np.zeros(shape, dtype=bool)
        for normal, offset in zip(self.normals, self.offsets):
            dn = d @ normal
            on = o @ normal
            parallel = np.abs(dn) < 1e-12
            miss |= parallel & (on > offset)
            tt = (offset - on) / np.where(parallel, 1.0, dn)
            entering = (~parallel) & (dn < 0)
            leaving = (~parallel) & (dn > 0)
            newer = entering & (tt > t_in)
            t_in = np.where(newer, tt, t_in)
            n = np.where(newer[..., None], normal, n)
            t_out = np.where(leaving & (tt < t_out), tt, t_out)
        good = (~miss) & (t_in <= t_out) & (t_in > EPS)
        return np.where(good, t_in, INF), n

    def local_box(self):
        return self.box


def box(material, lo, hi, centre=(0, 0, 0), yaw=0.0, tag=None):
    lo, hi = np.asarray(lo, float), np.asarray(hi, float)
    normals = [[1, 0, 0], [-1, 0, 0], [0, 1, 0], [0, -1, 0], [0, 0, 1], [0, 0, -1]]
    offsets = [hi[0], -lo[0], hi[1], -lo[1], hi[2], -lo[2]]
    return Convex(material, centre, normals, offsets, (lo, hi), yaw, tag)


def gable(material, half_x, half_y, z0, rise, centre=(0, 0, 0), yaw=0.0, tag=None):
    """A roof prism whose ridge runs along local x, eaves at z0, ridge at z0 + rise."""
    normals = [[1, 0, 0], [-1, 0, 0], [0, 0, -1], [0, rise, half_y], [0, -rise, half_y]]
    offsets = [half_x, half_x, -z0, rise * half_y + half_y * z0, rise * half_y + half_y * z0]
    return Convex(material, centre, normals, offsets,
                  ([-half_x, -half_y, z0], [half_x, half_y, z0 + rise]), yaw, tag)


def faceted(material, centre, radii, count, rng, yaw=0.0, tag=None):
    """A rock: planes tangent to an ellipsoid at random points, flat underneath."""
    radii = np.asarray(radii, float)
    normals, offsets = [[0, 0, -1.0]], [0.0]
    for _ in range(count):
        v = rng.normal(size=3)
        v[2] = abs(v[2]) * 0.8 + 0.05
        v /= np.linalg.norm(v)
        p = v * radii
        g = p / radii ** 2
        normals.append(g)
        offsets.append(g @ p)
    return Convex(material, centre, normals, offsets, (-radii * 1.05, radii * 1.05), yaw, tag)


# ---------------------------------------------------------------- noise

def _hash(ix, iy, iz, seed):
    h = (ix.astype(np.int64) * 73856093) ^ (iy.astype(np.int64) * 19349663) ^ (iz.astype(np.int64) * 83492791)
    h = (h ^ (seed * 2654435761)) & 0xFFFFFFFF
    h = (h ^ (h >> 13)) * 1274126177 & 0xFFFFFFFF
    h = h ^ (h >> 16)
    return (h & 0xFFFF) / 65535.0


def cell_noise(p, scale, seed=0):
    """One random value per lattice cube: blocky, leaf-like clumps."""
    q = np.floor(np.asarray(p) * scale)
    return _hash(q[..., 0], q[..., 1], q[..., 2], seed)


def value_noise(p, scale, seed=0):
    q = np.asarray(p) * scale
    i = np.floor(q)
    f = q - i
    f = f * f * (3 - 2 * f)
    out = 0.0
    for dx in (0, 1):
        for dy in (0, 1):
            for dz in (0, 1):
                w = (f[..., 0] if dx else 1 - f[..., 0]) * (f[..., 1] if dy else 1 - f[..., 1]) * \
                    (f[..., 2] if dz else 1 - f[..., 2])
                out = out + w * _hash(i[..., 0] + dx, i[..., 1] + dy, i[..., 2] + dz, seed)
    return out


# ---------------------------------------------------------------- materials

class Material:
    """A base colour, changed per point by `pattern(point, local point, normal)`
    (a factor or a colour), and whether it glows."""

    def __init__(self, colour, pattern=None, glow=False, shine=0.0):
        self.colour = np.asarray(colour, dtype=np.float64) / 255.0
        self.pattern = pattern
        self.glow = glow
        self.shine = shine

    def base(self, p, lp, n):
        c = np.broadcast_to(self.colour, p.shape).copy()
        if self.pattern is not None:
            f = self.pattern(p, lp, n)
            c = c * f[..., None] if f.ndim == c.ndim - 1 else f
        return c


# ---------------------------------------------------------------- rendering

def trace(prims, o, d):
    t_best = INF * np.ones(o.shape[:-1])
    n_best = np.zeros(o.shape)
    id_best = -np.ones(o.shape[:-1], dtype=np.int64)
    for i, prim in enumerate(prims):
        t, n = prim.hit(o, d)
        closer = t < t_best
        t_best = np.where(closer, t, t_best)
        n_best = np.where(closer[..., None], n, n_best)
        id_best = np.where(closer, i, id_best)
    return t_best, n_best, id_best


def occluded(prims, o, d):
    blocked = np.zeros(o.shape[:-1], dtype=bool)
    for prim in prims:
        t, _ = prim.hit(o, d)
        blocked |= np.isfinite(t)
    return blocked


def screen_bounds(prims, margin=2):
    pts = np.concatenate([p.corners() for p in prims])
    sx, sy = to_screen(pts)
    return (int(np.floor(sx.min())) - margin, int(np.floor(sy.min())) - margin,
            int(np.ceil(sx.max())) + margin, int(np.ceil(sy.max())) + margin)


def shade(prims, p, n, ids):
    colour = np.zeros(p.shape)
    for i, prim in enumerate(prims):
        sel = ids == i
        if not sel.any():
            continue
        colour[sel] = prim.material.base(p[sel], prim.local_point(p[sel]), n[sel])
    lit = ~occluded(prims, p + n * 2e-3, np.broadcast_to(LIGHT, p.shape))
    diffuse = np.clip(n @ LIGHT, 0, 1) * lit
    sky = 0.5 + 0.5 * n[..., 2]
    warm = np.array([1.08, 1.0, 0.86])
    cool = np.array([0.78, 0.84, 1.0])
    light = cool * (0.34 + 0.16 * sky)[..., None] + warm * (0.78 * diffuse)[..., None]
    out = colour * light
    shine = np.array([prims[i].material.shine if i >= 0 else 0 for i in range(len(prims))] + [0.0])[ids]
    if shine.any():
        half = normalize(LIGHT + VIEW)
        specular = np.clip(n @ half, 0, 1) ** 24 * shine * lit
        out = out + specular[..., None]
    glow = np.array([prims[i].material.glow for i in range(len(prims))] + [False])[ids]
    out = np.where(glow[..., None], colour, out)
    return np.clip(out, 0, 1)


class Picture:
    """A rendered sprite frame: straight RGBA floats, and the pixel that the
    world origin (the tile's drawing position) falls on."""

    def __init__(self, rgba, anchor):
        self.rgba = rgba
        self.anchor = anchor


def render(prims, ss=4, lines=True, bounds=None):
    x0, y0, x1, y1 = bounds or screen_bounds(prims)
    w, h = x1 - x0, y1 - y0
    sub = (np.arange(w * ss) + 0.5) / ss + x0, (np.arange(h * ss) + 0.5) / ss + y0
    sx, sy = np.meshgrid(*sub)
    g = ground_point(sx, sy)
    o = g + VIEW * 40.0
    d = np.broadcast_to(-VIEW, o.shape)
    t, n, ids = trace(prims, o, d)
    hit = np.isfinite(t)
    colour = np.zeros(o.shape)
    if hit.any():
        p = o[hit] + t[hit][..., None] * d[hit]
        colour[hit] = shade(prims, p, n[hit], ids[hit])
    cover = hit.reshape(h, ss, w, ss).mean(axis=(1, 3))
    summed = (colour * hit[..., None]).reshape(h, ss, w, ss, 3).sum(axis=(1, 3))
    count = hit.reshape(h, ss, w, ss).sum(axis=(1, 3))
    rgb = summed / np.maximum(count, 1)[..., None]
    depth = np.where(hit, t, 0).reshape(h, ss, w, ss).sum(axis=(1, 3)) / np.maximum(count, 1)
    if lines:
        rgb = inner_lines(rgb, depth, cover)
    return Picture(np.concatenate([rgb, cover[..., None]], axis=-1), (-x0, -y0))


def inner_lines(rgb, depth, cover, jump=0.35):
    """Darkens the far side of a sudden step in depth: the contour of a part
    standing in front of another."""
    out = rgb.copy()
    solid = cover > 0.5
    for dy, dx in ((0, 1), (1, 0), (0, -1), (-1, 0)):
        other = np.roll(np.roll(depth, dy, 0), dx, 1)
        other_solid = np.roll(np.roll(solid, dy, 0), dx, 1)
        behind = solid & other_solid & (depth - other > jump)
        out[behind] *= 0.62
    return out


def outlined(pic, strength=0.3, keyed=False, soft=False):
    """A one-pixel contour in a dark shade of the colour it surrounds. Keyed
    pictures come out hard-edged; soft ones get a half-transparent contour
    around an opaque body, which blends into whatever lies beneath."""
    h, w = pic.rgba.shape[:2]
    rgba = np.zeros((h + 2, w + 2, 4))
    rgba[1:-1, 1:-1] = pic.rgba
    solid = rgba[..., 3] >= 0.5
    ring = np.zeros(solid.shape, dtype=bool)
    acc = np.zeros(rgba.shape[:2] + (3,))
    cnt = np.zeros(rgba.shape[:2])
    for dy, dx in ((0, 1), (1, 0), (0, -1), (-1, 0)):
        ns = np.roll(np.roll(solid, dy, 0), dx, 1)
        nc = np.roll(np.roll(rgba[..., :3], dy, 0), dx, 1)
        edge = ~solid & ns
        ring |= edge
        acc += nc * edge[..., None]
        cnt += edge
    line = acc / np.maximum(cnt, 1)[..., None] * strength + np.array([0.02, 0.02, 0.06])
    out = rgba.copy()
    out[ring, :3] = line[ring]
    if soft:
        out[..., 3] = np.where(solid, 1.0, np.where(ring, 0.62, 0.0))
    else:
        out[ring, 3] = 1.0
    if keyed:
        out[..., 3] = np.where(solid | ring, 1.0, 0.0)
    return Picture(out, (pic.anchor[0] + 1, pic.anchor[1] + 1))


def shadow_decal(prims, strength=0.42, ss=3, blur=1):
    """The shadow the solids cast on the ground, as a picture to lay on the floor."""
    pts = np.concatenate([p.corners() for p in prims])
    flat = pts - (pts[:, 2] / LIGHT[2])[:, None] * LIGHT
    sx, sy = to_screen(np.concatenate([flat, pts * [1, 1, 0]]))
    x0, y0 = int(np.floor(sx.min())) - 3, int(np.floor(sy.min())) - 3
    x1, y1 = int(np.ceil(sx.max())) + 3, int(np.ceil(sy.max())) + 3
    w, h = x1 - x0, y1 - y0
    sub = (np.arange(w * ss) + 0.5) / ss + x0, (np.arange(h * ss) + 0.5) / ss + y0
    gx, gy = np.meshgrid(*sub)
    g = ground_point(gx, gy) + np.array([0, 0, 1e-3])
    dark = occluded(prims, g, np.broadcast_to(LIGHT, g.shape)).astype(float)
    a = dark.reshape(h, ss, w, ss).mean(axis=(1, 3))
    for _ in range(blur):
        p = np.pad(a, 1)
        a = (p[:-2, 1:-1] + p[2:, 1:-1] + p[1:-1, :-2] + p[1:-1, 2:] + 2 * p[1:-1, 1:-1]) / 6
    rgba = np.zeros((h, w, 4))
    rgba[..., :3] = np.array([22, 26, 52]) / 255.0
    rgba[..., 3] = a * strength
    return Picture(rgba, (-x0, -y0))
