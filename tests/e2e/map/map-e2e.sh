#!/bin/bash
# map-e2e.sh <scenario> <win32|win64> <bin dir> <host tools dir> [<keep dir>]
#
# Runs client.exe (full-screen) under Wine in an Xvfb display of its own, from
# a fresh working directory holding the world of world.txt, made by the native
# tools of <host tools dir>:
#
#   picture          the screen equals the same world drawn natively by DrawMap
#                    (maptool render), pixel for pixel outside the rate text;
#                    Escape ends with 0
#   no-sprite-list   without "SpriteList.txt" the program ends with -1 before it
#                    opens "test.map" (which would show a box: its magic is wrong)
#   wrong-magic      "test.map" not starting with "MAP": the box titled "Error"
#                    appears above the full-screen window (the window seen at
#                    its centre is the box); Return closes it and the program
#                    ends with -1
#   broken-map       "test.map" one byte short: the same box, then -1
#
# On a picture mismatch the two pictures are kept in <keep dir>.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"

scenario="${1:?usage: map-e2e.sh <scenario> <win32|win64> <bin dir> <host tools dir> [<keep dir>]}"
arch="${2:?}"
bin="$(cd "${3:?}" && pwd)"
tools="$(cd "${4:?}" && pwd)"
keep="${5:-}"
maptool="$tools/tools/maptool/maptool"
make_sprites="$tools/tests/e2e/map/make-world-sprites"

# A program start under the 32-bit Wine (qemu) takes far longer.
if [ "$arch" = win32 ]; then deadline=600; else deadline=90; fi

fail() {
    echo "FAIL ($scenario, $arch): $*" >&2
    exit 1
}
. "$here/../e2e-steps.sh"

make_world() {
    "$make_sprites" "$work" || fail "make-world-sprites failed"
    "$maptool" build "$here/world.txt" "$work/test.map" "$work/SpriteList.txt" || fail "maptool build failed"
}

start_program() {
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start 640x480x24 || fail "no X display"
    wine_program_start "$work" "$bin/$fullscreen_exe"
}

scratch="$(mktemp -d)"
work="$(mktemp -d)"
make_world

case "$scenario" in
picture)
    "$maptool" render "$work" "$scratch/expected.png" || fail "maptool render failed"
    # The world must show: more than a few hundred lit pixels in the picture.
    lit="$(convert "$scratch/expected.png" -threshold 0 -format '%[fx:round(mean*w*h)]' info:)"
    [ "$lit" -gt 5000 ] || fail "the native picture is nearly empty ($lit lit pixels)"
    start_program
    window="$(wait_for_window Client)" || exit 1
    expect_picture "$scratch/expected.png"
    press "$window" Escape
    expect_exit 0
    ;;
no-sprite-list)
    rm "$work/SpriteList.txt"
    printf 'PAM' | dd of="$work/test.map" conv=notrunc status=none
    start_program
    expect_exit -1
    ;;
wrong-magic|broken-map)
    if [ "$scenario" = wrong-magic ]; then
        printf 'PAM' | dd of="$work/test.map" conv=notrunc status=none
    else
        truncate -s -1 "$work/test.map"
    fi
    start_program
    box="$(wait_for_window Error)" || exit 1
    # Asked of Wine's stacking, which follows Windows' rules: a screenshot
    # would show the box either way, as the X server puts a new window on top.
    seen="$(client_window top Error)" || fail "the box is not on top: $seen"
    press "$box" Return
    expect_exit -1
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "ok ($scenario, $arch)"
