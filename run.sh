#!/bin/bash
# ./run.sh [--win32] [<world folder> | <map.tmx>]
# ./run.sh --web [<map.tmx | world folder>] [<port>]
#
# Builds what the run needs and nothing more (the native content tools and
# the demo world, and the Windows program: no tests, no benchmarks), then runs
# client.exe under Wine on the demo world, or on the world folder you name (a
# relative one from where you typed the command; e.g. one converted from a
# Tiled map), or on a Tiled map, which tmximport converts first (with the demo
# world's walker, into build/native/tiled-preview: the map's own folder is not
# written to). It says what `maptool check` finds in the world first. With a
# display it runs there until Escape; without one it walks both characters for
# a few seconds in a virtual screen and saves screenshots (in screenshots/ of
# the clone). --win32 runs the 32-bit deliverable (under qemu: slower) instead
# of the 64-bit build.
# --web builds the web page alone (the native tools and demo world it needs,
# then the page; no Windows programs, no tests) and serves it on 127.0.0.1,
# printing its address; given a Tiled map or a world folder, the page shows
# that instead of the demo world, again each time one of its files changes.
# Installs what is missing first.
set -euo pipefail
caller="$PWD"
cd "$(dirname "$0")"

if [ "${1:-}" = --web ]; then
    live=() port=()
    for arg in "${@:2}"; do
        if [[ "$arg" =~ ^[0-9]+$ ]]; then
            port=("$arg")
        else
            [[ "$arg" = /* ]] || arg="$caller/$arg"
            [ -e "$arg" ] || { echo "run.sh: no map or world folder $arg" >&2; exit 2; }
            live=(--live "$arg")
        fi
    done
    .ci/setup-machine web
    echo "== build native (the content tools and the demo world)"
    cmake --preset native >/dev/null
    cmake --build --preset native --target maptool spritetool demo_world
    echo "== build web (the page)"
    cmake --preset web -DCLIENT_HOST_TOOLS="$PWD/build/native" >/dev/null
    cmake --build --preset web --target page
    exec /usr/bin/python3 web/serve.py build/web/page "${live[@]}" "${port[@]}"
fi

arch=win64 group=run
if [ "${1:-}" = --win32 ]; then arch=win32 group=run-win32; shift; fi
world="${1:-build/native/demo-world}"
[[ "$world" = /* ]] || [ -z "${1:-}" ] || world="$caller/$world"

.ci/setup-machine "$group"

.ci/build-presets native:maptool,spritetool,tmximport,tmxexport,demo_world "$arch":client,client-windowed,wine-launcher \
    -- -DCLIENT_BUILD_TESTS=OFF -DCLIENT_BUILD_BENCHMARKS=OFF

if [[ "$world" = *.tmx ]]; then
    preview=build/native/tiled-preview
    rm -rf "$preview"
    build/native/tools/tmximport/tmximport "$world" "$preview" --walker build/native/demo-world/walker.spr
    world="$preview"
fi

exec tools/run-world/run-world --shots "screenshots/$(date +%Y%m%d-%H%M%S)" \
    --maptool build/native/tools/maptool/maptool "build/$arch/bin/client.exe" "$world"
