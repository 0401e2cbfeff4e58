#!/usr/bin/python3
"""check-test.py <native build> <scratch folder>

`maptool check` on the world of mistakes.txt, which holds one of each
mistake the check finds: one line for each, as mistakes.FINDINGS says, the
summary line, and exit status 1; and on the demo world, status 0."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mistakes import FINDINGS, make_mistakes_world  # noqa: E402


def main():
    tools, scratch = sys.argv[1:]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    world = make_mistakes_world(tools, os.path.join(scratch, "world"), scratch)
    maptool = os.path.join(tools, "tools/maptool/maptool")
    result = subprocess.run([maptool, "check", world], capture_output=True, text=True)
    lines = result.stdout.splitlines()
    wanted = ["maptool: " + (finding.replace("note: ", "note: " + world + "/", 1) if finding.startswith("note: ")
                             else world + "/" + finding) for finding in FINDINGS]
    wanted.append("%s: %d findings, %d of them keeping something from showing or walking"
                  % (world, len(FINDINGS), sum(not f.startswith("note: ") for f in FINDINGS)))
    failed = False
    if result.returncode != 1:
        print("FAIL: maptool check ended with %d, not 1" % result.returncode)
        failed = True
    if lines != wanted:
        print("FAIL: maptool check said\n  %s\nwhere the test wants\n  %s" % ("\n  ".join(lines), "\n  ".join(wanted)))
        failed = True
    demo = subprocess.run([maptool, "check", os.path.join(tools, "demo-world")], capture_output=True, text=True)
    if demo.returncode != 0:
        print("FAIL: the demo world has findings that hide something:\n" + demo.stdout)
        failed = True
    # A FIFO where a sprite file should be: the check says it cannot be read
    # instead of waiting for a writer that never comes.
    pipe_world = os.path.join(scratch, "pipe-world")
    shutil.copytree(os.path.join(tools, "demo-world"), pipe_world)
    os.remove(os.path.join(pipe_world, "walker.spr"))
    os.mkfifo(os.path.join(pipe_world, "walker.spr"))
    try:
        piped = subprocess.run([maptool, "check", pipe_world], capture_output=True, text=True, timeout=60)
        if piped.returncode != 1 or "walker.spr cannot be read" not in piped.stdout:
            print("FAIL: a FIFO as walker.spr gave status %d and\n%s" % (piped.returncode, piped.stdout))
            failed = True
    except subprocess.TimeoutExpired:
        print("FAIL: maptool check waited on a FIFO as walker.spr")
        failed = True
    if not failed:
        print("ok (maptool check): %d findings, one line each" % len(FINDINGS))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
