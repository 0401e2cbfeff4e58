#!/bin/bash
# session-e2e.sh <scenario> <win32|win64> <bin dir> <host tools dir>
#
# Runs the program under Wine in an Xvfb display of its own through what a
# Windows session brings, with Wine's Notepad as the other program:
#
#   focus-loss       full-screen, on the world of tests/e2e/map: Notepad takes
#                    the focus, and in the background the program uses next to
#                    no processor time (at most a tenth of each second, where
#                    in front it uses more); brought
#                    in front again it shows the same picture as maptool render,
#                    has written no "ErrLog.txt", and Escape ends it with 0
#   key-flood        full-screen: 400 quick presses of D, then Escape, which
#                    ends the program within a few seconds
#   background-keys  windowed, on the walker world: Right held while Notepad
#                    has the focus leaves the picture as it was
#
# The program's exit code is the one wine-launcher.exe prints.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"

scenario="${1:?usage: session-e2e.sh <scenario> <win32|win64> <bin dir> <host tools dir>}"
arch="${2:?}"
bin="$(cd "${3:?}" && pwd)"
tools="$(cd "${4:?}" && pwd)"
maptool="$tools/tools/maptool/maptool"
spritetool="$tools/tools/spritetool/spritetool"
make_sprites="$tools/tests/e2e/map/make-world-sprites"

# A program start under the 32-bit Wine (qemu) takes far longer, and so does
# the end of a program.
if [ "$arch" = win32 ]; then deadline=600 flood_bound=20; else deadline=90 flood_bound=3; fi

fail() {
    echo "FAIL ($scenario, $arch): $*" >&2
    exit 1
}
. "$here/../e2e-steps.sh"

make_map_world() {
    "$make_sprites" "$work" || fail "make-world-sprites failed"
    "$maptool" build "$here/../map/world.txt" "$work/test.map" "$work/SpriteList.txt" || fail "maptool build failed"
}

start_program() {
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start "$1" || fail "no X display"
    wine_program_start "$work" "$bin/$2"
}

# idle_second <pid>: sets `used` to the processor time, in clock ticks, that
# the process uses in the next second; succeeds when that is at most a tenth
# of the second.
idle_second() {
    local before after
    before="$(cpu_ticks "$1" 2>/dev/null)" || ended_in_background
    sleep 1
    after="$(cpu_ticks "$1" 2>/dev/null)" || ended_in_background
    used=$((after - before))
    [ "$used" -le $((ticks_per_second / 10)) ]
}

ended_in_background() {
    fail "the program ended in the background${work:+: $(cat "$work/ErrLog.txt" 2>/dev/null)}"
}

ticks_per_second="$(getconf CLK_TCK)"
result=""
scratch="$(mktemp -d)"
work="$(mktemp -d)"

case "$scenario" in
focus-loss)
    make_map_world
    "$maptool" render "$work" "$scratch/expected.png" || fail "maptool render failed"
    start_program 640x480x24 "$fullscreen_exe"
    window="$(wait_for_window Client)" || exit 1
    expect_picture "$scratch/expected.png"
    pid="$(program_pid "$fullscreen_exe")" || fail "no process of $fullscreen_exe"
    # In front, the loop draws all the time: the measure can tell the two apart.
    ! idle_second "$pid" || fail "the program in front used only $used ticks in a second: the wrong process?"
    running="$used"
    start_notepad > /dev/null
    # The program sees the focus go within a few frames; from then on it waits.
    end=$((SECONDS + deadline))
    until idle_second "$pid"; do
        [ $SECONDS -lt $end ] || fail "the program kept using the processor in the background ($used ticks a second)"
    done
    seconds=""
    for _ in 1 2 3; do
        idle_second "$pid" || fail "the program used $used of $ticks_per_second ticks in a second in the background"
        seconds="$seconds $used"
    done
    # As a click on its taskbar button would; without a window manager the
    # X server leaves Notepad above it until it is raised.
    client_window front || fail "could not bring the program in front"
    xdotool windowraise "$window"
    expect_picture "$scratch/expected.png"
    [ ! -e "$work/ErrLog.txt" ] || fail "a log was written: $(cat "$work/ErrLog.txt")"
    press "$window" Escape
    expect_exit 0
    result="processor ticks a second in front: $running; in three seconds in the background:$seconds (of $ticks_per_second)"
    ;;
key-flood)
    make_map_world
    "$maptool" render "$work" "$scratch/expected.png" || fail "maptool render failed"
    start_program 640x480x24 "$fullscreen_exe"
    window="$(wait_for_window Client)" || exit 1
    expect_picture "$scratch/expected.png"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --delay 1 --repeat 400 d
    started="$(date +%s%N)"
    xdotool key Escape
    expect_exit 0
    took=$((($(date +%s%N) - started) / 1000000))
    [ "$took" -le $((flood_bound * 1000)) ] ||
        fail "Escape after the flood took $took ms to end the program (at most $flood_bound s)"
    result="Escape after 400 presses ended the program in $took ms"
    ;;
background-keys)
    make_walker_world
    start_program 1600x1000x24 "$windowed_exe"
    window="$(wait_for_window Client)" || exit 1
    read -r left top right bottom _ <<<"$(client_window rect)"
    crop="$((right - left))x$((bottom - top))+$left+$top"
    shoot start "$crop"
    notepad="$(start_notepad)"
    # Beside the program's window, so that both show whole.
    xdotool windowsize --sync "$notepad" 400 250 windowmove --sync "$notepad" 0 0
    xdotool windowfocus --sync "$notepad"
    xdotool keydown Right
    sleep 1.2
    xdotool keyup Right
    shoot held "$crop"
    differ="$(compare -metric AE "$scratch/start.png" "$scratch/held.png" null: 2>&1)"
    [ "$differ" = 0 ] || fail "Right held in Notepad changed $differ pixels of the program's picture"
    client_window front || fail "could not bring the program in front"
    press "$window" Escape
    expect_exit 0
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "ok ($scenario, $arch)${result:+: $result}"
