#!/bin/bash
# walkers-e2e.sh <win32|win64> <bin dir> <host tools dir> [<keep dir>]
#
# Runs client.exe full-screen under Wine in an Xvfb display of its own, on a
# small world whose walker is a yellow block and whose floor has one cyan cell,
# and reads the positions of both from screenshots:
#   1. holding Right: Walker1 stays where it stood on the screen while the floor
#      (the cyan cell, and Walker2 standing on it) shifts left by 40 pixels per
#      finished step;
#   2. holding D: Walker2 moves down and right by (20, 10) per step while the
#      floor and Walker1 stay;
#   3. Escape ends the program with exit code 0.
# The screenshots are kept in <keep dir> when it is given.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"

arch="${1:?usage: walkers-e2e.sh <win32|win64> <bin dir> <host tools dir> [<keep dir>]}"
bin="$(cd "${2:?}" && pwd)"
tools="$(cd "${3:?}" && pwd)"
keep="${4:-}"
maptool="$tools/tools/maptool/maptool"
spritetool="$tools/tools/spritetool/spritetool"
if [ "$arch" = win32 ]; then deadline=600; else deadline=90; fi

fail() {
    echo "FAIL (walkers, $arch): $*" >&2
    [ -n "$keep" ] && [ -n "$scratch" ] && mkdir -p "$keep" && cp "$scratch"/*.png "$keep/" 2>/dev/null
    exit 1
}
. "$here/../e2e-steps.sh"

start_program() {
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start 640x480x24 || fail "no X display"
    wine_program_start "$work" "$bin/$fullscreen_exe"
}

hold() {
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

scratch="$(mktemp -d)"
work="$(mktemp -d)"
make_walker_world
start_program
window="$(wait_for_window Client)" || exit 1

shoot start
marker0="$(places start '#00FFFF')"
figures0="$(places start '#FFFF00')"
[ "$(echo "$figures0" | wc -l)" = 1 ] || fail "both walkers should stand on one spot at first: $figures0"
read -r mx0 my0 <<< "$marker0"
read -r fx0 fy0 <<< "$figures0"

# 1. Right: Walker1 walks along the screen's x axis, the view follows it.
hold Right 1.2
shoot right
read -r mx1 my1 <<< "$(places right '#00FFFF')"
shift_x=$((mx1 - mx0))
[ "$my1" = "$my0" ] || fail "the floor moved vertically: y $my0 -> $my1"
[ "$shift_x" -lt 0 ] && [ $((shift_x % 40)) = 0 ] ||
    fail "the floor should shift left by whole steps of 40 pixels, shifted by $shift_x"
steps=$((-shift_x / 40))
expected="$(printf '%s\n' "$((fx0 + shift_x)) $fy0" "$fx0 $fy0" | sort -n)"
[ "$(places right '#FFFF00')" = "$expected" ] ||
    fail "after $steps steps expected walkers at [$expected], found [$(places right '#FFFF00')]"

# 2. D: Walker2 walks along the map's x axis, down and right on the screen.
hold d 1.2
shoot wasd
[ "$(places wasd '#00FFFF')" = "$mx1 $my1" ] || fail "the floor moved while Walker2 walked"
walker2="$(places wasd '#FFFF00' | grep -v -x "$fx0 $fy0")"
[ "$(places wasd '#FFFF00' | grep -c -x "$fx0 $fy0")" = 1 ] || fail "Walker1 left its place: [$(places wasd '#FFFF00')]"
read -r wx wy <<< "$walker2"
dx=$((wx - fx0 - shift_x)); dy=$((wy - fy0))
[ "$dx" -gt 0 ] && [ $((dx % 20)) = 0 ] && [ "$dy" = $((dx / 2)) ] ||
    fail "Walker2 should move by whole (20, 10) steps, moved by ($dx, $dy)"

# 3. Escape.
press "$window" Escape
expect_exit 0
[ -n "$keep" ] && mkdir -p "$keep" && cp "$scratch"/{start,right,wasd}.png "$keep/"
echo "ok (walkers, $arch): Walker1 took $steps steps with the view, Walker2 $((dx / 20))"
