#!/bin/bash
# package-e2e.sh <scenario> <client-win32.zip> <launcher dir> <host tools dir> [<keep dir>]
#
# Unpacks the Windows package into an empty folder and runs what it holds
# under the 32-bit Wine (a true 32-bit prefix, fresh from the template) in an
# Xvfb display of its own, as a user who unpacked it would:
#
#   contents            the zip holds the two programs, Pixmix.dll, the ReadMe
#                       and the demo world, and nothing else; the binaries
#                       carry no symbols
#   fullscreen          client.exe run in the unpacked folder shows the demo
#                       world; Escape ends it with 0
#   windowed            the same for client-windowed.exe, in its window on a
#                       1024x768 desktop
#   pentium2, coreduo,  client.exe and Pixmix.dll of the package on that
#   Haswell             emulated processor (QEMU_CPU) draw the end-to-end
#                       world exactly as it is drawn natively (and so as the
#                       64-bit build draws it: map.e2e.picture), with the
#                       kernels that processor's cpuid calls for, as the
#                       library and the program name them in their debug
#                       output; Escape ends with 0. pentium2 has no SSE at
#                       all, and qemu faults on any SSE instruction there.
#
# wine-launcher.exe, which reads the exit code, is taken from <launcher dir>
# so that nothing is added to the unpacked folder.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"

usage="usage: package-e2e.sh <scenario> <zip> <launcher dir> <host tools dir> [<keep dir>]"
scenario="${1:?$usage}"
zip="$(realpath "${2:?$usage}")"
WINE_RUN_LAUNCHER="$(cd "${3:?$usage}" && pwd)/wine-launcher.exe"
export WINE_RUN_LAUNCHER
tools="$(cd "${4:?$usage}" && pwd)"
keep="${5:-}"
arch=win32
deadline=900

fail() {
    echo "FAIL (package $scenario): $*" >&2
    exit 1
}

unpacked="$(mktemp -d)"
(cd "$unpacked" && unzip -q "$zip") || fail "cannot unpack $zip"
bin="$unpacked/Client"
. "$here/../e2e-steps.sh"
trap 'e2e_cleanup; rm -rf "$unpacked"' EXIT
scratch="$(mktemp -d)"

# start <exe> <working folder> <screen>; Wine's debug channels from `debug`.
start() {
    wine_prefix_new "$arch" || fail "no Wine prefix"
    wine_display_start "$3" || fail "no X display"
    [ -n "${debug:-}" ] && export WINEDEBUG="$debug"
    wine_program_start "$2" "$bin/$1"
}

# expect_world_shows [<crop>]: a screenshot with the rate drawn in which the
# world fills the screen: not black, and in many colours.
expect_world_shows() {
    local end=$((SECONDS + deadline)) reds colours=0 lit=0
    while [ $SECONDS -lt $end ]; do
        import -window root "$scratch/shot.png" 2>/dev/null
        [ -n "${1:-}" ] && convert "$scratch/shot.png" -crop "$1" +repage "$scratch/shot.png" 2>/dev/null
        reds="$(convert "$scratch/shot.png" -fill black +opaque '#FF0000' -format '%[fx:round(mean.r*w*h)]' info: 2>/dev/null)"
        if [ "${reds:-0}" -gt 0 ]; then
            colours="$(convert "$scratch/shot.png" -format '%k' info:)"
            lit="$(convert "$scratch/shot.png" -threshold 0 -format '%[fx:mean]' info:)"
            [ "$colours" -gt 200 ] && awk -v lit="$lit" 'BEGIN { exit !(lit > 0.9) }' && return 0
        fi
        sleep 0.5
    done
    [ -n "$keep" ] && mkdir -p "$keep" && cp "$scratch/shot.png" "$keep/package-$scenario.png"
    fail "the world does not show: $colours colours, $lit of the screen lit"
}

# expect_debug_line <text>: Wine's debugstr channel printed the program's line.
expect_debug_line() {
    grep -qF "OutputDebugStringA \"$1" "$WINE_PROGRAM_ERR" ||
        fail "no debug line \"$1\"; the program said: $(grep -F OutputDebugStringA "$WINE_PROGRAM_ERR")"
}

case "$scenario" in
contents)
    expected="client-windowed.exe client.exe Pixmix.dll ReadMe.txt SpriteList.txt test.map"
    listed="$(find "$bin" -mindepth 1 -maxdepth 1 ! -name '.*' ! -name '*.spr' -printf '%f\n' | sort | tr '\n' ' ')"
    [ "$listed" = "$(tr ' ' '\n' <<<"$expected" | sort | tr '\n' ' ')" ] || fail "the package holds: $listed"
    [ "$(ls "$unpacked")" = Client ] || fail "the zip holds more than the Client folder: $(ls "$unpacked")"
    while read -r _ sprite; do
        [ -f "$bin/$sprite" ] || fail "SpriteList.txt names $sprite, which the package lacks"
    done < <(tail -n +2 "$bin/SpriteList.txt" | tr -d '\r')
    # Notepad before Windows 10 shows a text without CR LF line ends as one line.
    [ "$(grep -c $'\r$' "$bin/ReadMe.txt")" = "$(wc -l < "$bin/ReadMe.txt")" ] || fail "ReadMe.txt has lines without CR LF"
    for file in client.exe client-windowed.exe Pixmix.dll; do
        i686-w64-mingw32-nm "$bin/$file" 2>&1 | grep -q "no symbols" || fail "$file is not stripped"
    done
    ;;
fullscreen)
    start "$fullscreen_exe" "$bin" 640x480x24
    window="$(wait_for_window Client)" || exit 1
    expect_world_shows
    press "$window" Escape
    expect_exit 0
    ;;
windowed)
    start "$windowed_exe" "$bin" 1024x768x24
    window="$(wait_for_window Client)" || exit 1
    # The window is centred: 640x480 at (192, 144).
    expect_world_shows 640x480+192+144
    press "$window" Escape
    expect_exit 0
    ;;
pentium2 | coreduo | Haswell)
    case "$scenario" in
        pentium2) isa=scalar conversions="565=plain 888=plain" ;;
        coreduo)  isa=sse2   conversions="565=SSE2 888=plain" ;;  # SSE2 and SSE3, no SSSE3
        Haswell)  isa=avx2   conversions="565=AVX2 888=AVX2" ;;
    esac
    # In the order of the library's paths: Blt 32-bit unmasked and masked,
    # 5-6-5 unmasked and masked, then Blt_NoColorkey the same way.
    kernels="Pixmix kernels: $isa::key_x888 $isa::blend_x888_a8 $isa::key_565 $isa::blend_565_a8"
    kernels="$kernels $isa::copy_x888 $isa::blend_x888_a8 $isa::copy_565 $isa::blend_565_a8"

    work="$(mktemp -d)"
    "$tools/tests/e2e/map/make-world-sprites" "$work" || fail "make-world-sprites failed"
    "$tools/tools/maptool/maptool" build "$here/../map/world.txt" "$work/test.map" "$work/SpriteList.txt" ||
        fail "maptool build failed"
    "$tools/tools/maptool/maptool" render "$work" "$scratch/expected.png" || fail "maptool render failed"
    export QEMU_CPU="$scenario"
    WINE_PROGRAM_ERR="$scratch/wine.err" debug=-all,warn+debugstr
    start "$fullscreen_exe" "$work" 640x480x24
    window="$(wait_for_window Client)" || exit 1
    expect_picture "$scratch/expected.png"
    press "$window" Escape
    expect_exit 0
    expect_debug_line "$kernels"
    expect_debug_line "Client pixel conversions: $conversions"
    ;;
*)
    fail "unknown scenario"
    ;;
esac
echo "PASS (package $scenario)"
