# lib.sh - shared helpers for the end-to-end tests, which run the real demoplayer binary.
#
# Each test gets its own temporary root (<root>/bin/demoplayer, as the player is laid out) and,
# where it needs one, its own Xvfb server, so tests can run in parallel without sending keys to
# each other's windows. Everything is removed when the test exits.
#
# The player runs in a process group of its own, and every stop ends the whole group: a message
# box that SDL shows from a forked child would otherwise outlive the player, holding CTest's
# output pipe open until the test's timeout.
set -uo pipefail

# Whatever display the caller has is not ours to use: a test that needs one starts its own, so
# the outcome never depends on whether a display (or a window manager on it) happens to exist.
unset DISPLAY WAYLAND_DISPLAY

PLAYER=${PLAYER:?PLAYER must name the demoplayer binary}
ROOT=$(mktemp -d)
XVFB_PID=
APP_PID=
failures=0

# stop_group PGID: ends every process of the group (the player and anything it forked).
stop_group() { kill -9 -- "-$1" 2>/dev/null; }

cleanup() {
    [[ -n "$APP_PID" ]] && stop_group "$APP_PID"
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$ROOT"
}
trap cleanup EXIT

mkdir -p "$ROOT/bin/dll_cache" # made by the build; the player never makes it
cp "$PLAYER" "$ROOT/bin/demoplayer"
# The scene plug-ins built beside the player, as ./run.sh has them.
for plugin in "$(dirname "$PLAYER")"/render*.so; do
    [[ -f "$plugin" ]] && cp "$plugin" "$ROOT/bin/"
done
# The built data/, as ./run.sh leaves it beside bin/.
[[ -n "${DEMO_DATA:-}" && -d "$DEMO_DATA" ]] && cp -r "$DEMO_DATA" "$ROOT/data"

# start_xvfb WIDTHxHEIGHTxDEPTH: a private X server; sets DISPLAY.
# -noreset: an X server resets itself whenever its last client leaves, and a client that connects
# or loads a font during that reset is turned away. Here the last client is often a short xdotool
# search, and the next one the message box SDL opens from a fresh process: without -noreset about
# one box in seven failed to open under a tight polling loop. A desktop never resets this way (its
# window manager stays connected), so the server, not the player, is what has to change.
# -ardelay: xdotool presses and releases a key as two requests; on a loaded machine it can be
# put to sleep between them for longer than the server's autorepeat delay (660 ms), and the
# server then types the key again and again (an Up seeks bar after bar). A minute's delay keeps
# every key a single press.
start_xvfb() {
    local fifo="$ROOT/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset -ardelay 60000 -arinterval 60000 \
        3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    local n
    read -r -t 20 n <"$fifo" || { echo "FAIL: Xvfb did not start"; exit 1; }
    export DISPLAY=":$n"
}

# start_player [env assignments...]: runs the player from bin/ in the background, as the leader
# of a new process group (setsid does not fork here: a background job is never a group leader,
# so APP_PID is both the player's pid and its group's id).
# PLAYER_NICE, when set, lowers the player's priority (all its threads inherit it).
# PLAYER_ARGS, when set, are its command-line arguments (words split on blanks).
start_player() {
    # shellcheck disable=SC2086
    (cd "$ROOT/bin" && exec setsid nice -n "${PLAYER_NICE:-0}" env "$@" ./demoplayer ${PLAYER_ARGS:-}) &
    APP_PID=$!
}

# wait_player SECONDS: waits for the player to end; sets EXIT_CODE (124 on timeout). Keys typed
# during the loading screen wait in SDL's queue until the main loop starts, so SECONDS must cover
# a start-up on a loaded machine: the limit catches hangs, it does not measure speed.
wait_player() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$APP_PID" 2>/dev/null; do
        if ((SECONDS >= deadline)); then
            stop_group "$APP_PID"
            wait "$APP_PID" 2>/dev/null
            EXIT_CODE=124
            APP_PID=
            return
        fi
        sleep 0.1
    done
    wait "$APP_PID"
    EXIT_CODE=$?
    stop_group "$APP_PID" # anything the player left behind in its group
    APP_PID=
}

# find_window TITLE SECONDS: prints the id of a window with exactly that title, waiting for it;
# fails when none appears. (xdotool's --name search skips titles stored as UTF-8, which is how
# SDL's message box sets its caption, so the titles are compared one window at a time.)
find_window() {
    local deadline=$((SECONDS + $2)) w
    while ((SECONDS < deadline)); do
        for w in $(xdotool search --onlyvisible --class '' 2>/dev/null); do
            [[ "$(xdotool getwindowname "$w" 2>/dev/null)" == "$1" ]] && { echo "$w"; return 0; }
        done
        sleep 0.2
    done
    return 1
}

# wait_window: blocks until the player's window exists and its main loop has started.
wait_window() {
    timeout 90 xdotool search --sync --onlyvisible --name '^OpenGL$' >/dev/null ||
        { echo "FAIL: no window appeared"; cat "$ROOT/bin/stderr.txt" 2>/dev/null; exit 1; }
    sleep 0.5
}

OUT="$ROOT/bin/stdout.txt"
ERR="$ROOT/bin/stderr.txt"

check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
has_line() { grep -qxF -- "$2" "$1"; }
# refused USAGE_TEXT ARGS...: bin/demorender in $ROOT refuses each command line (one argument
# string each, split on spaces) with exit code 2 and a usage naming USAGE_TEXT on stderr.
refused() {
    local usage=$1 bad code
    shift
    for bad in "$@"; do
        (cd "$ROOT" && timeout 30 bin/demorender $bad >/dev/null 2>"$ROOT/bad.txt")
        code=$?
        check "refused: $bad (exit $code)" [ "$code" -eq 2 ]
        check "  with the usage" grep -qF "$usage" "$ROOT/bad.txt"
    done
}
first_line_is() { [[ "$(head -n 1 "$1")" == "$2" ]]; }
last_line_is() { [[ "$(tail -n 1 "$1")" == "$2" ]]; }
# lines_in_order FILE LINE...: each line appears, after the one before it.
lines_in_order() {
    local file=$1 pos=0 n
    shift
    for line in "$@"; do
        n=$(grep -nxF -- "$line" "$file" | awk -F: -v p="$pos" '$1 > p {print $1; exit}')
        [[ -n "$n" ]] || return 1
        pos=$n
    done
}

finish() {
    if ((failures)); then
        echo "--- stdout.txt"; cat "$OUT" 2>/dev/null
        echo "--- stderr.txt"; cat "$ERR" 2>/dev/null
        exit 1
    fi
    exit 0
}
