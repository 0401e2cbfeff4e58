# Shell functions for running Windows programs under Wine in a virtual display.
# Sourced by wine-run and the end-to-end scripts. Every run gets its own Wine
# prefix (hard links to a prepared template, so a copy costs milliseconds) and
# its own Xvfb display; wine_env_cleanup stops and removes what was started.
# shellcheck shell=bash

WINE_ENV_ARCH=""
WINE_ENV_PREFIX=""
WINE_ENV_DISPLAY_PID=""
WINE_ENV_OWNS_PREFIX=0
WINE_PROGRAM_PID=""
WINE_PROGRAM_OUT=""

wine_loader() {
    case "$1" in
        win32) echo /usr/lib/wine/wine ;;
        win64) echo /usr/lib/wine/wine64 ;;
        *) echo "wine-env: unknown arch '$1'" >&2; return 2 ;;
    esac
}

wine_template_dir() {
    echo "${CLIENT_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/client-wine}/$1"
}

# Quiet Wine, no desktop integration, no Mono or Gecko installers.
wine_common_env() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
}

# wine_display_start [WxHxD]: an Xvfb on a free display number; sets DISPLAY.
# shellcheck disable=SC2120  # the size is optional: the prefix's display takes the default
wine_display_start() {
    local screen="${1:-640x480x24}" n
    for n in $(seq $((100 + RANDOM % 400)) 999); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
        WINE_ENV_DISPLAY_PID=$!
        local _
        for _ in $(seq 1 100); do
            if [ -e "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$WINE_ENV_DISPLAY_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill "$WINE_ENV_DISPLAY_PID" 2>/dev/null
        WINE_ENV_DISPLAY_PID=""
    done
    echo "wine-env: no free X display" >&2
    return 1
}

# wine_template_prepare <arch>: make the template prefix once (minutes under qemu).
wine_template_prepare() {
    local arch="$1" dir loader
    dir="$(wine_template_dir "$arch")"
    loader="$(wine_loader "$arch")" || return 2
    mkdir -p "$(dirname "$dir")"
    (
        flock 9
        [ -e "$dir/.ready" ] && exit 0
        rm -rf "$dir"
        wine_common_env
        local own_display=0
        if [ -z "${DISPLAY:-}" ]; then wine_display_start && own_display=1; fi
        if [ "$arch" = win32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
        WINEPREFIX="$dir" "$loader" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$dir" "$(dirname "$loader")/wineserver" -w
        [ "$own_display" = 1 ] && kill "$WINE_ENV_DISPLAY_PID" 2>/dev/null
        [ -f "$dir/system.reg" ] || { echo "wine-env: could not prepare $dir" >&2; exit 1; }
        touch "$dir/.ready"
    ) 9>"$dir.lock"
}

# wine_prefix_new <arch>: a private prefix made from the template; sets WINEPREFIX.
wine_prefix_new() {
    local arch="$1" template
    template="$(wine_template_dir "$arch")"
    wine_template_prepare "$arch" || return 1
    WINE_ENV_ARCH="$arch"
    WINE_ENV_PREFIX="$(mktemp -d "${TMPDIR:-/tmp}/client-wine-$arch.XXXXXX")"
    WINE_ENV_OWNS_PREFIX=1
    # Wine rewrites the registry files but never the DLLs it installed, so the
    # big drive_c tree can be shared through hard links.
    cp -al "$template/drive_c" "$WINE_ENV_PREFIX/drive_c"
    cp -a "$template/dosdevices" "$template"/*.reg "$WINE_ENV_PREFIX/"
    [ -e "$template/.update-timestamp" ] && cp -a "$template/.update-timestamp" "$WINE_ENV_PREFIX/"
    export WINEPREFIX="$WINE_ENV_PREFIX"
    wine_common_env
}

# wine_launcher_code <file>: the exit code that wine-launcher.exe wrote into
# <file> (its standard output), or nothing.
wine_launcher_code() {
    sed -n 's/^wine-launcher: exit code \(-\{0,1\}[0-9]\{1,\}\)\r\{0,1\}$/\1/p' "$1" | tail -n 1
}

# wine_program_start <dir> <exe> [<runner> ...]: starts <exe> from <dir> through
# wine-launcher.exe (beside it, or the one WINE_RUN_LAUNCHER names), in the
# prefix of wine_prefix_new; a runner (setpriv, say) goes before the Wine
# loader. Wine's own messages go to WINE_PROGRAM_ERR (default: nowhere).
# Sets WINE_PROGRAM_PID.
wine_program_start() {
    local dir="$1" exe="$2" bin launcher
    shift 2
    bin="$(cd "$(dirname "$exe")" && pwd)"
    launcher="${WINE_RUN_LAUNCHER:-$bin/wine-launcher.exe}"
    WINE_PROGRAM_OUT="$(mktemp "${TMPDIR:-/tmp}/client-launcher.XXXXXX")"
    (cd "$dir" && exec "$@" "$(wine_loader "$WINE_ENV_ARCH")" "$launcher" \
        "Z:$(echo "$bin/$(basename "$exe")" | tr / '\\')" > "$WINE_PROGRAM_OUT" 2>"${WINE_PROGRAM_ERR:-/dev/null}") &
    WINE_PROGRAM_PID=$!
}

# wine_window_wait <title> <seconds>: prints the id of the program's window
# once one with that title shows; otherwise prints why not and fails.
wine_window_wait() {
    local end=$((SECONDS + $2)) id
    while [ $SECONDS -lt $end ]; do
        id="$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)"
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        if ! kill -0 "$WINE_PROGRAM_PID" 2>/dev/null; then
            echo "the program ended before a window '$1' appeared: $(cat "$WINE_PROGRAM_OUT")"
            return 1
        fi
        sleep 0.2
    done
    echo "no window titled $1 within $2 s"
    return 1
}

# wine_program_exit_code <seconds>: waits for the program's end and prints the
# exit code Windows recorded (the host's status of a full-screen program is
# not to be trusted: Wine's teardown sometimes dies after the program returned);
# otherwise prints why not and fails.
wine_program_exit_code() {
    local end=$((SECONDS + $1)) code
    while kill -0 "$WINE_PROGRAM_PID" 2>/dev/null; do
        if [ $SECONDS -ge $end ]; then
            echo "the program did not end within $1 s"
            return 1
        fi
        sleep 0.2
    done
    code="$(wine_launcher_code "$WINE_PROGRAM_OUT")"
    if [ -z "$code" ]; then
        echo "no exit code reported: $(cat "$WINE_PROGRAM_OUT")"
        return 1
    fi
    echo "$code"
}

wine_server_stop() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    "$(dirname "$(wine_loader "${WINE_ENV_ARCH:-win64}")")/wineserver" -k >/dev/null 2>&1 || true
}

wine_env_cleanup() {
    if [ -n "$WINE_PROGRAM_PID" ]; then
        kill "$WINE_PROGRAM_PID" 2>/dev/null
        WINE_PROGRAM_PID=""
    fi
    [ -n "$WINE_PROGRAM_OUT" ] && rm -f "$WINE_PROGRAM_OUT"
    wine_server_stop
    if [ -n "$WINE_ENV_DISPLAY_PID" ]; then
        kill "$WINE_ENV_DISPLAY_PID" 2>/dev/null
        wait "$WINE_ENV_DISPLAY_PID" 2>/dev/null
        WINE_ENV_DISPLAY_PID=""
    fi
    if [ "$WINE_ENV_OWNS_PREFIX" = 1 ] && [ -n "$WINE_ENV_PREFIX" ]; then
        rm -rf "$WINE_ENV_PREFIX"
        WINE_ENV_OWNS_PREFIX=0
    fi
}
