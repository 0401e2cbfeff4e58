"""The walking figure, sprite id 2: a little person seen from the eight
directions of the walkers, eight frames per step."""
import numpy as np

from raytrace import Capsule, Ellipsoid, Material, Picture, cell_noise, outlined, render

# The cell step of each direction code; the figure faces that way. Its frames'
# offsets, which carry it one cell a step, come from the manifest's step line.
STEPS = {0: (1, 0), 1: (1, 1), 2: (0, 1), 3: (-1, 1), 4: (-1, 0), 5: (-1, -1), 6: (0, -1), 7: (1, -1)}
FRAMES = 8
STEP_MS = 400  # a step takes 0.4 s: each frame 50 ms, stored as 500 for the walkers' speed 10
BOUNDS = (-15, -40, 15, 6)  # screen box around the feet, wide enough for every pose


SKIN = Material((238, 192, 152))
HAIR = Material((96, 62, 40), lambda p, lp, n: 0.85 + 0.3 * cell_noise(p, 40, 5))
SHIRT = Material((196, 72, 58), lambda p, lp, n: 0.95 + 0.08 * cell_noise(p, 30, 6))
TROUSERS = Material((62, 74, 118))
SHOES = Material((70, 48, 36))
EYES = Material((30, 26, 30))
BELT = Material((80, 56, 40))


def figure(direction, frame):
    dx, dy = STEPS[direction]
    yaw = np.arctan2(dy, dx)
    phase = 2 * np.pi * frame / FRAMES       # one full stride per step: frame 0 stands with feet together
    swing = 0.42 * np.sin(phase)
    bob = -0.025 * np.sin(phase) ** 2
    parts = []
    for side, sign in ((1, 1.0), (-1, -1.0)):
        leg = swing * sign
        hip = np.array([0.0, 0.075 * side, 0.5 + bob])
        foot = np.array([0.36 * np.sin(leg), 0.075 * side, 0.09 + 0.05 * abs(np.sin(leg))])
        parts.append(Capsule(TROUSERS, (0, 0, 0), hip, foot, 0.058, yaw=yaw))
        parts.append(Ellipsoid(SHOES, foot + [0.045, 0, -0.035], (0.09, 0.055, 0.045), yaw=yaw))
        parts[-1].c = (foot + [0.045, 0, -0.035]) @ parts[-1].r.T
        shoulder = np.array([0.0, 0.17 * side, 0.86 + bob])
        arm = -swing * sign * 0.8
        hand = np.array([0.3 * np.sin(arm), 0.2 * side, 0.86 + bob - 0.3 * np.cos(arm)])
        parts.append(Capsule(SHIRT, (0, 0, 0), shoulder, hand, 0.045, yaw=yaw))
        parts.append(Ellipsoid(SKIN, (0, 0, 0), (0.045, 0.045, 0.045), yaw=yaw))
        parts[-1].c = hand @ parts[-1].r.T
    parts.append(Ellipsoid(SHIRT, (0, 0, 0), (0.12, 0.16, 0.23), yaw=yaw))
    parts[-1].c = np.array([0, 0, 0.74 + bob])
    parts.append(Ellipsoid(BELT, (0, 0, 0), (0.115, 0.15, 0.035), yaw=yaw))
    parts[-1].c = np.array([0, 0, 0.56 + bob])
    head = np.array([0, 0, 1.12 + bob])
    parts.append(Ellipsoid(SKIN, head, (0.175, 0.175, 0.18), yaw=yaw))
    hair = Ellipsoid(HAIR, (0, 0, 0), (0.185, 0.183, 0.14), yaw=yaw)
    hair.c = head + np.array([-0.05, 0, 0.07]) @ hair.r.T
    parts.append(hair)
    for side in (1, -1):
        eye = Ellipsoid(EYES, (0, 0, 0), (0.02, 0.022, 0.028), yaw=yaw)
        eye.c = head + np.array([0.162, 0.066 * side, -0.01]) @ eye.r.T
        parts.append(eye)
    return parts


def foot_shadow(pic):
    """A soft shadow under the feet, laid beneath the figure."""
    h, w = pic.rgba.shape[:2]
    ax, ay = pic.anchor
    ys, xs = np.mgrid[0:h, 0:w]
    ex = (xs + 0.5 - ax) / 10.0
    ey = (ys + 0.5 - ay) / 5.0
    a = 0.5 * np.clip(1.0 - (ex ** 2 + ey ** 2), 0, 1) ** 1.5
    out = pic.rgba.copy()
    top = out[..., 3]
    shade = np.array([20, 28, 40]) / 255.0
    alpha = top + a * (1 - top)
    rgb = (out[..., :3] * top[..., None] + shade * (a * (1 - top))[..., None]) / np.maximum(alpha, 1e-6)[..., None]
    out[..., :3] = rgb
    out[..., 3] = alpha
    return Picture(out, pic.anchor)


def walker_frames():
    """{direction: [Picture of frame 0..7]}; each picture's anchor is the feet."""
    frames = {}
    for direction in range(8):
        frames[direction] = [foot_shadow(outlined(render(figure(direction, f), bounds=BOUNDS), soft=True))
                             for f in range(FRAMES)]
    return frames
