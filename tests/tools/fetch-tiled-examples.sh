#!/bin/bash
# Prints the folder of the example maps that Debian's tiled package ships,
# fetching the package into a cache folder first when needed. The package is
# only unpacked (dpkg -x), never installed: it would pull Qt in.
#
#   fetch-tiled-examples.sh <cache folder>
#
# Exits 0 either way; when the package cannot be had it prints nothing on
# standard output and the reason on standard error, and the test skips.
set -u
cache="$1"
examples="$cache/root/usr/share/doc/tiled/examples"
ready() { [ -f "$examples/isometric_grass_and_water.tmx" ]; }

if ready; then echo "$examples"; exit 0; fi
mkdir -p "$cache" 2>/dev/null || { echo "cannot make $cache" >&2; exit 0; }
# Builds testing side by side fetch once.
exec 9>"$cache/lock"
flock 9
if ready; then echo "$examples"; exit 0; fi

work="$(mktemp -d "$cache/fetch.XXXXXX")"
trap 'rm -rf "$work"' EXIT
if ! (cd "$work" && apt-get download tiled) >"$work/log" 2>&1; then
    echo "apt-get download tiled failed: $(grep -v '^W:' "$work/log" | tail -n 1)" >&2
    exit 0
fi
deb="$(ls "$work"/tiled_*.deb 2>/dev/null | head -n 1)"
if [ -z "$deb" ] || ! dpkg -x "$deb" "$work/root" 2>"$work/log"; then
    echo "cannot unpack the tiled package: $(tail -n 1 "$work/log")" >&2
    exit 0
fi
rm -rf "$cache/root"
mv "$work/root" "$cache/root"
if ready; then echo "$examples"; else echo "the tiled package has no isometric example map" >&2; fi
exit 0
