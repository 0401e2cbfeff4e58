"""The world of mistakes.txt, built with the native tools of a build: the
end-to-end test's sprites, a walker whose "walk" lacks direction 7, and a
"SpriteList.txt" whose count line says 7 of its 8 entries."""
import os
import subprocess

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))

# What `maptool check` says of it, after "maptool: <folder>/", in order.
FINDINGS = [
    "SpriteList.txt:1: the count line says 7, but 8 sprites follow: the program reads only the first 7",
    "SpriteList.txt:5: Crate.spr is not in the folder, only crate.spr: Windows finds it, the web page does not",
    "SpriteList.txt:7: missing.spr is not in the folder: sprite 23 is not drawn",
    "test.map: sprite 99 is not in SpriteList.txt: 1 object is not drawn (object 2), at (0, 3)",
    "test.map: sprite 22 (pillar.spr) has no animation \"idle\" direction 3: 1 object is not drawn (object 3),"
    " at (2, 4); it has \"idle\" in direction 0",
    "test.map: sprite 20 (ghost.spr) has no animation \"Idle\" direction 0: 1 object is not drawn (object 4),"
    " at (0, 5); it has \"idle\" direction 0, and names are compared exactly, case too",
    "walker.spr: has no animation \"walk\" direction 7 for the walkers (sprite 2): Down does not walk the first"
    " walker",
    "note: test.map: 1 object lies outside the 6 x 6 map (object 5), at (9, 9): drawn, but on no cell a walker"
    " can reach",
    "note: test.map: the open cell (4, 3) cannot be walked to from (1, 1)",
]


def run(*command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (os.path.basename(command[0]), result.stderr.strip()))


def make_mistakes_world(tools, folder, scratch):
    """Builds the world into `folder` (made), using `scratch` for the walker's art."""
    os.makedirs(folder)
    run(os.path.join(tools, "tests/e2e/map/make-world-sprites"), folder)
    list_path = os.path.join(folder, "SpriteList.txt")
    run(os.path.join(tools, "tools/maptool/maptool"), "build", os.path.join(HERE, "mistakes.txt"),
        os.path.join(folder, "test.map"), list_path)
    with open(list_path) as f:
        lines = f.read().splitlines()
    with open(list_path, "w") as f:
        f.write("\n".join(["7"] + lines[1:]) + "\n")
    figure = Image.new("RGBA", (8, 12), (0, 0, 0, 0))
    for y in range(12):
        for x in range(2, 6):
            figure.putpixel((x, y), (200, 60, 40, 255))
    figure.save(os.path.join(scratch, "figure.png"))
    with open(os.path.join(scratch, "walker.txt"), "w") as f:
        f.write("id 2\nanchor bottom\nanimation walk directions 0-6\n"
                + "frame figure.png\n" * 4 + "step 400\n")
    run(os.path.join(tools, "tools/spritetool/spritetool"), "build", os.path.join(scratch, "walker.txt"),
        os.path.join(folder, "walker.spr"))
    return folder
