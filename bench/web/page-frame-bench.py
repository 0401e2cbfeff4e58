#!/usr/bin/python3
"""page-frame-bench.py [<page folder> [<native build>]]

The demo world's frame in the browser beside the native benchmark's: the
page (build/web/page) in headless chromium, after its first pass at tick 0
(the start view, as bench/world measures it), times the frame's clear and
DrawMap inside the module, in batches of 200 frames, median of 7 batches,
for the SIMD module and the reference one; client_bench of the native build
runs world/DrawMap/demo-frame (median of 5). The three take turns for three
rounds; prints the medians and the browser's time as a multiple of the
native one, the median of the rounds' ratios.
"""
import os
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "web"))
from browser import Browser, PageServer  # noqa: E402

BATCH, BATCHES, ROUNDS = 200, 7, 3


def browser_frame(browser, url, kernels):
    browser.open(url + "?held-clock&kernels=" + kernels)
    browser.wait_for("viewer.opening !== null")
    browser.evaluate("viewer.opening")
    if browser.evaluate("viewer.state") != "running" or not browser.evaluate("viewer.pass(0)"):
        sys.exit("the demo world does not run in the page: %s" % browser.evaluate("viewer.message"))
    browser.evaluate("viewer.measureFrame(%d)" % BATCH)  # warm-up: tiers the code up
    return statistics.median(browser.evaluate("viewer.measureFrame(%d)" % BATCH) for _ in range(BATCHES))


def native_frame(native):
    bench = os.path.join(native, "bench", "client_bench")
    out = subprocess.run(["setarch", os.uname().machine, "-R", bench, "--benchmark_filter=^world/DrawMap/demo-frame$",
                          "--benchmark_repetitions=5"], capture_output=True, text=True, check=True).stdout
    # The runs themselves, not the aggregates (_mean, _median) after them: "<name>  <time> us ...".
    runs = [float(line.split()[1]) for line in out.splitlines()
            if line.startswith("world/DrawMap/demo-frame ") and line.split()[2] == "us"]
    if not runs:
        sys.exit("client_bench printed no run of world/DrawMap/demo-frame:\n" + out)
    return statistics.median(runs)


def main():
    page = sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURCE, "build", "web", "page")
    native = sys.argv[2] if len(sys.argv) > 2 else os.path.join(SOURCE, "build", "native")
    # The three take turns, so that a busy machine slows each of them alike.
    figures = {"native": [], "simd": [], "plain": []}
    with PageServer(page) as server, Browser() as browser:
        for _ in range(ROUNDS):
            figures["native"].append(native_frame(native))
            figures["simd"].append(browser_frame(browser, server.url, "simd"))
            figures["plain"].append(browser_frame(browser, server.url, "plain"))
    here = statistics.median(figures["native"])
    ratio = {k: statistics.median(v / n for v, n in zip(figures[k], figures["native"])) for k in ("simd", "plain")}
    print("demo-world frame, clear + DrawMap at the start view (microseconds, median of %d rounds)" % ROUNDS)
    print("  native (client_bench)            %8.1f" % here)
    print("  browser, SIMD module             %8.1f   %.2fx native" % (statistics.median(figures["simd"]), ratio["simd"]))
    print("  browser, reference module        %8.1f   %.2fx native" % (statistics.median(figures["plain"]), ratio["plain"]))


if __name__ == "__main__":
    main()
