# The steps the end-to-end scripts share, on top of wine-env.sh. The sourcing
# script defines fail <message> (which exits), `deadline` (seconds a wait may
# take), `arch` and `bin` (the folder of the Windows programs), and keeps its
# working folders in `work` and `scratch`; the walker world's steps also need
# `spritetool` and `maptool`, the native tools.
# shellcheck shell=bash disable=SC2034,SC2154
# (SC2154: those variables are the sourcing script's; SC2034: it uses what
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

# client_window <command> [<title>]: client-window.exe (tests/e2e/shell) in the
# program's prefix; prints what it says and exits as it does.
client_window() {
    local said status
    said="$("$(wine_loader "$arch")" "$bin/client-window.exe" "$@" 2>/dev/null)"
    status=$?
    [ -n "$said" ] && printf '%s\n' "${said//$'\r'/}"
    return $status
}

# start_notepad: Wine's Notepad in the program's prefix, which takes the focus
# from the program as another program would; prints its window's id.
start_notepad() {
    "$(wine_loader "$arch")" notepad >/dev/null 2>&1 &
    local window
    window="$(wine_window_wait '.* - Notepad' "$deadline")" || fail "no Notepad: $window"
    echo "$window"
}

# program_pid: the process of the program that wine_program_start started (a
# Wine process of this prefix whose command line names the program).
program_pid() {
    local pid
    for pid in $(pgrep -f '\.exe'); do
        [ "$pid" = "$WINE_PROGRAM_PID" ] && continue
        tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        tr '\0' ' ' 2>/dev/null < "/proc/$pid/cmdline" | grep -q "$1" && { echo "$pid"; return 0; }
    done
    return 1
}

# cpu_ticks <pid>: the processor time the process has used, user and system,
# in clock ticks (getconf CLK_TCK a second).
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# The walker world, in `work`: a 12 x 12 grey floor with one cyan cell at
# (6, 0), and the walker sprite (id 2): an 8 x 12 yellow block standing on its
# cell's point, whose five walk frames carry it one fifth of a cell step
# further each.
make_walker_world() {
    convert -size 40x20 xc:'#FF00FF' +antialias -fill '#606060' -draw 'polygon 20,0 39,9 39,10 20,19 19,19 0,10 0,9 19,0' "$work/floor.png"
    convert -size 40x20 xc:'#FF00FF' +antialias -fill '#00FFFF' -draw 'polygon 20,0 39,9 39,10 20,19 19,19 0,10 0,9 19,0' "$work/marker.png"
    convert -size 8x12 xc:'#FFFF00' "$work/figure.png"
    cat > "$work/floor.txt" <<'MANIFEST'
id 10
key #FF00FF
anchor center
animation floor
  frame floor.png
animation marker
  frame marker.png
MANIFEST
    {
        echo "id 2"
        echo "anchor bottom"
        echo "duration 1000"
        local vectors=("20 10" "40 0" "20 -10" "0 -20" "-20 -10" "-40 0" "-20 10" "0 20") d i
        for d in 0 1 2 3 4 5 6 7; do
            set -- ${vectors[$d]}
            echo "animation walk direction $d"
            for i in 0 1 2 3 4; do echo "  frame figure.png offset=$(($1 * i / 5)),$(($2 * i / 5))"; done
        done
    } > "$work/walker.txt"
    cat > "$work/world.txt" <<'WORLD'
sprite 2 walker.spr
sprite 10 floor.spr
legend . open 10 floor 0
legend c open 10 marker 0
grid
  ......c.....
  ............
  ............
  ............
  ............
  ............
  ............
  ............
  ............
  ............
  ............
  ............
end
WORLD
    "$spritetool" build "$work/floor.txt" "$work/floor.spr" >/dev/null || fail "spritetool (floor) failed"
    "$spritetool" build "$work/walker.txt" "$work/walker.spr" >/dev/null || fail "spritetool (walker) failed"
    "$maptool" build "$work/world.txt" "$work/test.map" "$work/SpriteList.txt" || fail "maptool failed"
}

# shoot <name> [<crop>]: a screenshot (cropped to WxH+X+Y when given) once
# the picture has stopped changing (any step under way has finished), with
# the frame-rate text blacked out.
shoot() {
    local end=$((SECONDS + deadline)) previous="" sum
    while [ $SECONDS -lt $end ]; do
        import -window root "$scratch/raw.png" 2>/dev/null
        [ -n "${2:-}" ] && convert "$scratch/raw.png" -crop "$2" +repage "$scratch/raw.png" 2>/dev/null
        without_rate "$scratch/raw.png" "$scratch/$1.png"
        sum="$(convert "$scratch/$1.png" rgb:- | md5sum)"
        # The map shows once the loop has drawn a frame: the cyan cell is there.
        if [ "$sum" = "$previous" ] && [ -n "$(places "$1" '#00FFFF')" ]; then return 0; fi
        [ -f "$scratch/$1.png" ] && cp "$scratch/$1.png" "$scratch/$1-previous.png"
        previous="$sum"
        sleep 0.4
    done
    fail "the picture did not settle within ${deadline} s: $(compare -metric AE "$scratch/$1.png" "$scratch/$1-previous.png" null: 2>&1) pixels changed"
}

# places <shot> <colour>: "x y" of the top-left corner of every patch of that colour.
places() {
    convert "$scratch/$1.png" -fill black +opaque "$2" \
        -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
        awk '/srgb\(0,0,0\)/ { next } /^ *[0-9]+: / { split($2, g, "+"); print g[2], g[3] }' | sort -n
}
