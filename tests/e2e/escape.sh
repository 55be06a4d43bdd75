#!/usr/bin/env bash
# Escape ends the player at once with exit code 0; uppercase M and L are not the toggle keys.
# The player takes no arguments: the ones the tools answer without starting change nothing.
source "$(dirname "$0")/lib.sh"

start_xvfb 1280x720x24
PLAYER_ARGS="--help --version" start_player SDL_AUDIODRIVER=dummy
wait_window
xdotool key shift+m shift+l Escape
wait_player 120

check "exit code 0" [ "$EXIT_CODE" -eq 0 ]
check "M and L print nothing" bash -c "! grep -qxE 'mute|unmute|limited|unlimited' '$ERR'"
check "nothing but start-up lines in stderr" first_line_is "$ERR" "unit tests run successfully"
check "--help and --version ignored" bash -c "! grep -qE '^usage|^demoplayer [0-9]' '$OUT'"
finish
