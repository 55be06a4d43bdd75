#!/usr/bin/env bash
# Every way the window can fail ends with exit code 1 and the system's own line in stderr.txt.
source "$(dirname "$0")/lib.sh"

# No video back-end at all: the window class cannot be registered. With a display, SDL shows the
# failure in a message box (from a forked child) and the player waits for its button; the box is
# found by its caption and dismissed like a person would, with Return.
start_xvfb 1280x720x24
start_player SDL_VIDEODRIVER=no-such-driver
if box=$(find_window Error 30); then
    echo "ok: no video: the message box is up"
    check "no video: the text is logged while the box is up" \
        last_line_is "$ERR" "RegisterClass() failed: Cannot register window class."
    xdotool windowfocus --sync "$box" key Return
else
    echo "FAIL: no video: no message box appeared"
    failures=$((failures + 1))
    # What the player and the server were doing, for a box that never came.
    kill -0 "$APP_PID" 2>/dev/null && echo "  the player is still running" || echo "  the player has ended"
    kill -0 "$XVFB_PID" 2>/dev/null && echo "  Xvfb is still running" || echo "  Xvfb has ended"
    echo "  --- stdout.txt"; cat "$OUT" 2>/dev/null
    echo "  --- stderr.txt"; cat "$ERR" 2>/dev/null
fi
wait_player 30
check "no video: exit 1 once the box is dismissed" [ "$EXIT_CODE" -eq 1 ]
check "no video: message" last_line_is "$ERR" "RegisterClass() failed: Cannot register window class."

# The same without any display: no box can open, the log still has the text.
(unset DISPLAY; start_player SDL_VIDEODRIVER=no-such-driver; wait_player 30; exit "$EXIT_CODE")
check "no display: exit 1" [ "$?" -eq 1 ]
check "no display: message" last_line_is "$ERR" \
    "RegisterClass() failed: Cannot register window class."

# A display that cannot switch to 1280x720.
kill "$XVFB_PID"; XVFB_PID=
rm -f "$ROOT/displayfd"
start_xvfb 640x480x24
start_player
wait_player 30
check "small display: exit 1" [ "$EXIT_CODE" -eq 1 ]
check "small display: one line after the self-test" \
    [ "$(cat "$ERR")" == $'unit tests run successfully\nfailed creating window, exiting' ]

# A display without a usable OpenGL: no pixel format can be found.
kill "$XVFB_PID"; XVFB_PID=
rm -f "$ROOT/displayfd"
start_xvfb 1280x720x24
start_player SDL_OPENGL_LIBRARY=/nonexistent/libGL.so.1
wait_player 30
check "no GL: exit 1" [ "$EXIT_CODE" -eq 1 ]
check "no GL: message" last_line_is "$ERR" \
    "ChoosePixelFormat() failed: Cannot find a suitable pixel format."
check "no GL: no GL information" bash -c "! grep -q glinfo '$OUT'"
finish
