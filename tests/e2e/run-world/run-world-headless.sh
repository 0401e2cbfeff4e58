#!/bin/bash
# run-world-headless.sh <client.exe> <world folder> <screenshot folder> <maptool>
# tools/run-world without a display must say what maptool check finds in the
# world, end the program with exit code 0 and leave screenshots that show the
# world: not black, many colours, and not all the same picture (the
# characters walked).
set -u
here="$(cd "$(dirname "$0")" && pwd)"
exe="${1:?}"; world="${2:?}"; shots="${3:?}"; maptool="${4:?}"

fail() { echo "FAIL (run-world headless): $*" >&2; exit 1; }

rm -rf "$shots"
output="$(env -u DISPLAY "$here/../../../tools/run-world/run-world" --shots "$shots" --maptool "$maptool" "$exe" "$world" 2>&1)"
status=$?
echo "$output"
[ "$status" = 0 ] || fail "run-world ended with $status"
echo "$output" | grep -q "client.exe ended with exit code 0$" || fail "no exit code 0 reported"
[ "$(echo "$output" | head -n 1)" = "$("$maptool" check "$world" | head -n 1)" ] ||
    fail "run-world did not begin with what maptool check finds"

count=0
for shot in "$shots"/*.png; do
    [ -f "$shot" ] || continue
    count=$((count + 1))
    colours="$(convert "$shot" -format '%k' info:)"
    lit="$(convert "$shot" -threshold 0 -format '%[fx:mean]' info:)"
    [ "$colours" -gt 200 ] || fail "$shot has only $colours colours"
    awk -v lit="$lit" 'BEGIN { exit !(lit > 0.9) }' || fail "$shot is mostly black ($lit lit)"
done
[ "$count" -ge 5 ] || fail "only $count screenshots in $shots"
distinct="$(for shot in "$shots"/*.png; do convert "$shot" -fill black -draw 'rectangle 48,48 170,80' rgb:- | md5sum; done | sort -u | wc -l)"
[ "$distinct" -ge 4 ] || fail "the screenshots barely differ ($distinct distinct of $count): did anyone walk?"
echo "ok (run-world headless): $count screenshots, $distinct distinct"
