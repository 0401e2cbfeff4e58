# The steps the end-to-end scripts share, on top of wine-env.sh. The sourcing
# script defines fail <message> (which exits), `deadline` (seconds a wait may
# take) and `bin` (the folder of the Windows programs), and keeps its working
# folders in `work` and `scratch`.
# shellcheck shell=bash disable=SC2034,SC2154
# (SC2154: bin and deadline are the sourcing script's; SC2034: it uses what
# this sets.)

work=""
scratch=""

# Where the frame rate is written: the text starts at (50, 50); the box leaves
# room for any rate, so that screenshots can be compared without it.
rate_box="48,48 170,80"

# The full-screen and the windowed program: the build names its default
# variant client.exe.
if [ -f "$bin/client-windowed.exe" ]; then
    fullscreen_exe=client.exe windowed_exe=client-windowed.exe
else
    fullscreen_exe=client-fullscreen.exe windowed_exe=client.exe
fi

e2e_cleanup() {
    wine_env_cleanup
    [ -n "$work" ] && chmod -R u+w "$work" 2>/dev/null && rm -rf "$work"
    [ -n "$scratch" ] && rm -rf "$scratch"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# wait_for_window <title>: prints the window's id.
wait_for_window() {
    local window
    window="$(wine_window_wait "$1" "$deadline")" || fail "$window"
    echo "$window"
}

expect_exit() {
    local code
    code="$(wine_program_exit_code "$deadline")" || fail "$code"
    [ "$code" = "$1" ] || fail "exit code $code, expected $1"
}

# press <window> <key>
press() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key "$2"
}

# without_rate <picture> <output>: the picture with the rate's box blacked out.
without_rate() {
    convert "$1" -fill black -draw "rectangle $rate_box" "$2"
}

# expect_picture <expected.png> [<crop>]: screenshots (cropped to WxH+X+Y when
# given) until one shows the rate text (pure red) and matches the expected
# picture outside the rate; the frames before the first full one may differ.
expect_picture() {
    local expected="$1" crop="${2:-}" end=$((SECONDS + deadline)) reds differ="unknown"
    without_rate "$expected" "$scratch/expected-masked.png"
    while [ $SECONDS -lt $end ]; do
        import -window root "$scratch/shot.png" 2>/dev/null
        [ -n "$crop" ] && convert "$scratch/shot.png" -crop "$crop" +repage "$scratch/shot.png" 2>/dev/null
        reds="$(convert "$scratch/shot.png" -fill black +opaque '#FF0000' -format '%[fx:round(mean.r*w*h)]' info: 2>/dev/null)"
        if [ "${reds:-0}" -gt 0 ]; then
            without_rate "$scratch/shot.png" "$scratch/shot-masked.png"
            differ="$(compare -metric AE "$scratch/shot-masked.png" "$scratch/expected-masked.png" null: 2>&1)"
            [ "$differ" = 0 ] && return 0
        fi
        sleep 0.5
    done
    if [ -n "${keep:-}" ]; then
        mkdir -p "$keep"
        cp "$scratch/shot.png" "$keep/${arch:-}-screen.png"
        cp "$expected" "$keep/${arch:-}-expected.png"
    fi
    fail "the screen differs from the native picture in $differ pixels${keep:+ (pictures in $keep)}"
}
