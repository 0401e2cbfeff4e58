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

# The world: a 12 x 12 grey floor with one cyan cell at (6, 0), and the walker
# sprite (id 2): an 8 x 12 yellow block standing on its cell's point, whose
# five walk frames carry it one fifth of a cell step further each.
make_world() {
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

start_program() {
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start 640x480x24 || fail "no X display"
    wine_program_start "$work" "$bin/$fullscreen_exe"
}

# shoot <name>: a screenshot once the picture has stopped changing (any step
# under way has finished), with the frame-rate text blacked out.
shoot() {
    local end=$((SECONDS + deadline)) previous="" sum
    while [ $SECONDS -lt $end ]; do
        import -window root "$scratch/raw.png" 2>/dev/null
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

hold() {
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

scratch="$(mktemp -d)"
work="$(mktemp -d)"
make_world
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
