#!/bin/bash
# loopbench.sh <win32|win64> <bin dir> [screen WxHxD]
#
# Runs client-loopbench.exe (the frame loop with nothing but the clear, the
# rate text and the flip, full-screen at 640x480) under Wine and prints the
# passes per second it measured over ten seconds. A benchmark, not a test.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../wine-env.sh"
arch="${1:?usage: loopbench.sh <win32|win64> <bin dir> [screen]}"
bin="$(cd "${2:?}" && pwd)"
work="$(mktemp -d)"
trap 'wine_env_cleanup; rm -rf "$work"' EXIT
wine_prefix_new "$arch" || exit 2
wine_display_start "${3:-640x480x24}" || exit 2
printf '0\n' > "$work/SpriteList.txt"
head -c 35 /dev/zero > "$work/test.map" && printf 'MAP' | dd of="$work/test.map" conv=notrunc status=none
cd "$work" && "$(wine_loader "$arch")" "$bin/wine-launcher.exe" "Z:$(echo "$bin/client-loopbench.exe" | tr / '\\')" 2>/dev/null |
    tr -d '\r' | grep '^loopbench:'
