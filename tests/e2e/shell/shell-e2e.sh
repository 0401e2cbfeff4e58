#!/bin/bash
# shell-e2e.sh <scenario> <win32|win64> <bin dir>
#
# Runs the program under Wine in an Xvfb display of its own, from a fresh
# working directory that holds an empty but valid world, and checks what a
# user would see: the first frame, the window, the exit code, "ErrLog.txt".
#
#   first-frame     full-screen at 640x480: black frame, red rate at (50, 50); Escape ends with 0
#   close           full-screen: WM_CLOSE sent from another process ends with 0
#   display-mode    full-screen on a 1024x768 screen: one SetDisplayMode line appended, exit 0
#   read-only       the same in a read-only directory: no log, exit -1
#   windowed        windowed on 1024x768: 640x480 "Client" window, centred; Escape ends with 0
#   windowed-depth  windowed on a 16-bit desktop: one CreateSurface line, exit 0
#
# The program's exit code is the one wine-launcher.exe prints: Wine's teardown
# of a full-screen program sometimes dies of a signal after the program returned.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"

scenario="${1:?usage: shell-e2e.sh <scenario> <win32|win64> <bin dir>}"
arch="${2:?}"
bin="$(cd "${3:?}" && pwd)"

# A program start under the 32-bit Wine (qemu) takes minutes.
if [ "$arch" = win32 ]; then deadline=1500; else deadline=90; fi

fail() {
    echo "FAIL ($scenario): $*" >&2
    exit 1
}
. "$here/../e2e-steps.sh"

# An empty world: a sprite list with no sprites and a 0 x 0 map without
# floors or objects, so the run does not depend on content files.
lay_empty_world() {
    printf '0\n' > "$1/SpriteList.txt"
    # "MAP" padded to 11 bytes, a 4-byte 0, width 0, height 0 (4 bytes each),
    # floor count 0, object count 0.
    head -c 35 /dev/zero > "$1/test.map"
    printf 'MAP' | dd of="$1/test.map" conv=notrunc status=none
}

# start_program <exe> <screen WxHxD> [read-only | seeded-log]
# seeded-log: "ErrLog.txt" starts with one line, to see that lines are appended.
start_program() {
    local exe="$1" screen="$2" mode="${3:-}"
    scratch="$(mktemp -d)"
    work="$(mktemp -d)"
    lay_empty_world "$work"
    [ "$mode" = seeded-log ] && printf '%s\n' "$earlier_line" > "$work/ErrLog.txt"
    [ "$mode" = read-only ] && chmod 555 "$work"
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start "$screen" || fail "no X display"
    local runner=()
    # root writes anywhere; without these capabilities it obeys the directory's mode.
    if [ "$mode" = read-only ] && [ "$(id -u)" = 0 ]; then
        # shellcheck disable=SC2054  # one argument each: setpriv's lists are comma-separated
        runner=(setpriv --bounding-set=-dac_override,-dac_read_search --inh-caps=-dac_override,-dac_read_search)
    fi
    wine_program_start "$work" "$bin/$exe" "${runner[@]}"
}

# Waits until the screen shows pure red somewhere, then keeps that screenshot.
screenshot_with_text() {
    local end=$((SECONDS + deadline)) reds
    while [ $SECONDS -lt $end ]; do
        import -window root "$scratch/shot.png" 2>/dev/null
        reds="$(convert "$scratch/shot.png" -fill black +opaque '#FF0000' -format '%[fx:round(mean.r*w*h)]' info: 2>/dev/null)"
        [ "${reds:-0}" -gt 0 ] && return 0
        sleep 0.5
    done
    fail "no red text on the screen within ${deadline} s"
}

# expect_rate_text <x> <y>: everything black but the rate, whose red glyphs
# begin at (x, y) within the font's leading, in red only.
expect_rate_text() {
    local x="$1" y="$2" box w h bx by greenblue
    box="$(convert "$scratch/shot.png" -format '%@' info:)"
    IFS='x+' read -r w h bx by <<<"$box"
    [ "$bx" -ge "$x" ] && [ "$bx" -le $((x + 4)) ] && [ "$by" -ge "$y" ] && [ "$by" -le $((y + 6)) ] ||
        fail "the text starts at ($bx, $by), expected ($x, $y)"
    [ $((bx + w)) -le $((x + 100)) ] && [ $((by + h)) -le $((y + 24)) ] ||
        fail "something else is drawn: non-black box $box"
    greenblue="$(convert "$scratch/shot.png" -format '%[fx:maxima.g+maxima.b]' info:)"
    [ "$greenblue" = 0 ] || fail "pixels other than black and red on the screen"
}

earlier_line="an earlier line"

# expect_log_line <pattern>: the log is the earlier line plus one line that matches.
expect_log_line() {
    local log="$work/ErrLog.txt"
    [ -f "$log" ] || fail "no ErrLog.txt"
    local lines
    lines="$(tr -d '\r' < "$log")"
    [ "$(printf '%s\n' "$lines" | head -n 1)" = "$earlier_line" ] || fail "the log's old line is gone: $lines"
    [ "$(printf '%s\n' "$lines" | wc -l)" = 2 ] || fail "expected one appended line: $lines"
    printf '%s\n' "$lines" | tail -n 1 | grep -Eq "^$1\$" || fail "unexpected log line: $lines"
}

case "$scenario" in
first-frame)
    start_program "$fullscreen_exe" 640x480x24
    window="$(wait_for_window Client)" || exit 1
    screenshot_with_text
    expect_rate_text 50 50
    press "$window" Escape
    expect_exit 0
    [ ! -e "$work/ErrLog.txt" ] || fail "a log was written: $(cat "$work/ErrLog.txt")"
    ;;
close)
    start_program "$fullscreen_exe" 640x480x24
    wait_for_window Client > /dev/null || exit 1
    screenshot_with_text
    client_window close || fail "could not post WM_CLOSE"
    expect_exit 0
    ;;
display-mode)
    start_program "$fullscreen_exe" 1024x768x24 seeded-log
    expect_exit 0
    expect_log_line "SetDisplayMode failed with Err : -[0-9]+"
    ;;
read-only)
    start_program "$fullscreen_exe" 1024x768x24 read-only
    expect_exit -1
    [ ! -e "$work/ErrLog.txt" ] || fail "a log was written in a read-only directory"
    ;;
windowed)
    start_program "$windowed_exe" 1024x768x24
    window="$(wait_for_window Client)" || exit 1
    read -r left top right bottom style <<<"$(client_window rect)"
    [ "$left $top $right $bottom" = "192 144 832 624" ] ||
        fail "window at ($left, $top, $right, $bottom), expected 640x480 centred at (192, 144)"
    # WS_POPUP and WS_CAPTION; no system menu, so no close box.
    [ $((style & 0x80C80000)) = $((0x80C00000)) ] || fail "window style $style"
    # The frame is copied onto the window's outer rectangle, title bar included.
    screenshot_with_text
    expect_rate_text $((left + 50)) $((top + 50))
    press "$window" Escape
    expect_exit 0
    ;;
windowed-depth)
    start_program "$windowed_exe" 1024x768x16 seeded-log
    expect_exit 0
    expect_log_line "CreateSurface failed with Err : -[0-9]+"
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "PASS ($scenario)"
